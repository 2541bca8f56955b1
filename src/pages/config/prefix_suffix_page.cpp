#include "prefix_suffix_page.h"

#include "pages/page_support.h"
#include "pages/reader_command.h"
#include "protocol/baud_rates.h"
#include "protocol/hex_text.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// One parameter of the UHF machine set from one edit: decimal text, or hex
// text that the page reads with "$" before it.
struct EditParameter {
    const char* label;
    const char* range;
    const char* edit;
    const char* text;
    bool hex;
    const char* button;
    const char* code;
    const char* success;
    const char* failure;
};

const EditParameter kBeforeInterfaces[] = {
    {"寻卡时间间隔：   ", "范围 ：00~255，单位是10毫秒               ", "Edit29", "10", false,
     "Button30", "c1", "寻卡时间间隔设置成功   ", "寻卡时间间隔设置失败   "},
    {"卡片过滤次数：   ", "范围  00~255 ,00一直输出   ", "Edit35", "10", false, "Button35", "c2",
     "卡片过滤次数设置成功   ", "卡片过滤次数设置失败   "},
    {"读卡等待时间：   ", "范围 ：00~255，单位是秒        ", "Edit75", "10", false, "Button83",
     "BD", "读卡等待时间设置成功   ", "读卡等待时间设置失败   "},
};

const EditParameter kAfterBaudRate[] = {
    {"串口输出结束符：   ", "00 无, 01表示 0D,  02表示 0D0A      ", "Edit37", "02", false,
     "Button56", "c5", "输出结束符设置成功   ", "输出结束符设置失败   "},
    {"射频输出功率设置：   ", "00~09，表示12.5db~26db       ", "Edit52", "02", false, "Button62",
     "cc", "射频输出功率设置 成功   ", "射频输出功率设置 失败   "},
    {"维根输出格式：   ", "00WG26 01WG34 02WG66 03WG98  ", "Edit39", "00", false, "Button58", "c6",
     "维根输出格式设置成功   ", "维根输出格式设置失败   "},
    {"维根取值位置：   ", "12字节卡号，取值的第几位              ", "Edit40", "09", false,
     "Button59", "c9", "维根取值位置 设置成功   ", "维根取值位置 设置失败   "},
    {"", "维根低电平脉宽范围(0x01~0xFF) 单位10US              ", "Edit42", "0A", true, "Button60",
     "c7", "维根低电平脉宽设置  成功   ", "维根低电平脉宽设置  失败   "},
    {"", "维根空闲电平脉宽(0x01~0xFF) 单位100US        ", "Edit51", "0A", true, "Button61", "c8",
     "维根空闲电平脉宽设置  成功   ", "维根空闲电平脉宽设置  失败   "},
};

// The output interfaces: the on button of each pair gives its flag.
struct InterfacePair {
    const char* on;
    const char* onCaption;
    const char* off;
    const char* offCaption;
};
const InterfacePair kInterfaces[] = {
    {"RadioButton23", "串口开", "RadioButton24", "串口关"},
    {"RadioButton25", "韦根开", "RadioButton26", "韦根关"},
    {"RadioButton27", "USB开", "RadioButton28", "USB关"},
};

// Prefix or suffix: four edits of one byte each, and their button.
struct Affix {
    const char* label;
    const char* edits[4];
    const char* texts[4];
    const char* button;
    const char* caption;
    const char* code;
    const char* success;
    const char* failure;
};
const Affix kAffixes[] = {
    {"前缀：   ",
     {"Edit24", "Edit25", "Edit26", "Edit27"},
     {"30", "31", "32", "33"},
     "Button43",
     "前缀设置",
     "cb01",
     "前缀设置成功   ",
     "前缀设置失败   "},
    {"后缀：   ",
     {"Edit44", "Edit45", "Edit46", "Edit47"},
     {"31", "32", "33", "34"},
     "Button50",
     "后缀设置",
     "cb02",
     "后缀设置成功   ",
     "后缀设置失败   "},
};

const char* const kByteLabels[] = {"第一个字节      ", "第二个字节      ", "第三个字节      ",
                                   "第四个字节      "};

constexpr int kWait = 300;

} // namespace

PrefixSuffixPage::PrefixSuffixPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet7"));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(4);
    page->addWidget(makeAffixGroup());
    page->addWidget(makeMachineGroup());
    page->addStretch();
}

QString PrefixSuffixPage::editText(const char* name) const {
    return findChild<QLineEdit*>(QLatin1String(name))->text();
}

bool PrefixSuffixPage::checked(const char* name) const {
    return findChild<QRadioButton*>(QLatin1String(name))->isChecked();
}

QWidget* PrefixSuffixPage::makeAffixGroup() {
    auto* group = makeGroup(this, "GroupBox29", QStringLiteral("前后缀设置"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < 4; ++i)
        grid->addWidget(makeLabel(group, QString::fromUtf8(kByteLabels[i])), 0, i + 1);
    int row = 1;
    for (const Affix& affix : kAffixes) {
        grid->addWidget(makeLabel(group, QString::fromUtf8(affix.label)), row, 0);
        for (int i = 0; i < 4; ++i) {
            auto* edit = makeEdit(group, affix.edits[i], QLatin1String(affix.texts[i]));
            edit->setFixedWidth(48);
            grid->addWidget(edit, row, i + 1);
        }
        // An empty edit adds nothing; with all four empty the reader is left
        // with no prefix (suffix) at all.
        const CommandButton command{
            affix.button, QString::fromUtf8(affix.caption),
            [this, &affix] {
                QString payload = QLatin1String(affix.code);
                for (const char* edit : affix.edits)
                    payload += editText(edit);
                return payload;
            },
            kWait, ReplyTexts(QString::fromUtf8(affix.success), QString::fromUtf8(affix.failure))};
        grid->addWidget(makeCommandButton(group, context_, command), row, 5);
        ++row;
    }
    return group;
}

// The rows' "设置" buttons are narrow, to leave room for the range labels.
QPushButton* PrefixSuffixPage::setButton(QWidget* group, const CommandButton& command) {
    QPushButton* button = makeCommandButton(group, context_, command);
    button->setFixedWidth(52);
    return button;
}

QWidget* PrefixSuffixPage::makeMachineGroup() {
    auto* group = makeGroup(this, "GroupBox30", QStringLiteral("915M机器信息"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(2, 1);
    int row = 0;

    auto addEditRows = [&](const auto& parameters) {
        for (const EditParameter& parameter : parameters) {
            grid->addWidget(makeLabel(group, QString::fromUtf8(parameter.label)), row, 0);
            auto* edit = makeEdit(group, parameter.edit, QLatin1String(parameter.text));
            edit->setFixedWidth(48);
            grid->addWidget(edit, row, 1);
            grid->addWidget(makeLabel(group, QString::fromUtf8(parameter.range)), row, 2);
            const CommandButton command{parameter.button, QStringLiteral("设置"),
                                        [this, &parameter] {
                                            const QString text = editText(parameter.edit);
                                            return QLatin1String(parameter.code) +
                                                   (parameter.hex ? parameter::hexByte(text)
                                                                  : parameter::decimalByte(text));
                                        },
                                        kWait,
                                        ReplyTexts(QString::fromUtf8(parameter.success),
                                                   QString::fromUtf8(parameter.failure))};
            grid->addWidget(setButton(group, command), row, 3);
            ++row;
        }
    };
    addEditRows(kBeforeInterfaces);

    grid->addWidget(makeLabel(group, QStringLiteral("输出接口设置：  ")), row, 0);
    // Each pair is a column: the on buttons above, the off buttons below.
    auto* pairs = new QGridLayout;
    pairs->setVerticalSpacing(0);
    int column = 0;
    for (const InterfacePair& pair : kInterfaces) {
        auto* buttons = new QButtonGroup(group);
        auto* on = makeRadio(group, pair.on, QString::fromUtf8(pair.onCaption), true);
        auto* off = makeRadio(group, pair.off, QString::fromUtf8(pair.offCaption));
        buttons->addButton(on);
        buttons->addButton(off);
        pairs->addWidget(on, 0, column);
        pairs->addWidget(off, 1, column++);
    }
    pairs->setColumnStretch(column, 1);
    grid->addLayout(pairs, row, 1, 1, 2);
    const CommandButton interfaces{
        "Button41", QStringLiteral("设置"),
        [this] {
            QString payload = QStringLiteral("c3");
            for (const InterfacePair& pair : kInterfaces)
                payload += parameter::flag(checked(pair.on));
            return payload;
        },
        kWait,
        ReplyTexts(QStringLiteral("输出接口设置成功   "), QStringLiteral("输出接口设置失败   "))};
    grid->addWidget(setButton(group, interfaces), row++, 3);

    grid->addWidget(makeLabel(group, QStringLiteral("设置波特率:      ")), row, 0);
    auto* baud = makeCombo(group, "ComboBox20", kBaudRates, true);
    auto* baudRow = new QHBoxLayout;
    baudRow->addWidget(baud);
    baudRow->addWidget(makeLabel(group, QStringLiteral("（要设置的波特率）              ")));
    baudRow->addStretch();
    grid->addLayout(baudRow, row, 1, 1, 2);
    const CommandButton baudRate{
        "Button51", QStringLiteral("设置"),
        [baud] {
            // A rate the reader does not know adds no code byte; the reader
            // refuses the command then.
            return QStringLiteral("C4") + baudRateCode(baud->currentText());
        },
        kWait,
        ReplyTexts(QStringLiteral("波特率设置成功   "), QStringLiteral("波特率设置失败   "))};
    grid->addWidget(setButton(group, baudRate), row++, 3);

    addEditRows(kAfterBaudRate);
    return group;
}
