#include "hex_text.h"

namespace hex {

bool isDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

QString digitsOf(const QString& text) {
    QString digits;
    digits.reserve(text.size());
    for (QChar c : text)
        if (isDigit(c))
            digits.append(c);
    return digits;
}

QByteArray toBytes(const QString& text) {
    const QString digits = digitsOf(text);
    QByteArray bytes;
    bytes.reserve(digits.size() / 2);
    for (int i = 0; i + 1 < digits.size(); i += 2)
        bytes.append(char(digits.mid(i, 2).toInt(nullptr, 16)));
    return bytes;
}

QString fromBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

bool strictDigits(const QString& text, QString* digits) {
    QString compact;
    compact.reserve(text.size());
    int inPair = 0;
    for (QChar c : text) {
        if (c.isSpace() && inPair == 0)
            continue;
        if (!isDigit(c))
            return false;
        compact.append(c.toUpper());
        inPair ^= 1;
    }
    if (inPair)
        return false;
    *digits = compact;
    return true;
}

QString byte(int value) {
    return QString::number(value, 16).toUpper().rightJustified(2, '0');
}

QString mid(const QString& text, int from, int count) {
    if (from < 1)
        from = 1;
    if (from > text.size())
        return QString();
    return text.mid(from - 1, count);
}

} // namespace hex

QString checkdata(const QString& text) {
    QString digits = hex::digitsOf(text);
    if (digits.size() % 2)
        digits.chop(1);
    return digits;
}

int adddate(const QString& text) {
    int sum = 0;
    for (char b : hex::toBytes(text))
        sum += quint8(b);
    return sum;
}

QString cdate(const QString& text) {
    const int n = text.size();
    QString out;
    for (int i = 1; i <= n / 2; ++i)
        out += text.mid(n - 2 * i, 2) + ' ';
    return out;
}

QString GetAscii(const QByteArray& text) {
    return hex::fromBytes(text);
}

QByteArray Getchr(const QString& text) {
    QByteArray out;
    for (int i = 0; i + 1 < text.size(); i += 2) {
        bool ok = false;
        const int value = text.mid(i, 2).toInt(&ok, 16);
        out.append(char(ok ? value : 0));
    }
    return out;
}
