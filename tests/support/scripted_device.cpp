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

int ScriptedDevice::read(unsigned char* buffer, int capacity) {
    if (replies.isEmpty())
        return 0;
    const QByteArray next = replies.takeFirst();
    const int count = qMin<int>(capacity, next.size());
    std::memcpy(buffer, next.constData(), count);
    return count;
}

bool ScriptedDevice::chooseReader(const ReaderInfo& reader) {
    chosen << reader;
    return listing;
}

bool ScriptedDevice::addReaderId(quint16 vendorId, quint16 productId) {
    addedIds << ReaderInfo{vendorId, productId, {}, {}, {}, false}.id();
    return listing;
}
