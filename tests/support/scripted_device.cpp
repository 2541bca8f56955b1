#include "scripted_device.h"

#include "protocol/hex_text.h"

#include <cstring>

void ScriptedDevice::reply(const QString& hexText) {
    replies << hex::toBytes(hexText);
}

int ScriptedDevice::write(const QByteArray& frame) {
    written << hex::fromBytes(frame);
    return writeResult < 0 ? frame.size() : writeResult;
}

void ScriptedDevice::read(unsigned char* buffer, int capacity) {
    if (replies.isEmpty())
        return;
    const QByteArray next = replies.takeFirst();
    std::memcpy(buffer, next.constData(), qMin<int>(capacity, next.size()));
}
