#include "module_settings_group.h"

#include "pages/page_support.h"
#include "protocol/status.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QSpinBox>
#include <algorithm>

ModuleSettingsGroup::ModuleSettingsGroup(PageContext& context, QWidget* parent)
    : QGroupBox(tr("射频设置"), parent), context_(context), settings_(context.link) {
    setObjectName(QStringLiteral("ModuleSettingsGroup"));
    info_ = named(new QLabel(tr("模块：未读取"), this), "ModuleInfoLabel");
    power_ = named(new QSpinBox(this), "PowerSpin");
    power_->setRange(ModuleSettings::minimumPowerDbm, ModuleSettings::defaultMaximumPowerDbm);
    power_->setValue(20);
    power_->setSuffix(QStringLiteral(" dBm"));
    QStringList regions;
    for (int region : uhfRegion::all)
        regions << uhfRegion::name(region);
    region_ = makeCombo(this, "RegionCombo", regions);
    channel_ = makeCombo(this, "ChannelCombo", {});
    hopping_ = makeCheckBox(this, "HoppingBox", tr("跳频"), true);
    session_ = makeCombo(this, "SessionCombo", {"S0", "S1", "S2", "S3"});
    target_ = makeCombo(this, "TargetCombo", {"A", "B"});
    q_ = named(new QSpinBox(this), "QSpin");
    q_->setRange(0, 15);
    q_->setPrefix(QStringLiteral("Q="));
    fillChannels(uhfRegion::all.first());
    showQuery(query_);
    connect(region_, &QComboBox::currentIndexChanged, this,
            [this](int index) { fillChannels(uhfRegion::all.value(index)); });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    auto* read = makeButton(this, "ModuleReadButton", tr("读取"));
    connect(read, &QPushButton::clicked, this, &ModuleSettingsGroup::readAll);
    grid->addWidget(info_, 0, 0, 1, 5);
    grid->addWidget(read, 0, 5);
    grid->addWidget(makeLabel(this, tr("功率")), 1, 0);
    grid->addWidget(power_, 1, 1);
    auto* setPower = makeButton(this, "PowerSetButton", tr("设置"));
    connect(setPower, &QPushButton::clicked, this, &ModuleSettingsGroup::setPowerClick);
    grid->addWidget(setPower, 1, 2);
    grid->addWidget(makeLabel(this, QStringLiteral("Query")), 1, 3);
    auto* query = new QHBoxLayout;
    query->addWidget(session_);
    query->addWidget(target_);
    query->addWidget(q_);
    grid->addLayout(query, 1, 4);
    auto* setQuery = makeButton(this, "QuerySetButton", tr("设置"));
    connect(setQuery, &QPushButton::clicked, this, &ModuleSettingsGroup::setQueryClick);
    grid->addWidget(setQuery, 1, 5);
    grid->addWidget(makeLabel(this, tr("区域")), 2, 0);
    grid->addWidget(region_, 2, 1, 1, 2);
    grid->addWidget(makeLabel(this, tr("信道")), 2, 3);
    grid->addWidget(channel_, 2, 4);
    grid->addWidget(hopping_, 3, 4);
    auto* setFrequency = makeButton(this, "FrequencySetButton", tr("设置"));
    connect(setFrequency, &QPushButton::clicked, this, &ModuleSettingsGroup::setFrequencyClick);
    grid->addWidget(setFrequency, 2, 5);
    grid->setColumnStretch(4, 1);
}

void ModuleSettingsGroup::fillChannels(int region) {
    const int keep = channel_->currentIndex();
    channel_->clear();
    for (int index = 0; index < uhfRegion::channelCount(region); ++index)
        channel_->addItem(QStringLiteral("%1: %2 MHz")
                              .arg(index)
                              .arg(uhfRegion::channelMHz(region, index), 0, 'f', 3));
    channel_->setCurrentIndex(std::clamp(keep, 0, channel_->count() - 1));
}

void ModuleSettingsGroup::showQuery(const QueryParameters& query) {
    query_ = query;
    session_->setCurrentIndex(query.session);
    target_->setCurrentIndex(query.targetB ? 1 : 0);
    q_->setValue(query.q);
    emit queryChanged(query_);
}

bool ModuleSettingsGroup::report(ModuleSettings::Outcome outcome, const QString& what,
                                 bool logSuccess) {
    if (outcome == ModuleSettings::Outcome::Done) {
        if (logSuccess)
            context_.link.log(tr("%1成功   ").arg(what) + time());
        return true;
    }
    context_.link.log(tr("%1失败   ").arg(what) + time());
    context_.link.log(settings_.errorText() + kCrLf);
    return false;
}

void ModuleSettingsGroup::readAll() {
    QStringList info;
    for (auto which : {ModuleSettings::Info::Hardware, ModuleSettings::Info::Software,
                       ModuleSettings::Info::Manufacturer}) {
        QString text;
        if (!report(settings_.readInfo(which, &text), tr("读取模块信息"), false))
            return;
        info << text;
    }
    info_->setText(tr("模块：%1").arg(info.join(QStringLiteral(" · "))));
    power_->setMaximum(ModuleSettings::maximumPowerDbm(info.first()));
    int power = 0;
    if (!report(settings_.readPower(&power), tr("读取发射功率"), false))
        return;
    power_->setValue((power + 50) / 100);
    int region = 0;
    if (!report(settings_.readRegion(&region), tr("读取工作区域"), false))
        return;
    if (const int item = int(uhfRegion::all.indexOf(region)); item >= 0)
        region_->setCurrentIndex(item);
    int channel = 0;
    if (!report(settings_.readChannel(&channel), tr("读取信道"), false))
        return;
    channel_->setCurrentIndex(channel < channel_->count() ? channel : 0);
    QueryParameters query;
    if (!report(settings_.readQuery(&query), tr("读取 Query 参数"), false))
        return;
    showQuery(query);
    context_.link.log(tr("%1，功率 %2，%3，信道 %4，%5   ")
                          .arg(info_->text(), ModuleSettings::powerText(power),
                               uhfRegion::name(region), channel_->currentText(), query.text()) +
                      time());
}

void ModuleSettingsGroup::setPowerClick() {
    const int dBm = power_->value();
    report(settings_.setPower(dBm * 100), tr("设置发射功率 %1 dBm ").arg(dBm));
}

void ModuleSettingsGroup::setFrequencyClick() {
    const int region = uhfRegion::all.value(region_->currentIndex());
    if (!report(settings_.setRegion(region), tr("设置工作区域 %1 ").arg(uhfRegion::name(region))))
        return;
    if (!report(settings_.setChannel(channel_->currentIndex()),
                tr("设置信道 %1 ").arg(channel_->currentText())))
        return;
    report(settings_.setHopping(hopping_->isChecked()),
           hopping_->isChecked() ? tr("打开跳频 ") : tr("关闭跳频 "));
}

void ModuleSettingsGroup::setQueryClick() {
    QueryParameters query = query_;
    query.session = session_->currentIndex();
    query.targetB = target_->currentIndex() == 1;
    query.q = q_->value();
    if (report(settings_.setQuery(query), tr("设置 Query 参数 %1 ").arg(query.text())))
        showQuery(query);
}
