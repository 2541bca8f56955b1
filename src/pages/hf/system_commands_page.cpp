#include "system_commands_page.h"

#include "card_page_tools.h"
#include "pages/page_support.h"
#include "protocol/baud_rates.h"
#include "protocol/conversion.h"
#include "protocol/hex_text.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

constexpr int waitMs = 300;
// The continuous modes wait N + 10 ms in an int; a day is more than anyone waits.
constexpr int longestInterval = 24 * 60 * 60 * 1000;
const QString defaultInterval = QStringLiteral("100");

QLineEdit* makeByteEdit(QWidget* parent, const char* name, const QString& text) {
    auto* edit = makeEdit(parent, name, text);
    edit->setFixedWidth(40);
    return edit;
}

// Payload: the command code, then the operator's text of each edit as typed.
std::function<QString()> codeAndTexts(const QString& code, const QList<QLineEdit*>& edits) {
    return [code, edits] {
        QString payload = code;
        for (const QLineEdit* edit : edits)
            payload += edit->text();
        return payload;
    };
}

} // namespace

SystemCommandsPage::SystemCommandsPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet4"));
    ReaderLink& link = context_.link;

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);

    auto* commands = makeGroup(this, "GroupBox3", tr("系统命令"));
    auto* grid = new QGridLayout(commands);
    grid->setVerticalSpacing(10);
    int row = 0;
    // One row: label, inputs, note, button.
    auto addRow = [&](const QString& label, const QList<QWidget*>& inputs, const QString& note,
                      const char* button, const QString& caption) {
        grid->addWidget(makeLabel(commands, label), row, 0);
        auto* inputRow = new QHBoxLayout;
        inputRow->setSpacing(4);
        for (QWidget* input : inputs)
            inputRow->addWidget(input);
        if (!note.isEmpty())
            inputRow->addWidget(makeLabel(commands, note));
        inputRow->addStretch();
        grid->addLayout(inputRow, row, 1);
        auto* pushButton = makeButton(commands, button, caption);
        pushButton->setFixedWidth(60);
        grid->addWidget(pushButton, row++, 2);
        return pushButton;
    };

    const QString set = tr("设置");
    const QString read = tr("读取");
    baudRate_ = makeCombo(commands, "ComboBox5", kBaudRates, true);
    baudRate_->setToolTip(tr("待设置的波特率"));
    auto* button12 = addRow(tr("设置波特率:      "), {baudRate_},
                            tr("（要设置的波特率）              "), "Button12", set);
    auto* button4 = addRow(tr("读取机器ID号:         "), {}, QString(), "Button4", read);
    auto* edit4 = makeByteEdit(commands, "Edit4", QStringLiteral("00"));
    edit4->setToolTip(tr("要设置的新地址 ,十六进制表示。"));
    auto* button11 =
        addRow(tr("重设置机器ID号：    "), {edit4}, tr("（范围0~FF）  "), "Button11", set);
    auto* button14 = addRow(tr("读取机器的序列号：    "), {}, QString(), "Button14", read);
    auto* edit9 = makeEdit(commands, "Edit9", QStringLiteral("FF FF FF FF FF FF FF FF"));
    edit9->setFixedWidth(170);
    auto* button13 =
        addRow(tr("重设置机器序列号：     "), {edit9}, tr("8个字节     "), "Button13", set);

    // LED, LED-R and buzzer: a period and a count byte each.
    struct Signal {
        const char* label;
        const char* period;
        const char* periodLabel;
        const char* count;
        const char* button;
        const char* code;
        const char* name;
    };
    const Signal signalRows[] = {
        {QT_TRANSLATE_NOOP("SystemCommandsPage", "led的控制："), "Edit30",
         QT_TRANSLATE_NOOP("SystemCommandsPage", "  周期      "), "Edit31", "Button20", "88",
         "LED"},
        {QT_TRANSLATE_NOOP("SystemCommandsPage", "led-R 的控制："), "Edit11",
         QT_TRANSLATE_NOOP("SystemCommandsPage", "  周期      "), "Edit12", "Button23", "87",
         "LED-R"},
        {QT_TRANSLATE_NOOP("SystemCommandsPage", "buzzer的控制："), "Edit33",
         QT_TRANSLATE_NOOP("SystemCommandsPage", "  周期        "), "Edit34", "Button21", "89",
         "BUZ"},
    };

    QList<std::pair<QPushButton*, ReaderCommand>> table;
    for (const Signal& signal : signalRows) {
        auto* period = makeByteEdit(commands, signal.period, QStringLiteral("16"));
        auto* count = makeByteEdit(commands, signal.count, QStringLiteral("03"));
        auto* button = addRow(tr(signal.label),
                              {makeLabel(commands, tr(signal.periodLabel)), period,
                               makeLabel(commands, tr("次数     ")), count},
                              QString(), signal.button, set);
        const QString name = QLatin1String(signal.name);
        table.append(
            {button,
             {codeAndTexts(QLatin1String(signal.code), {period, count}), waitMs,
              ReplyTexts(tr("设置%1操作成功   ").arg(name), tr("设置%1操作失败   ").arg(name))}});
    }
    grid->setColumnStretch(1, 1);
    page->addWidget(commands);

    ReplyTexts address(tr("系统地址为 : "), tr("操作失败        "));
    address.data = [](const QString& reply) {
        return reply::byte(reply, 5) + QStringLiteral("   ");
    };
    table.append({button12,
                  {[this] { return baudRatePayload(); }, waitMs,
                   ReplyTexts(tr("波特率设置成功   "), tr("波特率设置失败   "))}});
    table.append({button11,
                  {codeAndTexts(QStringLiteral("80"), {edit4}), waitMs,
                   ReplyTexts(tr("读写器地址设置成功   "), tr("读写器地址设置失败   "))}});
    table.append({button14,
                  {[] { return QStringLiteral("83"); }, waitMs,
                   fieldReport(link, tr("读序列号成功   "), tr("读序列号失败   "), false,
                               {{tr("地址为："), 5, 5}, {tr("序列号为："), 6, 13, true}})}});
    table.append({button13,
                  {codeAndTexts(QStringLiteral("82"), {edit9}), waitMs,
                   ReplyTexts(tr("机器序列号设置成功   "), tr("机器序列号设置失败   "))}});
    for (const auto& [button, command] : table)
        connectCommand(button, context_, command);
    // The address read alone starts from an empty reply.
    connect(button4, &QPushButton::clicked, this, [this, address] {
        context_.link.setReplyText(QString());
        runCommand(context_, {[] { return QStringLiteral("83"); }, waitMs, address});
    });

    auto* state = makeGroup(this, "GroupBox11", tr("读卡器硬件状态切换"));
    auto* stateGrid = new QGridLayout(state);
    stateGrid->addWidget(makeLabel(state, tr("读卡器硬件状态切换：      ")), 0, 0);
    // The reading mode goes out without a wait or a check: its reply stays for what runs next.
    const struct {
        const char* name;
        const char* caption;
        const char* payload;
    } modes[] = {{"Button52", QT_TRANSLATE_NOOP("SystemCommandsPage", "主动读卡"), "0f01"},
                 {"Button53", QT_TRANSLATE_NOOP("SystemCommandsPage", "被动读卡"), "0f02"}};
    int column = 1;
    for (const auto& mode : modes) {
        auto* button = makeButton(state, mode.name, tr(mode.caption));
        const QString payload = QLatin1String(mode.payload);
        connect(button, &QPushButton::clicked, this,
                [this, payload] { context_.link.Send(payload); });
        stateGrid->addWidget(button, 0, column++);
    }
    stateGrid->addWidget(makeLabel(state, tr("程序等待时间：   ")), 1, 0);
    interval_ = makeEdit(state, "Edit22", defaultInterval);
    interval_->setFixedWidth(80);
    connect(interval_, &QLineEdit::textChanged, this, &SystemCommandsPage::Edit22Change);
    stateGrid->addWidget(interval_, 1, 1);
    stateGrid->addWidget(makeLabel(state, tr("毫秒（ms）")), 1, 2);
    stateGrid->setColumnStretch(3, 1);
    page->addWidget(state);
    page->addStretch();
}

QString SystemCommandsPage::baudRatePayload() const {
    // A text outside the table gives no code byte: 81 goes alone.
    return QStringLiteral("81") + baudRateCode(baudRate_->currentText());
}

int SystemCommandsPage::interval() const {
    return qMin(strToInt(interval_->text()), longestInterval);
}

void SystemCommandsPage::Edit22Change() {
    int value = 0;
    if (!tryStrToInt(interval_->text(), &value) || value < 0)
        interval_->setText(defaultInterval);
}
