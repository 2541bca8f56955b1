#include "command_parameters.h"

#include "conversion.h"
#include "hex_text.h"
#include <QCoreApplication>

namespace parameter {

namespace {
InputError outOfRange(const QString& text, const QString& range) {
    return InputError(
        QCoreApplication::translate("parameter", "'%1' 超出范围 %2，命令未发送").arg(text, range));
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
