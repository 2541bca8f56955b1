#include "sim/reader_simulator.h"

#include "sim/hf_frame.h"

namespace sim {

namespace {

// Header, address, length, XOR and trailer.
constexpr std::size_t kMaxReplyPayload = ReaderSimulator::kMaxReplyFrame - 5;

} // namespace

ReaderSimulator::ReaderSimulator(std::vector<std::unique_ptr<SimFamily>> families)
    : families_(std::move(families)) {}

Bytes ReaderSimulator::exchange(const Bytes& frame) {
    const HfFrame request = HfFrame::parse(frame);
    switch (request.check) {
    case HfFrame::Check::Good:
        return HfFrame::build(request.address, answer(request.payload));
    case HfFrame::Check::BadXor:
        // The frame is whole, so its address is known and the reader can say what went wrong.
        return HfFrame::build(request.address, failure(ReaderError::XorMismatch));
    case HfFrame::Check::NotAFrame:
        // Without header, trailer and a fitting length the reader cannot tell which bytes
        // were meant as a frame, nor whom to answer: it stays silent, as a real one does.
        break;
    }
    return {};
}

Bytes ReaderSimulator::answer(const Bytes& payload) {
    if (payload.empty())
        return failure(ReaderError::BadParameters);
    const Bytes parameters(payload.begin() + 1, payload.end());
    for (const auto& family : families_) {
        if (auto reply = family->answer(payload.front(), parameters)) {
            // The program reads at most kMaxReplyFrame bytes; a cut reply would pass as good.
            if (reply->size() > kMaxReplyPayload)
                return failure(ReaderError::Overflow);
            return *reply;
        }
    }
    return failure(ReaderError::UnknownCommand);
}

} // namespace sim
