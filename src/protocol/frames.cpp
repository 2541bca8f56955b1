#include "frames.h"

#include "hex_text.h"
#include <QCoreApplication>

namespace {

QString frame(const QString& address, const QString& prefix, const QString& payload,
              QString* error) {
    const QString digits = hex::digitsOf(payload);
    if (digits.size() % 2) {
        if (error)
            *error = QCoreApplication::translate("frames",
                                                 "十六进制数据有 %1 位，不是整字节，命令未发送   ")
                         .arg(digits.size());
        return QString();
    }
    const QString body = prefix + digits;
    const QString data = address + hex::byte(body.size() / 2) + body;
    int x = 0;
    for (char b : hex::toBytes(data))
        x ^= quint8(b);
    return QStringLiteral("AA") + data + hex::byte(x) + QStringLiteral("BB");
}

} // namespace

QString hfFrame(const QString& address, const QString& payload, QString* error) {
    return frame(address, QString(), payload, error);
}

QString tunnelFrame(const QString& address, const QString& uhfFrame, QString* error) {
    return frame(address, QStringLiteral("ce"), uhfFrame, error);
}

QString uhfChecksum(const QString& typeToLastParameter) {
    return hex::byte(adddate(typeToLastParameter) & 0xFF);
}

bool holdsWholeUhfFrame(const QString& hexText) {
    const QByteArray bytes = hex::toBytes(hexText);
    if (bytes.size() < 7 || quint8(bytes[0]) != 0xBB)
        return false;
    const int parameters = quint8(bytes[3]) << 8 | quint8(bytes[4]);
    return bytes.size() >= 7 + parameters;
}

QString uhfFrame(const QString& typeToLastParameter) {
    return QStringLiteral("BB ") + typeToLastParameter + ' ' + uhfChecksum(typeToLastParameter) +
           QStringLiteral(" 7E");
}

namespace {

// A 16-bit field as two bytes, high first, blank-separated.
QString word(int value) {
    return hex::byte(value >> 8 & 0xFF) + ' ' + hex::byte(value & 0xFF);
}

} // namespace

QString uhfSelectFrame(int bank, int bitPointer, const QString& mask) {
    const int bytes = int(hex::digitsOf(mask).size()) / 2;
    return uhfFrame(QStringLiteral("00 0C ") + word(bytes + 7) + ' ' + hex::byte(bank) + ' ' +
                    word(bitPointer >> 16) + ' ' + word(bitPointer) + ' ' + hex::byte(bytes * 8) +
                    QStringLiteral(" 00 ") + mask);
}

QString uhfReadFrame(const QString& password, int bank, int wordAddress, int words) {
    return uhfFrame(QStringLiteral("00 39 00 09 ") + password + ' ' + hex::byte(bank) + ' ' +
                    word(wordAddress) + ' ' + word(words));
}

QString uhfWriteFrame(const QString& password, int bank, int wordAddress, const QString& data) {
    const int bytes = int(hex::digitsOf(data).size()) / 2;
    return uhfFrame(QStringLiteral("00 49 ") + word(bytes + 9) + ' ' + password + ' ' +
                    hex::byte(bank) + ' ' + word(wordAddress) + ' ' + word(bytes / 2) + ' ' + data);
}

QString uhfCommandFrame(int command, const QString& parameters) {
    const int bytes = int(hex::digitsOf(parameters).size()) / 2;
    QString text = QStringLiteral("00 ") + hex::byte(command) + ' ' + word(bytes);
    if (bytes)
        text += ' ' + parameters;
    return uhfFrame(text);
}

QStringList shownFrameBytes(const QString& frame) {
    const QString digits = hex::digitsOf(frame);
    QStringList bytes;
    for (int i = 0; i + 1 < digits.size(); i += 2)
        bytes << digits.mid(i, 2);
    // AA, address, length, 8A, name bytes, 2C, password bytes, XOR, BB. The
    // name has no comma; without one everything after 8A may be the password.
    if (bytes.size() > 5 && bytes[0].toUpper() == QLatin1String("AA") &&
        bytes[3].toUpper() == QLatin1String("8A")) {
        int separator = -1;
        for (int i = 4; separator < 0 && i < bytes.size(); ++i)
            if (bytes[i].toUpper() == QLatin1String("2C"))
                separator = i;
        for (int i = separator < 0 ? 4 : separator + 1; i < bytes.size() - 1; ++i)
            bytes[i] = QStringLiteral("**");
    }
    return bytes;
}
