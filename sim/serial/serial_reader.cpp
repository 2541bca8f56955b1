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
constexpr std::uint8_t kErrorCommand = 0xFF;
constexpr std::uint8_t kMultipleInventory = 0x27;
constexpr std::uint8_t kStopInventory = 0x28;
// The byte that has to come first in a multiple inventory's parameters.
constexpr std::uint8_t kInventoryReserved = 0x22;
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
    case kMultipleInventory:
        // Reserved byte, round count; the answer is the notices that follow.
        if (p.size() != 3 || p[0] != kInventoryReserved || (p[1] << 8 | p[2]) == 0)
            return response(kErrorCommand, {UhfModule::kBadCommand});
        roundsLeft_ = unsigned(p[1] << 8 | p[2]);
        queued_.clear();
        nextDue_.reset();
        return {};
    case kStopInventory:
        roundsLeft_ = 0;
        queued_.clear();
        return module_.answer(frame);
    case kSwitchToHidCommand:
        if (p != Bytes{0x00})
            return response(kSwitchToHidCommand, {kResultFailed, kBadParameters});
        switchedToHid_ = true;
        return response(kSwitchToHidCommand, {0x00});
    default:
        return module_.answer(frame);
    }
}

Bytes SerialReader::due(Microseconds now) {
    Bytes notices;
    if (!streaming())
        return notices;
    if (!nextDue_)
        nextDue_ = now;
    while (streaming() && *nextDue_ <= now) {
        if (queued_.empty()) {
            --roundsLeft_;
            for (Bytes& notice : module_.inventoryNotices())
                queued_.push_back(std::move(notice));
            if (queued_.empty()) {
                *nextDue_ += noticeInterval_;
                continue;
            }
        }
        notices.insert(notices.end(), queued_.front().begin(), queued_.front().end());
        queued_.pop_front();
        *nextDue_ += noticeInterval_;
    }
    return notices;
}

std::optional<SerialReader::Microseconds> SerialReader::nextDue() const {
    if (!streaming())
        return std::nullopt;
    return nextDue_ ? *nextDue_ : Microseconds(0);
}

} // namespace sim
