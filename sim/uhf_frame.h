#pragma once

#include "sim/reply.h"

#include <optional>

namespace sim {

// A frame of the UHF reader module: BB, type, command, parameter length (two bytes, MSB
// first), parameters, checksum (low byte of the sum from type to the last parameter), 7E.
struct UhfFrame {
    static constexpr std::uint8_t kCommand = 0x00;
    static constexpr std::uint8_t kResponse = 0x01;

    std::uint8_t type = kCommand;
    std::uint8_t command = 0;
    Bytes parameters;

    // Nothing when the bytes are not one whole frame or the checksum does not match.
    static std::optional<UhfFrame> parse(const Bytes& wire);
    static Bytes build(std::uint8_t type, std::uint8_t command, const Bytes& parameters);
};

} // namespace sim
