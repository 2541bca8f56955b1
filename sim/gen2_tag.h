#pragma once

#include "sim/reply.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sim {

// The four memory banks of an EPC Gen2 tag, numbered as on the air.
enum class MemoryBank : std::uint8_t { Reserved = 0, Epc = 1, Tid = 2, User = 3 };

// The five areas that a lock names, in the order of the lock payload.
enum class LockArea : std::uint8_t { KillPassword, AccessPassword, Epc, Tid, User };

// The memory of one EPC Gen2 tag, addressed in 16-bit words per bank:
// reserved (kill and access password), EPC (StoredCRC, PC word, EPC), TID and
// user memory. The tag keeps its StoredCRC right: after every write to the EPC
// bank it computes it anew over the PC word and the EPC, as a tag does at power-up.
//
// Access follows Gen2. Every command carries an access password: 0 sends
// none, and the tag is then open, or secured at once when its own access
// password is 0; any other password must be the tag's own (else the access
// fails) and makes it secured. Each area has two lock bits: password-protected
// and permanent. A locked area is writable (a password also readable) only in
// the secured state, a permalocked one never; a permaopen one always. Reads of
// the EPC, TID and User banks are never locked. A lock needs the secured
// state, and one that would change a permanent area is refused whole.
class Gen2Tag {
  public:
    // A 128-bit EPC at most, behind the StoredCRC and PC words.
    static constexpr std::size_t kEpcWords = 8;
    static constexpr std::size_t kUserWords = 32;

    enum class Access {
        Ok,
        WrongPassword, // the access (or kill) password given is not the tag's
        Overrun,
        BadLength,
        Locked,     // a locked area in the open state, or a permanent one
        NotSecured, // a lock without the access password the tag has
        ZeroKillPassword,
    };

    // The EPC must be whole words and fit the bank; the PC word's length bits
    // are set from it. The serial number goes into the TID, whose bank is
    // permalocked as chips leave the factory. A tag given an access password
    // is one a production line has finished: both passwords and the EPC and
    // User banks locked. userWords may be 0: some tags have no User memory.
    explicit Gen2Tag(const Bytes& epc, std::uint64_t serial = 1, std::uint32_t accessPassword = 0,
                     std::size_t userWords = kUserWords);

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
    // The 20-bit lock payload: five 2-bit mask fields, then five 2-bit action
    // fields, kill password first; a mask bit set applies its action bit.
    Access lock(std::uint32_t payload, std::uint32_t password);
    // Ok when the kill password is the tag's and not zero: the tag is dead.
    Access kill(std::uint32_t killPassword);
    bool killed() const { return killed_; }
    std::uint32_t killPassword() const;
    // The two lock bits of an area: password-protected (2), permanent (1).
    std::uint8_t lockBits(LockArea area) const { return lockBits_[static_cast<std::size_t>(area)]; }

    // The whole tag as one line of text (its four banks in hex, its lock
    // bits, whether killed), and back: how a simulated field outlives the
    // process that holds it. Nothing from a line that is not one.
    std::string text() const;
    static std::optional<Gen2Tag> fromText(const std::string& line);

    // CRC-16 of the EPC Gen2 air interface: polynomial 1021, preset FFFF, the
    // result inverted.
    static std::uint16_t crc16(const Bytes& data);

  private:
    Gen2Tag() = default;
    std::uint16_t word(MemoryBank bank, std::size_t index) const;
    std::uint32_t password(std::size_t firstWord) const;
    // Whether the command's password makes the tag secured; nothing when the
    // access fails.
    std::optional<bool> secured(std::uint32_t password) const;
    // Whether words [address, address + count) of a bank may be read or
    // written in that state.
    bool allows(MemoryBank bank, std::size_t address, std::size_t count, bool write,
                bool secured) const;
    void updateStoredCrc();

    std::array<Bytes, 4> banks_;
    std::array<std::uint8_t, 5> lockBits_{};
    bool killed_ = false;
};

} // namespace sim
