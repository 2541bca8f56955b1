#include "sim/families/sector_card_family.h"

#include <limits>

namespace sim {

namespace {

constexpr int kMaxBlocksPerCommand = 4;
constexpr std::size_t kBlockHeader = 9;   // mode, count, start block, key
constexpr std::size_t kValueCommand = 12; // mode, sector, key, value
constexpr std::uint8_t kRequestIdle = 0x26;
constexpr std::uint8_t kWakeUpAll = 0x52;

SectorCard::Key keyAt(const Bytes& parameters, std::size_t offset) {
    SectorCard::Key key;
    std::copy_n(parameters.begin() + offset, key.size(), key.begin());
    return key;
}

Bytes withUid(const SectorCard& card, const Bytes& data = {}) {
    Bytes reply(card.uid().begin(), card.uid().end());
    reply.insert(reply.end(), data.begin(), data.end());
    return success(reply);
}

// A value as the card stores it: lowest byte first.
std::int32_t valueAt(const Bytes& parameters, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t(parameters[offset + i]) << (8 * i);
    return static_cast<std::int32_t>(value);
}

// A sector past the end of the card names a block past its end too.
int valueBlockOf(int sector) {
    return SectorCard::firstBlockOf(sector) + 1;
}

} // namespace

SectorCardFamily::SectorCardFamily(SectorCardField& field)
    : SimFamily({
          {0x20, [this](const Bytes& p) { return readBlocks(p); }},
          {0x21, [this](const Bytes& p) { return writeBlocks(p); }},
          {0x22, [this](const Bytes& p) { return initialiseValue(p); }},
          {0x23, [this](const Bytes& p) { return changeValue(p, -1); }},
          {0x24, [this](const Bytes& p) { return changeValue(p, +1); }},
          {0x25, [this](const Bytes& p) { return requestCard(p); }},
          {0x06, [this](const Bytes& p) { return halt(p); }},
      }),
      field_(field) {}

SectorCardFamily::Access SectorCardFamily::open(const Bytes& parameters, std::size_t keyOffset,
                                                int first, int count) {
    const std::uint8_t mode = parameters[0];
    if (mode > 3)
        return {nullptr, ReaderError::BadParameters};
    SectorCard* card = field_.request(mode & 1).card;
    if (!card)
        return {nullptr, ReaderError::NoCard};
    if (first + count > card->blockCount())
        return {nullptr, ReaderError::NoSuchBlock};
    const auto keyType = (mode & 2) ? SectorCard::KeyType::B : SectorCard::KeyType::A;
    const SectorCard::Key key = keyAt(parameters, keyOffset);
    for (int block = first; block < first + count; ++block)
        if (!card->authenticate(SectorCard::sectorOf(block), keyType, key))
            return {nullptr, ReaderError::AuthenticationFailed};
    return {card, std::nullopt};
}

Bytes SectorCardFamily::readBlocks(const Bytes& parameters) {
    if (parameters.size() != kBlockHeader)
        return failure(ReaderError::BadParameters);
    const int count = parameters[1];
    const int first = parameters[2];
    if (count < 1 || count > kMaxBlocksPerCommand)
        return failure(ReaderError::Overflow);
    const Access access = open(parameters, 3, first, count);
    if (access.error)
        return failure(*access.error);
    Bytes data;
    for (int block = first; block < first + count; ++block) {
        const SectorCard::Block content = access.card->read(block);
        data.insert(data.end(), content.begin(), content.end());
    }
    return withUid(*access.card, data);
}

Bytes SectorCardFamily::writeBlocks(const Bytes& parameters) {
    if (parameters.size() < kBlockHeader)
        return failure(ReaderError::BadParameters);
    const int count = parameters[1];
    const int first = parameters[2];
    if (count < 1 || count > kMaxBlocksPerCommand)
        return failure(ReaderError::Overflow);
    if (parameters.size() != kBlockHeader + count * sizeof(SectorCard::Block))
        return failure(ReaderError::BadParameters);
    const Access access = open(parameters, 3, first, count);
    if (access.error)
        return failure(*access.error);
    // Block 0 is read-only: refuse before writing anything, so no block is half done.
    if (first == 0)
        return failure(ReaderError::CommandFailed);
    auto data = parameters.begin() + kBlockHeader;
    for (int block = first; block < first + count; ++block) {
        SectorCard::Block content;
        std::copy_n(data, content.size(), content.begin());
        data += content.size();
        access.card->write(block, content);
    }
    return withUid(*access.card);
}

Bytes SectorCardFamily::initialiseValue(const Bytes& parameters) {
    if (parameters.size() != kValueCommand)
        return failure(ReaderError::BadParameters);
    const int block = valueBlockOf(parameters[1]);
    const Access access = open(parameters, 2, block, 1);
    if (access.error)
        return failure(*access.error);
    access.card->writeValue(block, valueAt(parameters, 8));
    return withUid(*access.card);
}

Bytes SectorCardFamily::changeValue(const Bytes& parameters, int sign) {
    if (parameters.size() != kValueCommand)
        return failure(ReaderError::BadParameters);
    const int block = valueBlockOf(parameters[1]);
    const Access access = open(parameters, 2, block, 1);
    if (access.error)
        return failure(*access.error);
    const std::optional<std::int32_t> value = access.card->value(block);
    if (!value)
        return failure(ReaderError::ValueBlockError);
    const std::int64_t result = std::int64_t(*value) + sign * std::int64_t(valueAt(parameters, 8));
    if (result < std::numeric_limits<std::int32_t>::min() ||
        result > std::numeric_limits<std::int32_t>::max())
        return failure(ReaderError::Overflow);
    access.card->writeValue(block, static_cast<std::int32_t>(result));
    const auto remaining = static_cast<std::uint32_t>(result);
    return withUid(*access.card, {std::uint8_t(remaining), std::uint8_t(remaining >> 8),
                                  std::uint8_t(remaining >> 16), std::uint8_t(remaining >> 24)});
}

Bytes SectorCardFamily::requestCard(const Bytes& parameters) {
    if (parameters.size() != 2 || (parameters[0] != kRequestIdle && parameters[0] != kWakeUpAll) ||
        parameters[1] > 1)
        return failure(ReaderError::BadParameters);
    const SectorCardField::Selection selection = field_.request(parameters[0] == kWakeUpAll);
    if (!selection.card)
        return failure(ReaderError::NoCard);
    Bytes data = {std::uint8_t(selection.several ? 1 : 0)};
    data.insert(data.end(), selection.card->uid().begin(), selection.card->uid().end());
    if (parameters[1] == 1)
        field_.haltSelected();
    return success(data);
}

Bytes SectorCardFamily::halt(const Bytes& parameters) {
    if (!parameters.empty())
        return failure(ReaderError::BadParameters);
    return field_.haltSelected() ? success() : failure(ReaderError::NoCard);
}

} // namespace sim
