#include "command_button.h"

#include "pages/page_support.h"
#include "protocol/conversion.h"
#include "protocol/hex_text.h"

InputError::InputError(const QString& message) : std::runtime_error(message.toStdString()) {}

QString InputError::message() const {
    return QString::fromStdString(what());
}

namespace parameter {

namespace {
InputError outOfRange(const QString& text, const QString& range) {
    return InputError(QStringLiteral("'%1' 超出范围 %2，命令未发送").arg(text, range));
}
} // namespace

int decimal(const QString& text, int max) {
    const int value = strToInt(text);
    if (value < 0 || value > max)
        throw outOfRange(text, QStringLiteral("0~%1").arg(max));
    return value;
}

// A byte parameter of three hex digits would shift every byte after it.
QString decimalByte(const QString& text, int max) {
    return hex::byte(decimal(text, max));
}

QString hexByte(const QString& text) {
    const int value = strToInt(QLatin1Char('$') + text);
    if (value < 0 || value > 0xFF)
        throw outOfRange(text, QStringLiteral("00~FF"));
    return hex::byte(value);
}

QString flag(bool set) {
    return set ? QStringLiteral("01") : QStringLiteral("00");
}

} // namespace parameter

std::function<ReplyTexts()> fixedTexts(const QString& success, const QString& failure,
                                       bool successLineBreak) {
    return [=] { return ReplyTexts(success, failure, successLineBreak); };
}

void runCommand(const PageContext& context, const CommandButton& command) {
    guarded(context, [&] {
        QString payload;
        try {
            payload = command.payload();
        } catch (const InputError& error) {
            context.showError(error.message());
            return;
        }
        context.link.Send(payload);
        context.link.Delay(command.waitMs);
        context.link.judge(command.texts());
    });
}

QPushButton* makeCommandButton(QWidget* parent, const PageContext& context,
                               const CommandButton& command) {
    QPushButton* button = makeButton(parent, command.name, command.caption);
    QObject::connect(button, &QPushButton::clicked, button,
                     [&context, command] { runCommand(context, command); });
    return button;
}
