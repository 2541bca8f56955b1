#include "conversion.h"

#include <limits>

InputError::InputError(const QString& message) : std::runtime_error(message.toStdString()) {}

QString InputError::message() const {
    return QString::fromStdString(what());
}

ConversionError::ConversionError(const QString& text)
    : InputError(QStringLiteral("'%1' is not a valid integer value").arg(text)) {}

bool tryStrToInt(const QString& text, int* value) {
    int i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i >= text.size())
        return false;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    const qint64 result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max())
        return false;
    *value = int(result);
    return true;
}

int strToInt(const QString& text) {
    int value = 0;
    if (!tryStrToInt(text, &value))
        throw ConversionError(text);
    return value;
}

bool plainDecimal(const QString& text, quint64 max, quint64* value) {
    if (text.isEmpty())
        return false;
    quint64 number = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        const quint64 digit = c.unicode() - '0';
        if (number > (max - digit) / 10)
            return false;
        number = number * 10 + digit;
    }
    *value = number;
    return true;
}
