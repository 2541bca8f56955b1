#pragma once

#include "sim/sim_family.h"

#include <array>

namespace sim {

// An ISO 15693 card: UID, DSFID, AFI and blocks of 4 bytes, each of which can be
// locked for good. The UID is kept most significant byte first, as it is printed
// on the card and as the program shows it; on the air it travels the other way.
struct Iso15693Card {
    using Uid = std::array<std::uint8_t, 8>;
    using Block = std::array<std::uint8_t, 4>;

    Iso15693Card(const Uid& uid, int blockCount, std::uint8_t icReference);

    Uid uid;
    std::uint8_t dsfid = 0;
    std::uint8_t afi = 0;
    bool dsfidLocked = false;
    bool afiLocked = false;
    std::vector<Block> blocks;
    std::vector<bool> blockLocked;
    std::uint8_t icReference;
    // Set by the select command; a request with the select flag goes to this card.
    bool selected = false;
};

// The cards in the field of a fresh reader: an ICODE SLI label (28 blocks) and
// a Tag-it HF-I Plus card (64 blocks).
std::vector<Iso15693Card> iso15693CardsAtStart();

// Commands 10 (inventory), 11/12 (read/write blocks), 13 (lock a block),
// 15 (select), 17/18 (write/lock AFI), 19/1A (write/lock DSFID), 1B (system
// information) and 1C (block security status) of a reader with ISO 15693 cards.
// Every command but the inventory starts with the request flags: with the
// address flag the UID follows the command's own bytes and that card answers;
// with the select flag the selected card answers; otherwise the card nearest
// the antenna (the first in the field) answers.
class Iso15693Family : public SimFamily {
  public:
    explicit Iso15693Family(std::vector<Iso15693Card>& field);

  private:
    struct Request {
        std::uint8_t flags = 0;
        Bytes arguments; // the command's own bytes, between flags and UID
        Bytes data;      // what follows the UID (only the write command has some)
        Iso15693Card* card = nullptr;
    };
    // Splits the parameters and finds the card; an error reply when that fails.
    std::optional<Bytes> parse(const Bytes& parameters, std::size_t argumentCount, bool withData,
                               Request& request);
    Iso15693Card* find(const Iso15693Card::Uid& uid);

    Bytes inventory(const Bytes& parameters);
    Bytes readBlocks(const Bytes& parameters);
    Bytes writeBlocks(const Bytes& parameters);
    Bytes lockBlock(const Bytes& parameters);
    Bytes select(const Bytes& parameters);
    Bytes writeValue(const Bytes& parameters, bool afi);
    Bytes lockValue(const Bytes& parameters, bool afi);
    Bytes systemInformation(const Bytes& parameters);
    Bytes securityStatus(const Bytes& parameters);

    std::vector<Iso15693Card>& field_;
};

} // namespace sim
