#include "sim/serial/serial_reader.h"

#include "sim/uhf_frame.h"

#include <algorithm>

namespace sim {

namespace {

constexpr std::uint8_t kHeader = 0xBB;
constexpr std::size_t kOverhead = 7;
constexpr std::uint8_t kReadModeCommand = 0xC1;
constexpr std::uint8_t kSwitchToHidCommand = 0xC2;
constexpr std::uint8_t kMemoryAreaCommand = 0xC9;
constexpr std::uint8_t kResultFailed = 0x01;
constexpr std::uint8_t kHighestMode = 0x03;
constexpr std::uint8_t kHighestBank = 0x03;

Bytes response(std::uint8_t command, const Bytes& parameters) {
    return UhfFrame::build(UhfFrame::kResponse, command, parameters);
}

} // namespace

Bytes SerialReader::receive(const Bytes& bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    Bytes replies;
    for (;;) {
        // Bytes before a frame header are line noise.
        pending_.erase(pending_.begin(), std::find(pending_.begin(), pending_.end(), kHeader));
        if (pending_.size() < 5)
            break;
        const std::size_t size = kOverhead + (pending_[3] << 8 | pending_[4]);
        if (pending_.size() < size)
            break;
        const Bytes frame(pending_.begin(), pending_.begin() + size);
        pending_.erase(pending_.begin(), pending_.begin() + size);
        const Bytes reply = answer(frame);
        replies.insert(replies.end(), reply.begin(), reply.end());
    }
    return replies;
}

Bytes SerialReader::answer(const Bytes& frame) {
    const auto request = UhfFrame::parse(frame);
    if (!request || request->type != UhfFrame::kCommand)
        return module_.answer(frame);
    const Bytes& p = request->parameters;
    switch (request->command) {
    case kReadModeCommand:
        if (p.size() != 1 || p[0] > kHighestMode)
            return response(kReadModeCommand, {kSettingFailed});
        readMode_ = p[0];
        return response(kReadModeCommand, {readMode_});
    case kMemoryAreaCommand:
        // Bank, four password bytes, first word, word count.
        if (p.size() != 7 || p[0] > kHighestBank || p[6] == 0)
            return response(kMemoryAreaCommand, {kSettingFailed});
        readMode_ = kMemoryReadMode;
        return response(kMemoryAreaCommand, {kMemoryReadMode});
    case kSwitchToHidCommand:
        if (p != Bytes{0x00})
            return response(kSwitchToHidCommand, {kResultFailed, kBadParameters});
        switchedToHid_ = true;
        return response(kSwitchToHidCommand, {0x00});
    default:
        return module_.answer(frame);
    }
}

} // namespace sim
