#include "sim/hf_frame.h"

#include <algorithm>

namespace sim {

namespace {

constexpr std::uint8_t kHeader = 0xAA;
constexpr std::uint8_t kTrailer = 0xBB;
// Header, address, length, XOR and trailer around the payload.
constexpr std::size_t kOverhead = 5;

} // namespace

HfFrame HfFrame::parse(const Bytes& wire) {
    HfFrame frame;
    if (wire.size() < kOverhead || wire.front() != kHeader || wire.back() != kTrailer ||
        wire[2] + kOverhead != wire.size())
        return frame;

    std::uint8_t x = 0;
    for (std::size_t i = 1; i < wire.size() - 2; ++i)
        x ^= wire[i];
    frame.check = x == wire[wire.size() - 2] ? Check::Good : Check::BadXor;
    frame.address = wire[1];
    frame.payload.assign(wire.begin() + 3, wire.end() - 2);
    return frame;
}

Bytes HfFrame::build(std::uint8_t address, const Bytes& payload) {
    Bytes wire(3 + payload.size());
    wire[0] = kHeader;
    wire[1] = address;
    wire[2] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), wire.begin() + 3);
    std::uint8_t x = 0;
    for (std::size_t i = 1; i < wire.size(); ++i)
        x ^= wire[i];
    wire.push_back(x);
    wire.push_back(kTrailer);
    return wire;
}

} // namespace sim
