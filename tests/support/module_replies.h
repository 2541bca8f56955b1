#pragma once

#include "protocol/hex_text.h"

#include <QString>

// Module frames as the tests write them, checksum computed here rather than
// by the builder under test.

// BB, the bytes from type to the last parameter, their checksum, 7E.
inline QString moduleFrame(const QString& typeToLastParameter) {
    int sum = 0;
    for (char b : hex::toBytes(typeToLastParameter))
        sum += quint8(b);
    return QStringLiteral("BB") + hex::fromBytes(hex::toBytes(typeToLastParameter)) +
           hex::byte(sum & 0xFF) + QStringLiteral("7E");
}

// The reader's HF reply frame at address 00 carrying a module reply behind status 00.
inline QString carrying(const QString& moduleReply) {
    const QByteArray payload = hex::toBytes(QStringLiteral("00") + moduleReply);
    QByteArray data;
    data.append(char(0));
    data.append(char(payload.size()));
    data.append(payload);
    int x = 0;
    for (char b : data)
        x ^= quint8(b);
    return QStringLiteral("AA") + hex::fromBytes(data) + hex::byte(x) + QStringLiteral("BB");
}

// The HF frame that carries a module command through the tunnel, as the
// device records it: compact upper-case hex.
inline QString tunnelled(const QString& moduleCommand) {
    const QByteArray frame = hex::toBytes(moduleCommand);
    QByteArray data;
    data.append(char(0));
    data.append(char(frame.size() + 1));
    data.append(char(0xCE));
    data.append(frame);
    int x = 0;
    for (char b : data)
        x ^= quint8(b);
    return QStringLiteral("AA") + hex::fromBytes(data) + hex::byte(x) + QStringLiteral("BB");
}
