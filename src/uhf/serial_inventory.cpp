#include "serial_inventory.h"

#include "epc_operations.h"
#include "protocol/frames.h"
#include "protocol/hex_text.h"

#include <algorithm>

namespace {

constexpr int epcBitPointer = 0x20;
constexpr int noTagAnswered = 0x15;
constexpr int multipleInventory = 0x27;
constexpr int stopInventory = 0x28;
constexpr int selectMode = 0x12;

} // namespace

QByteArray SerialInventory::startFrame(int rounds) {
    // 22: a reserved byte the module wants before the count.
    return hex::toBytes(uhfCommandFrame(multipleInventory, QStringLiteral("22 %1 %2")
                                                               .arg(hex::byte(rounds >> 8 & 0xFF))
                                                               .arg(hex::byte(rounds & 0xFF))));
}

QByteArray SerialInventory::stopFrame() {
    return hex::toBytes(uhfCommandFrame(stopInventory));
}

bool SerialInventory::send(const QString& frameHex) {
    return write_(hex::toBytes(frameHex));
}

bool SerialInventory::start(int rounds, const QString& maskHex) {
    reader_.clear();
    damagedCounted_ = 0;
    error_.clear();
    masked_ = !hex::digitsOf(maskHex).isEmpty();
    if (masked_ && !(send(uhfSelectFrame(gen2::epcBank, epcBitPointer, maskHex)) &&
                     send(uhfCommandFrame(selectMode, QStringLiteral("00")))))
        return false;
    rounds_ = std::clamp(rounds, 1, maxRounds);
    if (!write_(startFrame(rounds_)))
        return false;
    state_ = State::Running;
    return true;
}

bool SerialInventory::renew() {
    return state_ == State::Running && write_(startFrame(rounds_));
}

bool SerialInventory::stop() {
    if (state_ == State::Idle)
        return true;
    state_ = State::Stopping;
    stopAnswered_ = false;
    restoreAnswered_ = !masked_;
    const bool sent = write_(stopFrame());
    if (masked_)
        send(uhfCommandFrame(selectMode, QStringLiteral("02")));
    if (!sent)
        abandon();
    return sent;
}

void SerialInventory::abandon() {
    reader_.finish();
    statistics_.countDamaged(reader_.damagedFrames() - damagedCounted_);
    damagedCounted_ = reader_.damagedFrames();
    state_ = State::Idle;
}

void SerialInventory::take(QByteArrayView bytes) {
    reader_.feed(bytes, [this](const uhf::ModuleFrame& f) { frame(f); });
    statistics_.countDamaged(reader_.damagedFrames() - damagedCounted_);
    damagedCounted_ = reader_.damagedFrames();
}

void SerialInventory::frame(const uhf::ModuleFrame& f) {
    uhf::TagNotice notice;
    if (decodeNotice(f, &notice)) {
        // Notices already on their way when 28 went out still count.
        statistics_.record(notice);
        if (onRead)
            onRead(notice);
    } else if (f.kind == uhf::FrameKind::Response &&
               (f.command == stopInventory || f.command == selectMode)) {
        if (state_ != State::Stopping)
            return;
        (f.command == stopInventory ? stopAnswered_ : restoreAnswered_) = true;
        if (stopAnswered_ && restoreAnswered_)
            state_ = State::Idle;
    } else if (f.errorCode() >= 0 && f.errorCode() != noTagAnswered) {
        statistics_.countError();
        error_ = uhf::errorText(f.errorCode());
    }
}
