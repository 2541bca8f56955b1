#pragma once

#include "sim/reply.h"
#include "sim/tag_field.h"

namespace sim {

// The UHF reader module behind the tunnel command, with the Gen2 tags of its
// field and its RF settings. It answers each module command frame with a
// module reply frame; a frame it cannot take, a command it does not know, a
// setting out of range, or a tag command that no tag answers gets the 8-byte
// error response BB 01 FF 00 01 code checksum 7E.
class UhfModule {
  public:
    // Error codes of the module's error response.
    static constexpr std::uint8_t kReadFailed = 0x09;
    static constexpr std::uint8_t kWriteFailed = 0x10;
    static constexpr std::uint8_t kKillFailed = 0x12;
    static constexpr std::uint8_t kLockFailed = 0x13;
    static constexpr std::uint8_t kNoTagAnswered = 0x15;
    static constexpr std::uint8_t kAccessFailed = 0x16;
    static constexpr std::uint8_t kBadCommand = 0x17;
    // The tag's Gen2 error behind A0 for reads, B0 for writes, C0 for locks
    // and D0 for kills: 03 memory overrun, 04 memory locked. D0 itself: the
    // tag's kill password is zero.
    static constexpr std::uint8_t kReadOverrun = 0xA3;
    static constexpr std::uint8_t kWriteOverrun = 0xB3;
    static constexpr std::uint8_t kReadLocked = 0xA4;
    static constexpr std::uint8_t kWriteLocked = 0xB4;
    static constexpr std::uint8_t kLockLocked = 0xC4;
    static constexpr std::uint8_t kZeroKillPassword = 0xD0;
    // The notices of one single-inventory round travel in one reply, which the
    // tunnel's reply frame has to hold (after its status byte); tags beyond
    // that stay unread until the next round.
    static constexpr std::size_t kMaxRoundReply = 239;

    // The reply to a single inventory: the strongest tag read, as one
    // response frame (what the EPC page relies on), or a notice for every tag
    // read in the round.
    enum class RoundReplies { Strongest, Every };

    // Regions by their code; channels count from 0 up to the region's last.
    struct Region {
        std::uint8_t code;
        std::uint8_t channels;
    };
    static const Region kRegions[];

    Bytes answer(const Bytes& frame);
    // The notices of one inventory round, as a stream of multiple inventory
    // sends them: nothing held back, since each goes out on its own.
    std::vector<Bytes> inventoryNotices();

    TagField& field() { return field_; }
    void setRoundReplies(RoundReplies replies) { roundReplies_ = replies; }
    std::uint8_t region() const { return region_; }
    std::uint8_t channel() const { return channel_; }
    bool hopping() const { return hopping_; }
    std::uint8_t selectMode() const { return selectMode_; }
    std::uint16_t query() const { return query_; }

  private:
    using Handler = Bytes (UhfModule::*)(const Bytes& parameters);
    struct Command {
        std::uint8_t code;
        Handler run;
    };
    static const Command kCommands[];

    Bytes inventory(const Bytes& parameters);
    Bytes select(const Bytes& parameters);
    Bytes getSelect(const Bytes& parameters);
    Bytes readMemory(const Bytes& parameters);
    Bytes writeMemory(const Bytes& parameters);
    Bytes lock(const Bytes& parameters);
    Bytes kill(const Bytes& parameters);
    Bytes moduleInformation(const Bytes& parameters);
    Bytes setPower(const Bytes& parameters);
    Bytes getPower(const Bytes& parameters);
    Bytes setRegion(const Bytes& parameters);
    Bytes getRegion(const Bytes& parameters);
    Bytes setChannel(const Bytes& parameters);
    Bytes getChannel(const Bytes& parameters);
    Bytes setHopping(const Bytes& parameters);
    Bytes setQuery(const Bytes& parameters);
    Bytes getQuery(const Bytes& parameters);
    Bytes setSelectMode(const Bytes& parameters);
    Bytes stopInventory(const Bytes& parameters);
    TagField::Round round() const;
    static Bytes errorResponse(std::uint8_t code);

    TagField field_;
    RoundReplies roundReplies_ = RoundReplies::Strongest;
    std::uint8_t region_ = 0x01;
    std::uint8_t channel_ = 0;
    bool hopping_ = true;
    // DR 8, M1, TRext, all tags, S0, target A, Q 4.
    std::uint16_t query_ = 0x1020;
    // Select before every tag operation except inventory: the EPC page selects
    // a tag to write it, and its inventory still has to find the tag written.
    std::uint8_t selectMode_ = 0x02;
    Bytes selectParameters_;
};

} // namespace sim
