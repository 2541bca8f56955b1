#include "sim/sector_card.h"

#include <algorithm>

namespace sim {

namespace {

constexpr int kSmallSectors = 32; // sectors of 4 blocks; S70 sectors beyond have 16
constexpr int kSmallSectorBlocks = 4;
constexpr int kLargeSectorBlocks = 16;
constexpr int kKeyBOffset = 10;

void putValue(SectorCard::Block& block, int offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        block[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getValue(const SectorCard::Block& block, int offset) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t(block[offset + i]) << (8 * i);
    return value;
}

} // namespace

SectorCard::SectorCard(Type type, const Uid& uid)
    : type_(type), uid_(uid), blocks_(type == Type::S50 ? 64 : 256) {
    // Block 0: card number, its check byte, SAK, ATQA, manufacturer data.
    Block& maker = blocks_[0];
    std::copy(uid.begin(), uid.end(), maker.begin());
    maker[4] = uid[0] ^ uid[1] ^ uid[2] ^ uid[3];
    maker[5] = type == Type::S50 ? 0x08 : 0x18;
    maker[6] = type == Type::S50 ? 0x04 : 0x02;
    maker[7] = 0x00;
    // Transport configuration: both keys all FF, access bytes FF 07 80, user byte 69.
    const Block trailer = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x07,
                           0x80, 0x69, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int sector = 0; sector < sectorCount(); ++sector)
        blocks_[trailerOf(sector)] = trailer;
}

int SectorCard::sectorOf(int block) {
    const int smallBlocks = kSmallSectors * kSmallSectorBlocks;
    return block < smallBlocks ? block / kSmallSectorBlocks
                               : kSmallSectors + (block - smallBlocks) / kLargeSectorBlocks;
}

int SectorCard::firstBlockOf(int sector) {
    return sector < kSmallSectors
               ? sector * kSmallSectorBlocks
               : kSmallSectors * kSmallSectorBlocks + (sector - kSmallSectors) * kLargeSectorBlocks;
}

int SectorCard::trailerOf(int sector) {
    return firstBlockOf(sector) +
           (sector < kSmallSectors ? kSmallSectorBlocks : kLargeSectorBlocks) - 1;
}

bool SectorCard::isTrailer(int block) {
    return block == trailerOf(sectorOf(block));
}

bool SectorCard::authenticate(int sector, KeyType type, const Key& key) const {
    const Block& trailer = blocks_.at(trailerOf(sector));
    const int offset = type == KeyType::A ? 0 : kKeyBOffset;
    return std::equal(key.begin(), key.end(), trailer.begin() + offset);
}

SectorCard::Block SectorCard::read(int block) const {
    Block data = blocks_.at(block);
    if (isTrailer(block))
        std::fill_n(data.begin(), kTransportKey.size(), 0);
    return data;
}

bool SectorCard::write(int block, const Block& data) {
    if (block == 0)
        return false;
    blocks_.at(block) = data;
    return true;
}

void SectorCard::writeValue(int block, std::int32_t value) {
    Block& data = blocks_.at(block);
    const auto plain = static_cast<std::uint32_t>(value);
    putValue(data, 0, plain);
    putValue(data, 4, ~plain);
    putValue(data, 8, plain);
    const auto address = static_cast<std::uint8_t>(block);
    data[12] = data[14] = address;
    data[13] = data[15] = static_cast<std::uint8_t>(~address);
}

std::optional<std::int32_t> SectorCard::value(int block) const {
    const Block& data = blocks_.at(block);
    const std::uint32_t plain = getValue(data, 0);
    if (getValue(data, 4) != ~plain || getValue(data, 8) != plain || data[12] != data[14] ||
        data[13] != data[15] || data[12] != static_cast<std::uint8_t>(~data[13]))
        return std::nullopt;
    return static_cast<std::int32_t>(plain);
}

SectorCardField::SectorCardField() {
    add(SectorCard(SectorCard::Type::S50, {0xA1, 0xB2, 0xC3, 0xD4}));
}

void SectorCardField::add(const SectorCard& card) {
    cards_.push_back({card});
}

void SectorCardField::clear() {
    cards_.clear();
    selected_ = -1;
}

SectorCardField::Selection SectorCardField::request(bool wakeAll) {
    Selection selection;
    selected_ = -1;
    for (int i = 0; i < count(); ++i) {
        if (cards_[i].halted && !wakeAll)
            continue;
        if (selected_ < 0) {
            selected_ = i;
            selection.card = &cards_[i].card;
        } else {
            selection.several = true;
        }
    }
    // A woken card is idle again: only a new halt puts it back to sleep.
    if (selected_ >= 0)
        cards_[selected_].halted = false;
    return selection;
}

bool SectorCardField::haltSelected() {
    if (selected_ < 0)
        return false;
    cards_[selected_].halted = true;
    selected_ = -1;
    return true;
}

} // namespace sim
