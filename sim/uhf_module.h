#pragma once

#include "sim/reply.h"

namespace sim {

// The UHF reader module behind the tunnel command. It answers each module command frame with
// a module reply frame; a frame it cannot take, or a command it does not know, gets the
// 8-byte error response BB 01 FF 00 01 code checksum 7E.
class UhfModule {
  public:
    // Error codes of the module's error response.
    static constexpr std::uint8_t kNoTagAnswered = 0x15;
    static constexpr std::uint8_t kBadCommand = 0x17;

    Bytes answer(const Bytes& frame);

  private:
    using Handler = Bytes (UhfModule::*)(const Bytes& parameters);
    struct Command {
        std::uint8_t code;
        Handler run;
    };
    static const Command kCommands[];

    Bytes noTagInField(const Bytes& parameters);
    static Bytes errorResponse(std::uint8_t code);
};

} // namespace sim
