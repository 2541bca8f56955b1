#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;

// Error codes a reader puts after status 01. The program turns each into a message for the
// operator, so a simulated family answers with the code a real reader would give. Families
// add the codes of their own failures here.
enum class ReaderError : std::uint8_t {
    CommandFailed = 0x01,
    XorMismatch = 0x05,
    Overflow = 0x10,
    Timeout = 0x82,
    NoCard = 0x83,
    BadParameters = 0x85,
    ValueBlockError = 0x8A,
    AuthenticationFailed = 0x8C,
    UnknownCommand = 0x8F,
    NoSuchBlock = 0x93,
    Locked = 0x94,
};

constexpr std::uint8_t kStatusOk = 0x00;
constexpr std::uint8_t kStatusFailed = 0x01;

// A reply payload: status 00, then the command's data.
inline Bytes success(const Bytes& data = {}) {
    Bytes reply(1 + data.size(), kStatusOk);
    std::copy(data.begin(), data.end(), reply.begin() + 1);
    return reply;
}

// A reply payload: status 01, then the one error code byte.
inline Bytes failure(ReaderError error) {
    return {kStatusFailed, static_cast<std::uint8_t>(error)};
}

} // namespace sim
