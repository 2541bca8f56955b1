#include "sim/uhf_frame.h"

#include <algorithm>
#include <numeric>

namespace sim {

namespace {

constexpr std::uint8_t kHeader = 0xBB;
constexpr std::uint8_t kEnd = 0x7E;
// Header, type, command, two length bytes, checksum and end mark around the parameters.
constexpr std::size_t kOverhead = 7;

std::uint8_t checksum(Bytes::const_iterator from, Bytes::const_iterator to) {
    return static_cast<std::uint8_t>(std::accumulate(from, to, 0u));
}

} // namespace

std::optional<UhfFrame> UhfFrame::parse(const Bytes& wire) {
    if (wire.size() < kOverhead || wire.front() != kHeader || wire.back() != kEnd)
        return std::nullopt;
    const std::size_t length = wire[3] << 8 | wire[4];
    if (length + kOverhead != wire.size())
        return std::nullopt;
    const auto checksumAt = wire.end() - 2;
    if (checksum(wire.begin() + 1, checksumAt) != *checksumAt)
        return std::nullopt;
    return UhfFrame{wire[1], wire[2], Bytes(wire.begin() + 5, checksumAt)};
}

Bytes UhfFrame::build(std::uint8_t type, std::uint8_t command, const Bytes& parameters) {
    Bytes wire(5 + parameters.size());
    wire[0] = kHeader;
    wire[1] = type;
    wire[2] = command;
    wire[3] = static_cast<std::uint8_t>(parameters.size() >> 8);
    wire[4] = static_cast<std::uint8_t>(parameters.size());
    std::copy(parameters.begin(), parameters.end(), wire.begin() + 5);
    wire.push_back(checksum(wire.begin() + 1, wire.end()));
    wire.push_back(kEnd);
    return wire;
}

} // namespace sim
