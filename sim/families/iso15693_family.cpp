#include "sim/families/iso15693_family.h"

namespace sim {

namespace {

// Request flags of ISO 15693 (with the inventory flag clear).
constexpr std::uint8_t kInventoryFlag = 0x04;
constexpr std::uint8_t kAfiFlag = 0x10; // in an inventory request
constexpr std::uint8_t kSelectFlag = 0x10;
constexpr std::uint8_t kAddressFlag = 0x20;
constexpr std::uint8_t kOptionFlag = 0x40;

constexpr std::uint8_t kResponseFlags = 0x00;
// System information holds DSFID, AFI, memory size and IC reference.
constexpr std::uint8_t kInformationFlags = 0x0F;

Bytes uidOnAir(const Iso15693Card::Uid& uid) {
    return Bytes(uid.rbegin(), uid.rend());
}

// Blocks start .. start + count - 1 must exist on the card: an error reply when
// not. Blocks are numbered from 0, and the reader takes the number of blocks
// itself, not the number minus one.
std::optional<Bytes> checkBlocks(const Iso15693Card& card, std::uint8_t start, std::uint8_t count) {
    if (count == 0)
        return failure(ReaderError::BadParameters);
    if (start + count > static_cast<int>(card.blocks.size()))
        return failure(ReaderError::NoSuchBlock);
    return std::nullopt;
}

} // namespace

Iso15693Card::Iso15693Card(const Uid& cardUid, int blockCount, std::uint8_t reference)
    : uid(cardUid), blocks(blockCount, Block{}), blockLocked(blockCount, false),
      icReference(reference) {}

std::vector<Iso15693Card> iso15693CardsAtStart() {
    return {Iso15693Card({0xE0, 0x04, 0x01, 0x00, 0x12, 0x34, 0x56, 0x78}, 28, 0x01),
            Iso15693Card({0xE0, 0x07, 0x00, 0x00, 0x0A, 0x1B, 0x2C, 0x3D}, 64, 0x02)};
}

Iso15693Family::Iso15693Family(std::vector<Iso15693Card>& field)
    : SimFamily({
          {0x10, [this](const Bytes& p) { return inventory(p); }},
          {0x11, [this](const Bytes& p) { return readBlocks(p); }},
          {0x12, [this](const Bytes& p) { return writeBlocks(p); }},
          {0x13, [this](const Bytes& p) { return lockBlock(p); }},
          {0x15, [this](const Bytes& p) { return select(p); }},
          {0x17, [this](const Bytes& p) { return writeValue(p, true); }},
          {0x18, [this](const Bytes& p) { return lockValue(p, true); }},
          {0x19, [this](const Bytes& p) { return writeValue(p, false); }},
          {0x1A, [this](const Bytes& p) { return lockValue(p, false); }},
          {0x1B, [this](const Bytes& p) { return systemInformation(p); }},
          {0x1C, [this](const Bytes& p) { return securityStatus(p); }},
      }),
      field_(field) {}

Iso15693Card* Iso15693Family::find(const Iso15693Card::Uid& uid) {
    for (Iso15693Card& card : field_)
        if (card.uid == uid)
            return &card;
    return nullptr;
}

std::optional<Bytes> Iso15693Family::parse(const Bytes& parameters, std::size_t argumentCount,
                                           bool withData, Request& request) {
    if (parameters.size() < 1 + argumentCount)
        return failure(ReaderError::BadParameters);
    request.flags = parameters[0];
    const bool addressed = request.flags & kAddressFlag;
    if (addressed && (request.flags & kSelectFlag))
        return failure(ReaderError::BadParameters);
    auto at = parameters.begin() + 1;
    request.arguments.assign(at, at + argumentCount);
    at += argumentCount;
    Iso15693Card::Uid uid{};
    if (addressed) {
        if (static_cast<std::size_t>(parameters.end() - at) < uid.size())
            return failure(ReaderError::BadParameters);
        std::copy(at, at + uid.size(), uid.begin());
        at += uid.size();
    }
    request.data.assign(at, parameters.end());
    if (!withData && !request.data.empty())
        return failure(ReaderError::BadParameters);

    if (addressed) {
        request.card = find(uid);
    } else if (request.flags & kSelectFlag) {
        for (Iso15693Card& card : field_)
            if (card.selected)
                request.card = &card;
    } else if (!field_.empty()) {
        request.card = &field_.front();
    }
    if (!request.card)
        return failure(ReaderError::NoCard);
    return std::nullopt;
}

// Parameters: flags (with the inventory flag), AFI, mask length. The reader
// takes no mask: every card answers, or with the AFI flag those of that AFI.
// Reply: the number of cards, then per card its response flags, DSFID and UID.
Bytes Iso15693Family::inventory(const Bytes& parameters) {
    if (parameters.size() != 3 || !(parameters[0] & kInventoryFlag) || parameters[2] != 0)
        return failure(ReaderError::BadParameters);
    const bool byAfi = parameters[0] & kAfiFlag;
    Bytes records;
    std::uint8_t count = 0;
    for (const Iso15693Card& card : field_) {
        if (byAfi && card.afi != parameters[1])
            continue;
        ++count;
        records.push_back(kResponseFlags);
        records.push_back(card.dsfid);
        const Bytes uid = uidOnAir(card.uid);
        records.insert(records.end(), uid.begin(), uid.end());
    }
    if (count == 0)
        return failure(ReaderError::NoCard);
    records.insert(records.begin(), count);
    return success(records);
}

// Reply: response flags, then the blocks; with the option flag each block comes
// after its security status byte.
Bytes Iso15693Family::readBlocks(const Bytes& parameters) {
    Request request;
    if (auto error = parse(parameters, 2, false, request))
        return *error;
    const Iso15693Card& card = *request.card;
    const std::uint8_t start = request.arguments[0], count = request.arguments[1];
    if (auto error = checkBlocks(card, start, count))
        return *error;
    Bytes data{kResponseFlags};
    for (int block = start; block < start + count; ++block) {
        if (request.flags & kOptionFlag)
            data.push_back(card.blockLocked[block] ? 0x01 : 0x00);
        data.insert(data.end(), card.blocks[block].begin(), card.blocks[block].end());
    }
    return success(data);
}

// A write that reaches a locked block writes nothing.
Bytes Iso15693Family::writeBlocks(const Bytes& parameters) {
    Request request;
    if (auto error = parse(parameters, 2, true, request))
        return *error;
    Iso15693Card& card = *request.card;
    const std::uint8_t start = request.arguments[0], count = request.arguments[1];
    if (request.data.size() != count * sizeof(Iso15693Card::Block))
        return failure(ReaderError::BadParameters);
    if (auto error = checkBlocks(card, start, count))
        return *error;
    for (int block = start; block < start + count; ++block)
        if (card.blockLocked[block])
            return failure(ReaderError::Locked);
    auto from = request.data.begin();
    for (int block = start; block < start + count; ++block, from += 4)
        std::copy(from, from + 4, card.blocks[block].begin());
    return success();
}

Bytes Iso15693Family::lockBlock(const Bytes& parameters) {
    Request request;
    if (auto error = parse(parameters, 1, false, request))
        return *error;
    Iso15693Card& card = *request.card;
    const std::uint8_t block = request.arguments[0];
    if (auto error = checkBlocks(card, block, 1))
        return *error;
    if (card.blockLocked[block])
        return failure(ReaderError::Locked);
    card.blockLocked[block] = true;
    return success();
}

// The select command always names its card, whatever the flags say.
Bytes Iso15693Family::select(const Bytes& parameters) {
    Iso15693Card::Uid uid;
    if (parameters.size() != 1 + uid.size())
        return failure(ReaderError::BadParameters);
    std::copy(parameters.begin() + 1, parameters.end(), uid.begin());
    Iso15693Card* chosen = find(uid);
    if (!chosen)
        return failure(ReaderError::NoCard);
    for (Iso15693Card& card : field_)
        card.selected = &card == chosen;
    return success();
}

Bytes Iso15693Family::writeValue(const Bytes& parameters, bool afi) {
    Request request;
    if (auto error = parse(parameters, 1, false, request))
        return *error;
    Iso15693Card& card = *request.card;
    if (afi ? card.afiLocked : card.dsfidLocked)
        return failure(ReaderError::Locked);
    (afi ? card.afi : card.dsfid) = request.arguments[0];
    return success();
}

Bytes Iso15693Family::lockValue(const Bytes& parameters, bool afi) {
    Request request;
    if (auto error = parse(parameters, 0, false, request))
        return *error;
    bool& locked = afi ? request.card->afiLocked : request.card->dsfidLocked;
    if (locked)
        return failure(ReaderError::Locked);
    locked = true;
    return success();
}

// Reply: response flags, information flags, UID as on the air, DSFID, AFI,
// memory size (blocks - 1, block size - 1) and IC reference.
Bytes Iso15693Family::systemInformation(const Bytes& parameters) {
    Request request;
    if (auto error = parse(parameters, 0, false, request))
        return *error;
    const Iso15693Card& card = *request.card;
    Bytes data{kResponseFlags, kInformationFlags};
    const Bytes uid = uidOnAir(card.uid);
    data.insert(data.end(), uid.begin(), uid.end());
    data.push_back(card.dsfid);
    data.push_back(card.afi);
    data.push_back(static_cast<std::uint8_t>(card.blocks.size() - 1));
    data.push_back(sizeof(Iso15693Card::Block) - 1);
    data.push_back(card.icReference);
    return success(data);
}

// Reply: response flags, then 01 for each locked block and 00 for each other.
Bytes Iso15693Family::securityStatus(const Bytes& parameters) {
    Request request;
    if (auto error = parse(parameters, 2, false, request))
        return *error;
    const Iso15693Card& card = *request.card;
    const std::uint8_t start = request.arguments[0], count = request.arguments[1];
    if (auto error = checkBlocks(card, start, count))
        return *error;
    Bytes data{kResponseFlags};
    for (int block = start; block < start + count; ++block)
        data.push_back(card.blockLocked[block] ? 0x01 : 0x00);
    return success(data);
}

} // namespace sim
