#pragma once

#include "sim/reply.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

// An S50 (1K) or S70 (4K) card: memory in sectors of blocks of 16 bytes, each
// sector closed by a trailer block holding key A, the access bytes and key B.
// S50: 16 sectors of 4 blocks. S70: 32 sectors of 4 blocks, then 8 of 16.
class SectorCard {
  public:
    enum class Type { S50, S70 };
    enum class KeyType { A, B };
    using Uid = std::array<std::uint8_t, 4>;
    using Key = std::array<std::uint8_t, 6>;
    using Block = std::array<std::uint8_t, 16>;

    static constexpr Key kTransportKey = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

    SectorCard(Type type, const Uid& uid);

    Type type() const { return type_; }
    const Uid& uid() const { return uid_; }
    int blockCount() const { return static_cast<int>(blocks_.size()); }
    int sectorCount() const { return type_ == Type::S50 ? 16 : 40; }

    static int sectorOf(int block);
    static int firstBlockOf(int sector);
    static int trailerOf(int sector);
    static bool isTrailer(int block);

    // Whether the key opens the sector, as the card's authentication checks it.
    bool authenticate(int sector, KeyType type, const Key& key) const;

    // A block as the card returns it: key A of a trailer always reads as zeros.
    Block read(int block) const;
    // Block 0 holds the card number and is read-only: false there.
    bool write(int block, const Block& data);

    // Value blocks: the value four times (plain, inverted, plain; lowest byte
    // first) and the block address four times (plain, inverted, plain, inverted).
    void writeValue(int block, std::int32_t value);
    // Nothing when the block is not in value format.
    std::optional<std::int32_t> value(int block) const;

  private:
    Type type_;
    Uid uid_;
    std::vector<Block> blocks_;
};

// The S50/S70 cards in the reader's field, and the one the reader last selected.
// A card that answered a request is idle again after the command, unless it was
// halted: a halted card answers a wake-up (52) but not a plain request (26).
class SectorCardField {
  public:
    // One S50 card in the field.
    SectorCardField();

    void add(const SectorCard& card);
    void clear();
    int count() const { return static_cast<int>(cards_.size()); }
    SectorCard& card(int index) { return cards_.at(index).card; }
    bool halted(int index) const { return cards_.at(index).halted; }

    struct Selection {
        SectorCard* card = nullptr; // none answered
        bool several = false;       // more than one answered
    };
    // The first card that answers the request becomes the selected one.
    Selection request(bool wakeAll);
    // Halts the selected card; false when none is selected.
    bool haltSelected();

  private:
    struct Entry {
        SectorCard card;
        bool halted = false;
    };
    std::vector<Entry> cards_;
    int selected_ = -1;
};

} // namespace sim
