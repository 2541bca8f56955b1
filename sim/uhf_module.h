#pragma once

#include "sim/reply.h"
#include "sim/tag_field.h"

namespace sim {

// The UHF reader module behind the tunnel command, with the Gen2 tags of its
// field. It answers each module command frame with a module reply frame; a
// frame it cannot take, a command it does not know, or a tag command that no
// tag answers gets the 8-byte error response BB 01 FF 00 01 code checksum 7E.
class UhfModule {
  public:
    // Error codes of the module's error response.
    static constexpr std::uint8_t kReadFailed = 0x09;
    static constexpr std::uint8_t kWriteFailed = 0x10;
    static constexpr std::uint8_t kNoTagAnswered = 0x15;
    static constexpr std::uint8_t kAccessFailed = 0x16;
    static constexpr std::uint8_t kBadCommand = 0x17;
    // A read or write past the end of a bank: the Gen2 code 03 (memory overrun)
    // behind A0 for reads and B0 for writes.
    static constexpr std::uint8_t kReadOverrun = 0xA3;
    static constexpr std::uint8_t kWriteOverrun = 0xB3;
    // Signal strength reported with every tag found.
    static constexpr std::uint8_t kRssi = 0xC8;

    Bytes answer(const Bytes& frame);

    TagField& field() { return field_; }

  private:
    using Handler = Bytes (UhfModule::*)(const Bytes& parameters);
    struct Command {
        std::uint8_t code;
        Handler run;
    };
    static const Command kCommands[];

    Bytes inventory(const Bytes& parameters);
    Bytes select(const Bytes& parameters);
    Bytes readMemory(const Bytes& parameters);
    Bytes writeMemory(const Bytes& parameters);
    static Bytes errorResponse(std::uint8_t code);

    TagField field_;
};

} // namespace sim
