#include "inventory_rounds.h"

#include "protocol/hex_text.h"
#include "protocol/status.h"
#include "uhf/module_frame.h"

namespace {
// The module's answer to a round in which no tag answered.
constexpr int noTagAnswered = 0x15;
} // namespace

InventoryRounds::Outcome InventoryRounds::round() {
    ++rounds_;
    const QString reply = operations_.exchange(EpcOperations::inventoryFrame);
    error_ = operations_.errorText();
    if (!error_.isEmpty())
        return Outcome::Refused;
    if (reply.isEmpty()) {
        error_ = noReplyText.trimmed();
        return Outcome::NoReply;
    }
    int damaged = 0;
    const QByteArray bytes = hex::toBytes(reply);
    Outcome outcome = Outcome::NoTag;
    for (uhf::ModuleFrame frame : uhf::framesOf(bytes, &damaged)) {
        // Some modules answer a single round with a response of the notice's layout.
        if (frame.kind == uhf::FrameKind::Response && frame.command == 0x22)
            frame.kind = uhf::FrameKind::Notice;
        uhf::TagNotice notice;
        if (uhf::decodeNotice(frame, &notice)) {
            statistics_.record(notice);
            outcome = Outcome::Read;
        } else if (frame.kind == uhf::FrameKind::Error && frame.errorCode() != noTagAnswered) {
            statistics_.countError();
            error_ = uhf::errorText(frame.errorCode());
        }
    }
    statistics_.countDamaged(quint64(damaged));
    return outcome;
}
