#pragma once

#include "sim/reply.h"

#include <array>
#include <cstdint>

namespace sim {

// The four memory banks of an EPC Gen2 tag, numbered as on the air.
enum class MemoryBank : std::uint8_t { Reserved = 0, Epc = 1, Tid = 2, User = 3 };

// The memory of one EPC Gen2 tag, addressed in 16-bit words per bank:
// reserved (kill and access password), EPC (StoredCRC, PC word, EPC), TID and
// user memory. The tag keeps its StoredCRC right: after every write to the EPC
// bank it computes it anew over the PC word and the EPC, as a tag does at power-up.
class Gen2Tag {
  public:
    // A 128-bit EPC at most, behind the StoredCRC and PC words.
    static constexpr std::size_t kEpcWords = 8;
    static constexpr std::size_t kUserWords = 32;

    enum class Access { Ok, WrongPassword, Overrun, BadLength };

    // The EPC must be whole words and fit the bank; the PC word's length bits
    // are set from it. The serial number goes into the TID.
    explicit Gen2Tag(const Bytes& epc, std::uint64_t serial = 1, std::uint32_t accessPassword = 0);

    std::uint16_t storedCrc() const { return word(MemoryBank::Epc, 0); }
    std::uint16_t pc() const { return word(MemoryBank::Epc, 1); }
    // As many words as the PC word's length bits say (no more than the bank holds).
    Bytes epc() const;
    std::uint32_t accessPassword() const;

    // Words [address, address + count) of a bank; count 0 reads to the end of
    // the bank. A password other than 0 must be the tag's access password; the
    // reserved bank of a tag with an access password needs it.
    Access read(MemoryBank bank, std::size_t address, std::size_t count, std::uint32_t password,
                Bytes* words) const;
    // Writes whole words from address on. A tag with an access password takes
    // writes only with that password.
    Access write(MemoryBank bank, std::size_t address, const Bytes& data, std::uint32_t password);

    // CRC-16 of the EPC Gen2 air interface: polynomial 1021, preset FFFF, the
    // result inverted.
    static std::uint16_t crc16(const Bytes& data);

  private:
    std::uint16_t word(MemoryBank bank, std::size_t index) const;
    bool passwordAllows(std::uint32_t password, bool needsSecured) const;
    void updateStoredCrc();

    std::array<Bytes, 4> banks_;
};

} // namespace sim
