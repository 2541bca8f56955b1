#pragma once

#include "sim/reply.h"

namespace sim {

// An HF frame as it travels between program and reader:
// AA, address, length L, L payload bytes, XOR of address..payload, BB.
struct HfFrame {
    enum class Check {
        Good,
        BadXor,   // the frame is whole but its XOR does not match: address and payload are set
        NotAFrame // no header or trailer, or the length byte does not fit the byte count
    };

    Check check = Check::NotAFrame;
    std::uint8_t address = 0;
    Bytes payload;

    static HfFrame parse(const Bytes& wire);
    // The payload must hold at most 255 bytes, as the length is one byte.
    static Bytes build(std::uint8_t address, const Bytes& payload);
};

} // namespace sim
