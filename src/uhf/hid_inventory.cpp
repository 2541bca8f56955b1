#include "hid_inventory.h"

#include "protocol/frames.h"
#include "protocol/hex_text.h"

namespace {

// The EPC starts at bit 32 of the EPC bank, behind the StoredCRC and PC words.
constexpr int epcBitPointer = 0x20;
constexpr int noTagAnswered = 0x15;
constexpr int selectMode = 0x12;

} // namespace

HidInventory::Outcome HidInventory::command(const QString& frame) {
    const QString reply = operations_.exchange(frame);
    if (!operations_.errorText().isEmpty()) {
        error_ = operations_.errorText();
        return Outcome::Refused;
    }
    const QByteArray bytes = hex::toBytes(reply);
    const QList<uhf::ModuleFrame> frames = uhf::framesOf(bytes);
    if (frames.isEmpty()) {
        error_ = reply.isEmpty() ? noReplyText().trimmed() : garbledText().trimmed();
        return reply.isEmpty() ? Outcome::NoReply : Outcome::Refused;
    }
    if (frames.first().kind == uhf::FrameKind::Error) {
        error_ = uhf::errorText(frames.first().errorCode());
        return Outcome::Refused;
    }
    return Outcome::Done;
}

HidInventory::Outcome HidInventory::setMask(const QString& maskHex) {
    if (hex::digitsOf(maskHex).isEmpty())
        return Outcome::Done;
    const Outcome selected = command(uhfSelectFrame(gen2::epcBank, epcBitPointer, maskHex));
    if (selected != Outcome::Done)
        return selected;
    return command(uhfCommandFrame(selectMode, QStringLiteral("00")));
}

HidInventory::Outcome HidInventory::clearMask() {
    return command(uhfCommandFrame(selectMode, QStringLiteral("02")));
}

HidInventory::Outcome HidInventory::round() {
    ++rounds_;
    const QString reply = operations_.exchange(EpcOperations::inventoryFrame);
    if (!operations_.errorText().isEmpty()) {
        error_ = operations_.errorText();
        return Outcome::Refused;
    }
    if (reply.isEmpty()) {
        error_ = noReplyText().trimmed();
        return Outcome::NoReply;
    }
    int damaged = 0;
    const QByteArray bytes = hex::toBytes(reply);
    for (uhf::ModuleFrame frame : uhf::framesOf(bytes, &damaged)) {
        // Some modules answer a single round with a response of the notice's layout.
        if (frame.kind == uhf::FrameKind::Response && frame.command == 0x22)
            frame.kind = uhf::FrameKind::Notice;
        uhf::TagNotice notice;
        if (uhf::decodeNotice(frame, &notice)) {
            statistics_.record(notice);
            if (onRead)
                onRead(notice);
        } else if (frame.errorCode() >= 0 && frame.errorCode() != noTagAnswered) {
            statistics_.countError();
            error_ = uhf::errorText(frame.errorCode());
        }
    }
    statistics_.countDamaged(quint64(damaged));
    return Outcome::Done;
}

HidInventory::Outcome HidInventory::run(int maxRounds, const std::function<bool()>& more) {
    while (more() && (maxRounds <= 0 || rounds_ < maxRounds)) {
        const Outcome outcome = round();
        if (outcome != Outcome::Done)
            return outcome;
        // Clicks and timers between the rounds (a stop, a repaint).
        operations_.link().waitUntil(0, nullptr);
    }
    return Outcome::Done;
}
