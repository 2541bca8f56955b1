#include "sim_device.h"

#include "protocol/hex_text.h"

#include <algorithm>

int SimDevice::write(const QByteArray& frame) {
    written << hex::fromBytes(frame);
    reply_ = reader.exchange(sim::Bytes(frame.begin(), frame.end()));
    return frame.size();
}

int SimDevice::read(unsigned char* buffer, int capacity) {
    const std::size_t count = std::min<std::size_t>(reply_.size(), capacity);
    std::copy_n(reply_.begin(), count, buffer);
    reply_.clear();
    return int(count);
}

void SimDevice::takeTagAway() {
    sim::TagField& field = reader.uhfModule().field();
    field.takeAway(field.strongest());
}
