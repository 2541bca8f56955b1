#include "output_format_page.h"

#include "pages/page_support.h"
#include "pages/reader_command.h"
#include "protocol/baud_rates.h"
#include "protocol/hex_text.h"
#include "settings/setting_frames.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// Option check boxes in the order of their payload bytes 3 to 6.
struct Option {
    const char* box;
    const char* caption;
    bool checked;
};
const Option kOptions[] = {
    {"CheckBox16", QT_TRANSLATE_NOOP("OutputFormatPage", "数据前面加 ; 号  "), false},
    {"CheckBox17", QT_TRANSLATE_NOOP("OutputFormatPage", "数据后面加?号  "), false},
    {"CheckBox18", QT_TRANSLATE_NOOP("OutputFormatPage", "中间加逗号"), false},
    {"CheckBox15", QT_TRANSLATE_NOOP("OutputFormatPage", "数据后面加回车"), true},
};

} // namespace

OutputFormatPage::OutputFormatPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet1"));

    // Never shown: only the address selector in it has a role.
    auto* group = makeGroup(this, "GroupBox1", tr("通讯信息"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(makeLabel(group, tr("通讯COM口：")), 0, 0);
    grid->addWidget(makeCombo(group, "ComboBox1", {}), 0, 1);
    grid->addWidget(makeLabel(group, tr("波特率选择：")), 1, 0);
    grid->addWidget(makeCombo(group, "ComboBox2", kBaudRates), 1, 1);
    grid->addWidget(makeLabel(group, tr("当前机器ID号：  ")), 2, 0);
    QStringList addresses;
    for (int a = 0; a <= 0x20; ++a)
        addresses << hex::byte(a).toLower();
    setadd_ = makeCombo(group, "setadd", addresses);
    grid->addWidget(setadd_, 2, 1);
    auto* open = makeButton(group, "Button1", tr("COM打开"));
    open->setEnabled(false);
    grid->addWidget(open, 3, 0);
    grid->addWidget(makeButton(group, "Button2", tr("COM关闭")), 3, 1);
    group->hide();

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(4);
    page->addWidget(group);
    page->addWidget(makeFormatGroup());
    page->addWidget(makeBuzzerGroup());
    page->addWidget(makeButtonGroup());
    page->addStretch();
}

QWidget* OutputFormatPage::makeFormatGroup() {
    auto* group = makeGroup(this, "GroupBox27", tr(" 输出格式设置 "));
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(6, 2, 6, 4);
    column->setSpacing(2);

    auto* radios = new QGridLayout;
    radios->setVerticalSpacing(2);
    const int rows = int(std::size(settings::kFormats) + 1) / 2;
    int index = 0;
    for (const settings::FormatChoice& format : settings::kFormats) {
        auto* radio = makeRadio(group, format.radio, settingsText(format.caption),
                                qstrcmp(format.radio, "RadioButton16") == 0);
        radios->addWidget(radio, index % rows, index / rows);
        ++index;
    }
    column->addLayout(radios);

    auto* custom = new QHBoxLayout;
    custom->addWidget(makeRadio(group, settings::kCustomFormatRadio, tr("卡号16进制输出")));
    edit64_ = makeEdit(group, "Edit64", QStringLiteral("10"));
    edit64_->setFixedWidth(40);
    custom->addWidget(edit64_);
    custom->addWidget(makeLabel(group, tr("个字节       ")));
    custom->addWidget(makeLabel(group, tr("00 表示输出全部卡号        ")));
    custom->addStretch();
    column->addLayout(custom);

    auto* options = new QGridLayout;
    options->setVerticalSpacing(2);
    index = 0;
    for (const Option& option : kOptions) {
        options->addWidget(makeCheckBox(group, option.box, tr(option.caption), option.checked),
                           index / 3, index % 3);
        ++index;
    }
    options->addWidget(makeCheckBox(group, "CheckBox21", tr("数据后面加RSSI")), index / 3,
                       index % 3);
    column->addLayout(options);
    return group;
}

QWidget* OutputFormatPage::makeBuzzerGroup() {
    // Never shown; only the large-buzzer choice goes into the set-format command.
    auto* group = makeGroup(this, "GroupBox28", tr("蜂鸣器 "));
    auto* row = new QHBoxLayout(group);
    row->addWidget(makeRadio(group, "RadioButton18", tr("大蜂鸣器"), true));
    row->addWidget(makeRadio(group, "RadioButton20", tr("小蜂鸣器")));
    row->addWidget(makeEdit(group, "Edit23", QStringLiteral("2B")));
    row->addWidget(makeCheckBox(group, "CheckBox19", tr("增加自定义字节    ")));
    group->hide();
    return group;
}

QWidget* OutputFormatPage::makeButtonGroup() {
    auto* group = makeGroup(this, "GroupBox34", QString());
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);

    const struct {
        const char* caption;
        int row;
        int column;
    } labels[] = {{QT_TRANSLATE_NOOP("OutputFormatPage", "格式设置：   "), 0, 0},
                  {QT_TRANSLATE_NOOP("OutputFormatPage", "读卡器状态：      "), 1, 0},
                  {QT_TRANSLATE_NOOP("OutputFormatPage", "恢复出厂：   "), 0, 3},
                  {QT_TRANSLATE_NOOP("OutputFormatPage", "读版本号： "), 1, 3}};
    for (const auto& label : labels)
        grid->addWidget(makeLabel(group, tr(label.caption)), label.row, label.column);

    auto texts = [](const char* success, const char* failure, bool lineBreak) {
        return ReplyTexts(tr(success), tr(failure), lineBreak);
    };
    // Read-back buttons write their success lines themselves.
    using Lines = void (OutputFormatPage::*)(const QString&, const QString&);
    auto readBack = [this](const char* failure, Lines lines) {
        return [this, failure = tr(failure), lines] {
            ReplyTexts replyTexts(QString(), failure);
            replyTexts.successLines = [this, lines](const QString& reply, const QString& time) {
                (this->*lines)(reply, time);
            };
            return replyTexts;
        };
    };
    auto constant = [](const char* payload) {
        return [text = QString::fromLatin1(payload)] { return text; };
    };
    const struct {
        CommandButton command;
        int row;
        int column;
    } buttons[] = {
        {{"Button24", tr("设置格式"), [this] { return setFormatPayload(); }, settings::kSettingWait,
          settings::outputFormatTexts()},
         0,
         1},
        {{"Button25", tr("读取格式"), [] { return settings::kReadFormatPayload; }, 300,
          readBack(QT_TRANSLATE_NOOP("OutputFormatPage", "读取输出格式失败   "),
                   &OutputFormatPage::logFormat)},
         0,
         2},
        {{"Button27", tr("主动读卡"), constant("0f01"), 300,
          texts(QT_TRANSLATE_NOOP("OutputFormatPage", "设置主动读卡成功   "),
                QT_TRANSLATE_NOOP("OutputFormatPage", "设置主动读卡失败   "), false)},
         1,
         1},
        {{"Button28", tr("被动读卡"), constant("0f02"), 300,
          texts(QT_TRANSLATE_NOOP("OutputFormatPage", "设置被动读卡成功   "),
                QT_TRANSLATE_NOOP("OutputFormatPage", "设置被动读卡失败   "), false)},
         1,
         2},
        {{"Button57", tr("恢复出厂"), constant("cf"), 300,
          texts(QT_TRANSLATE_NOOP("OutputFormatPage", "恢复出厂设置成功   "),
                QT_TRANSLATE_NOOP("OutputFormatPage", "恢复出厂设置失败   "), true)},
         0,
         4},
        {{"Button63", tr("版本号"), [] { return settings::kVersionPayload; }, 300,
          readBack(QT_TRANSLATE_NOOP("OutputFormatPage", "读取版本号失败   "),
                   &OutputFormatPage::logVersion)},
         1,
         4},
    };
    for (const auto& button : buttons)
        grid->addWidget(makeCommandButton(group, context_, button.command), button.row,
                        button.column);

    button64_ = makeButton(group, "Button64", tr("关闭声音"));
    connect(button64_, &QPushButton::clicked, this, &OutputFormatPage::Button64Click);
    grid->addWidget(button64_, 2, 4);
    return group;
}

QString OutputFormatPage::address() const {
    return setadd_->currentText();
}

bool OutputFormatPage::checked(const char* name) const {
    const auto* box = findChild<const QAbstractButton*>(QLatin1String(name));
    return box && box->isChecked();
}

QString OutputFormatPage::formatCode() const {
    for (const settings::FormatChoice& format : settings::kFormats)
        if (checked(format.radio))
            return QLatin1String(format.code);
    return settings::customFormatCode(edit64_->text());
}

QString OutputFormatPage::setFormatPayload() const {
    settings::OutputFormat format;
    format.code = formatCode();
    bool* const flags[] = {&format.semicolon, &format.questionMark, &format.comma,
                           &format.carriageReturn};
    for (std::size_t i = 0; i < std::size(kOptions); ++i)
        *flags[i] = checked(kOptions[i].box);
    format.largeBuzzer = checked("RadioButton18");
    format.rssi = checked("CheckBox21");
    return settings::outputFormatPayload(format);
}

void OutputFormatPage::logFormat(const QString& reply, const QString& time) {
    context_.link.log(tr("读取输出格式成功   ") + time);
    for (const QString& line : settings::formatReadBackLines(reply))
        context_.link.log(line);
}

void OutputFormatPage::logVersion(const QString& reply, const QString& time) {
    context_.link.log(tr("读取版本号成功   ") + time);
    context_.link.log(tr("版本号为：") + settings::versionText(reply) + kCrLf);
}

void OutputFormatPage::Button64Click() {
    // Fixed frames at address 00; the reply is not looked at.
    if (button64_->text() == tr("关闭声音")) {
        context_.link.SendHex(QStringLiteral("AA 00 02 CD 00 CF BB "));
        button64_->setText(tr("打开声音"));
        context_.link.log(tr("发送蜂鸣器打开指令"));
    } else {
        context_.link.SendHex(QStringLiteral("AA 00 02 CD 01 CE BB "));
        button64_->setText(tr("关闭声音"));
        context_.link.log(tr("发送蜂鸣器关闭指令"));
    }
}
