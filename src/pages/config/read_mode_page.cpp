#include "read_mode_page.h"

#include "pages/page_support.h"
#include "pages/reader_command.h"
#include "settings/setting_frames.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

ReadModePage::ReadModePage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), layout_(new QVBoxLayout(this)) {
    setObjectName(QStringLiteral("TabSheet8"));
    layout_->setContentsMargins(4, 4, 4, 4);
    layout_->setSpacing(4);
    // Compact, so that the EPC group below gets the rest of the page.
    auto* groups = new QHBoxLayout;
    for (QWidget* group : {makeReadModeGroup(), makeRelayGroup()}) {
        group->setSizePolicy(group->sizePolicy().horizontalPolicy(), QSizePolicy::Maximum);
        groups->addWidget(group, 0, Qt::AlignTop);
    }
    groups->setStretch(0, 1);
    layout_->addLayout(groups);
}

void ReadModePage::addEpcGroup(QWidget* group) {
    layout_->addWidget(group);
    layout_->addStretch();
}

QWidget* ReadModePage::makeReadModeGroup() {
    auto* group = makeGroup(this, "GroupBox36", tr("读卡模式切换"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    using settings::kReadModes;
    for (int i = 0; i < settings::kMemoryAreaMode; ++i)
        grid->addWidget(
            makeRadio(group, kReadModes[i].radio, settingsText(kReadModes[i].caption), i == 0),
            i / 2, i % 2);

    const settings::ReadMode& area = kReadModes[settings::kMemoryAreaMode];
    grid->addWidget(makeRadio(group, area.radio, settingsText(area.caption)), 2, 0);

    // The mode's name is the one checked when the reply is judged.
    const CommandButton set{
        "Button69", tr("设置"),
        [this] {
            QStringList area;
            for (const settings::AreaField& field : settings::kAreaFields)
                area << findChild<QLineEdit*>(QLatin1String(field.edit))->text();
            return settings::readModePayload(checkedMode(), area);
        },
        settings::kSettingWait, [this] { return settings::readModeTexts(checkedMode()); }};
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makeCommandButton(group, context_, set));
    auto* structure = makeButton(group, "Button72", tr("扇区结构"));
    connect(structure, &QPushButton::clicked, this, [this] { context_.showCardMemory(); });
    buttons->addWidget(structure);
    buttons->addStretch();
    grid->addLayout(buttons, 2, 1);

    auto* areaRow = new QHBoxLayout;
    areaRow->setSpacing(2);
    for (const settings::AreaField& field : settings::kAreaFields) {
        areaRow->addWidget(makeLabel(group, settingsText(field.label)));
        auto* edit = makeEdit(group, field.edit, QString::fromUtf8(field.text));
        edit->setFixedWidth(field.width);
        areaRow->addWidget(edit);
    }
    areaRow->addStretch();
    grid->addLayout(areaRow, 3, 0, 1, 2);
    return group;
}

QWidget* ReadModePage::makeRelayGroup() {
    auto* group = makeGroup(this, "GroupBox43", tr("继电器信号控制"));
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(6, 2, 6, 4);
    const CommandButton relay[] = {
        {"Button81", tr("继电器开"), [] { return settings::relayPayload(true); },
         settings::kSettingWait, settings::relayTexts(true)},
        {"Button82", tr("继电器关"), [] { return settings::relayPayload(false); },
         settings::kSettingWait, settings::relayTexts(false)},
    };
    for (const CommandButton& command : relay)
        column->addWidget(makeCommandButton(group, context_, command));
    column->addStretch();
    return group;
}

int ReadModePage::checkedMode() const {
    for (int i = 0; i < int(std::size(settings::kReadModes)); ++i)
        if (findChild<QRadioButton*>(QLatin1String(settings::kReadModes[i].radio))->isChecked())
            return i;
    return 0;
}
