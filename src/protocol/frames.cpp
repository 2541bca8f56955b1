#include "frames.h"

#include "hex_text.h"

namespace {

QString frame(const QString& address, const QString& prefix, const QString& payload,
              QString* error) {
    const QString digits = hex::digitsOf(payload);
    if (digits.size() % 2) {
        if (error)
            *error = QStringLiteral("十六进制数据有 %1 位，不是整字节，命令未发送   ")
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
