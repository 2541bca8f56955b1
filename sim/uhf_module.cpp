#include "sim/uhf_module.h"

#include "sim/uhf_frame.h"

#include <algorithm>
#include <iterator>

namespace sim {

namespace {

constexpr std::uint8_t kErrorCommand = 0xFF;
constexpr std::uint8_t kInventory = 0x22;
constexpr std::uint8_t kNotice = 0x02;
constexpr std::uint8_t kDone = 0x00;
// Transmit power in 0.01 dBm, settable in whole dB.
constexpr std::uint32_t kPowerStep = 100;
constexpr std::uint32_t kLowestPower = 500;
constexpr std::uint32_t kHighestPower = 2600;
constexpr std::uint8_t kHoppingOn = 0xFF;
constexpr std::uint8_t kHighestSelectMode = 0x02;
// Query: DR (bit 15) 0 and M (bits 14-13) 00 are all the module does, with
// TRext (bit 12) on.
constexpr std::uint16_t kQueryFixedBits = 0xF000;
constexpr std::uint16_t kQueryFixedValue = 0x1000;
// Select: bank byte, 32-bit bit pointer, mask length in bits, truncation flag.
constexpr std::size_t kSelectHeader = 7;
// Read and write: access password (4), bank, word address (2), word count (2).
constexpr std::size_t kMemoryHeader = 9;

std::uint32_t bigEndian(const Bytes& bytes, std::size_t from, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = value << 8 | bytes[from + i];
    return value;
}

void appendWord(Bytes& bytes, std::uint16_t word) {
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    bytes.push_back(static_cast<std::uint8_t>(word));
}

// A tag command's codes for the module's error response: no tag answered,
// the access failed, and the base of the tag's Gen2 errors.
struct Family {
    std::uint8_t noTag;
    std::uint8_t wrongPassword;
    std::uint8_t gen2;
};
constexpr Family kReadFamily{UhfModule::kReadFailed, UhfModule::kAccessFailed, 0xA0};
constexpr Family kWriteFamily{UhfModule::kWriteFailed, UhfModule::kAccessFailed, 0xB0};
constexpr Family kLockFamily{UhfModule::kLockFailed, UhfModule::kAccessFailed, 0xC0};
// A wrong kill password: the tag keeps quiet, and the kill fails.
constexpr Family kKillFamily{UhfModule::kKillFailed, UhfModule::kKillFailed, 0xD0};

std::uint8_t refusal(Gen2Tag::Access access, const Family& family) {
    constexpr std::uint8_t kOverrun = 0x03;
    constexpr std::uint8_t kLocked = 0x04;
    switch (access) {
    case Gen2Tag::Access::WrongPassword:
        return family.wrongPassword;
    case Gen2Tag::Access::Overrun:
        return family.gen2 | kOverrun;
    case Gen2Tag::Access::Locked:
        return family.gen2 | kLocked;
    // A tag in the open state ignores a lock, as if it were not there.
    case Gen2Tag::Access::NotSecured:
        return family.noTag;
    case Gen2Tag::Access::ZeroKillPassword:
        return family.gen2;
    default:
        return UhfModule::kBadCommand;
    }
}

// The part of a read or write reply that says which tag answered: the length
// of PC and EPC in bytes, the PC word, the EPC.
Bytes tagIdentity(const Gen2Tag& tag) {
    const Bytes epc = tag.epc();
    Bytes identity{static_cast<std::uint8_t>(2 + epc.size())};
    appendWord(identity, tag.pc());
    identity.insert(identity.end(), epc.begin(), epc.end());
    return identity;
}

struct MemoryRequest {
    std::uint32_t password;
    MemoryBank bank;
    std::size_t address;
    std::size_t words;
};

MemoryRequest memoryRequest(const Bytes& parameters) {
    return {bigEndian(parameters, 0, 4), static_cast<MemoryBank>(parameters[4] & 0x03),
            bigEndian(parameters, 5, 2), bigEndian(parameters, 7, 2)};
}

// RSSI, PC word, EPC, then the StoredCRC as the tag sends it after its EPC.
Bytes tagRead(const TagField::Answer& answer) {
    Bytes read{static_cast<std::uint8_t>(answer.rssiDbm)};
    appendWord(read, answer.tag->pc());
    const Bytes epc = answer.tag->epc();
    read.insert(read.end(), epc.begin(), epc.end());
    appendWord(read, answer.tag->storedCrc());
    return read;
}

Bytes response(std::uint8_t command, const Bytes& parameters) {
    return UhfFrame::build(UhfFrame::kResponse, command, parameters);
}

// The module's answer to a setting it has taken.
Bytes taken(std::uint8_t command) {
    return response(command, {kDone});
}

} // namespace

const UhfModule::Region UhfModule::kRegions[] = {
    {0x01, 20}, // China 900 MHz: 920.125 to 924.875 MHz
    {0x04, 20}, // China 800 MHz: 840.125 to 844.875 MHz
    {0x02, 52}, // US: 902.25 to 927.75 MHz
    {0x03, 15}, // Europe: 865.1 to 867.9 MHz
    {0x06, 32}, // Korea: 917.1 to 923.3 MHz
};

const UhfModule::Command UhfModule::kCommands[] = {
    {kInventory, &UhfModule::inventory},   // single inventory
    {0x0C, &UhfModule::select},            // set select parameters
    {0x0B, &UhfModule::getSelect},         // get select parameters
    {0x39, &UhfModule::readMemory},        // read memory
    {0x49, &UhfModule::writeMemory},       // write memory
    {0x82, &UhfModule::lock},              // lock
    {0x65, &UhfModule::kill},              // kill
    {0x03, &UhfModule::moduleInformation}, // module information
    {0xB6, &UhfModule::setPower},          // set transmit power
    {0xB7, &UhfModule::getPower},          // get transmit power
    {0x07, &UhfModule::setRegion},         // set region
    {0x08, &UhfModule::getRegion},         // get region
    {0xAB, &UhfModule::setChannel},        // set channel
    {0xAA, &UhfModule::getChannel},        // get channel
    {0xAD, &UhfModule::setHopping},        // frequency hopping
    {0x0E, &UhfModule::setQuery},          // set Query parameters
    {0x0D, &UhfModule::getQuery},          // get Query parameters
    {0x12, &UhfModule::setSelectMode},     // select mode
    {0x28, &UhfModule::stopInventory},     // stop multiple inventory
};

Bytes UhfModule::answer(const Bytes& frame) {
    const auto request = UhfFrame::parse(frame);
    if (!request || request->type != UhfFrame::kCommand)
        return errorResponse(kBadCommand);
    if (request->command == kInventory)
        field_.update();
    for (const Command& command : kCommands)
        if (command.code == request->command)
            return (this->*command.run)(request->parameters);
    return errorResponse(kBadCommand);
}

TagField::Round UhfModule::round() const {
    return {unsigned(query_ >> 8 & 0x03), bool(query_ >> 7 & 1), selectMode_ == 0x00};
}

Bytes UhfModule::inventory(const Bytes& parameters) {
    if (!parameters.empty())
        return errorResponse(kBadCommand);
    Bytes reply;
    if (roundReplies_ == RoundReplies::Strongest) {
        field_.inventoryRound(round(), [&](const TagField::Answer& answer) {
            if (!reply.empty())
                return false;
            reply = response(kInventory, tagRead(answer));
            return true;
        });
        return reply.empty() ? errorResponse(kNoTagAnswered) : reply;
    }
    // More tags than one reply holds: who gets in changes from round to round,
    // so that every tag within reach is read within a few rounds.
    TagField::Round arbitrated = round();
    arbitrated.arbitrated = true;
    std::size_t size = 0;
    std::vector<TagField::Answer> answers =
        field_.inventoryRound(arbitrated, [&](const TagField::Answer& answer) {
            const std::size_t notice = UhfFrame::build(kNotice, kInventory, tagRead(answer)).size();
            if (size + notice > kMaxRoundReply)
                return false;
            size += notice;
            return true;
        });
    // The reply names them strongest first.
    std::stable_sort(answers.begin(), answers.end(),
                     [](const auto& a, const auto& b) { return a.rssiDbm > b.rssiDbm; });
    for (const TagField::Answer& answer : answers) {
        const Bytes notice = UhfFrame::build(kNotice, kInventory, tagRead(answer));
        reply.insert(reply.end(), notice.begin(), notice.end());
    }
    return reply.empty() ? errorResponse(kNoTagAnswered) : reply;
}

std::vector<Bytes> UhfModule::inventoryNotices() {
    field_.update();
    std::vector<Bytes> notices;
    field_.inventoryRound(round(), [&](const TagField::Answer& answer) {
        notices.push_back(UhfFrame::build(kNotice, kInventory, tagRead(answer)));
        return true;
    });
    return notices;
}

Bytes UhfModule::select(const Bytes& parameters) {
    if (parameters.size() < kSelectHeader)
        return errorResponse(kBadCommand);
    const std::size_t maskBits = parameters[5];
    if (parameters.size() != kSelectHeader + (maskBits + 7) / 8)
        return errorResponse(kBadCommand);
    field_.select(static_cast<MemoryBank>(parameters[0] & 0x03), bigEndian(parameters, 1, 4),
                  maskBits, Bytes(parameters.begin() + kSelectHeader, parameters.end()));
    selectParameters_ = parameters;
    return taken(0x0C);
}

// Before any select: the EPC bank from bit 32 on, an empty mask.
Bytes UhfModule::getSelect(const Bytes& parameters) {
    if (!parameters.empty())
        return errorResponse(kBadCommand);
    return response(0x0B, selectParameters_.empty()
                              ? Bytes{0x01, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00}
                              : selectParameters_);
}

Bytes UhfModule::readMemory(const Bytes& parameters) {
    if (parameters.size() != kMemoryHeader)
        return errorResponse(kBadCommand);
    const MemoryRequest request = memoryRequest(parameters);
    const Gen2Tag* tag = field_.accessed();
    if (!tag)
        return errorResponse(kReadFailed);
    Bytes words;
    const Gen2Tag::Access access =
        tag->read(request.bank, request.address, request.words, request.password, &words);
    if (access != Gen2Tag::Access::Ok)
        return errorResponse(refusal(access, kReadFamily));
    Bytes reply = tagIdentity(*tag);
    reply.insert(reply.end(), words.begin(), words.end());
    return response(0x39, reply);
}

Bytes UhfModule::writeMemory(const Bytes& parameters) {
    if (parameters.size() < kMemoryHeader)
        return errorResponse(kBadCommand);
    const MemoryRequest request = memoryRequest(parameters);
    const Bytes data(parameters.begin() + kMemoryHeader, parameters.end());
    // The word count has to agree with the data that follows it.
    if (request.words == 0 || data.size() != 2 * request.words)
        return errorResponse(kBadCommand);
    Gen2Tag* tag = field_.accessed();
    if (!tag)
        return errorResponse(kWriteFailed);
    // The reply names the tag as it answered, before the new words.
    Bytes reply = tagIdentity(*tag);
    const Gen2Tag::Access access =
        tag->write(request.bank, request.address, data, request.password);
    if (access != Gen2Tag::Access::Ok)
        return errorResponse(refusal(access, kWriteFamily));
    field_.written(tag);
    reply.push_back(0x00);
    return response(0x49, reply);
}

// Access password (4), lock payload (3).
Bytes UhfModule::lock(const Bytes& parameters) {
    if (parameters.size() != 7)
        return errorResponse(kBadCommand);
    Gen2Tag* tag = field_.accessed();
    if (!tag)
        return errorResponse(kLockFailed);
    const Gen2Tag::Access access =
        tag->lock(bigEndian(parameters, 4, 3), bigEndian(parameters, 0, 4));
    if (access != Gen2Tag::Access::Ok)
        return errorResponse(refusal(access, kLockFamily));
    Bytes reply = tagIdentity(*tag);
    reply.push_back(kDone);
    return response(0x82, reply);
}

// Kill password (4). A killed tag never answers again: it leaves the field.
Bytes UhfModule::kill(const Bytes& parameters) {
    if (parameters.size() != 4)
        return errorResponse(kBadCommand);
    Gen2Tag* tag = field_.accessed();
    if (!tag)
        return errorResponse(kKillFailed);
    const Gen2Tag::Access access = tag->kill(bigEndian(parameters, 0, 4));
    if (access != Gen2Tag::Access::Ok)
        return errorResponse(refusal(access, kKillFamily));
    Bytes reply = tagIdentity(*tag);
    reply.push_back(kDone);
    field_.remove(tag);
    return response(0x65, reply);
}

Bytes UhfModule::moduleInformation(const Bytes& parameters) {
    static const char* const kTexts[] = {"SIM-UHF 26dBm V1.0", "V1.0.0", "rfid-setup simulator"};
    if (parameters.size() != 1 || parameters[0] >= std::size(kTexts))
        return errorResponse(kBadCommand);
    Bytes reply = parameters;
    for (const char* c = kTexts[parameters[0]]; *c; ++c)
        reply.push_back(static_cast<std::uint8_t>(*c));
    return response(0x03, reply);
}

Bytes UhfModule::setPower(const Bytes& parameters) {
    const std::uint32_t power = parameters.size() == 2 ? bigEndian(parameters, 0, 2) : 0;
    if (power < kLowestPower || power > kHighestPower || power % kPowerStep)
        return errorResponse(kBadCommand);
    field_.setPowerDbm(int(power / kPowerStep));
    return taken(0xB6);
}

Bytes UhfModule::getPower(const Bytes& parameters) {
    if (!parameters.empty())
        return errorResponse(kBadCommand);
    Bytes reply;
    appendWord(reply, static_cast<std::uint16_t>(field_.powerDbm() * kPowerStep));
    return response(0xB7, reply);
}

// A channel of one region is not one of another: the channel starts over at 0.
Bytes UhfModule::setRegion(const Bytes& parameters) {
    if (parameters.size() != 1 ||
        std::none_of(std::begin(kRegions), std::end(kRegions),
                     [&](const Region& r) { return r.code == parameters[0]; }))
        return errorResponse(kBadCommand);
    if (region_ != parameters[0])
        channel_ = 0;
    region_ = parameters[0];
    return taken(0x07);
}

Bytes UhfModule::getRegion(const Bytes& parameters) {
    if (!parameters.empty())
        return errorResponse(kBadCommand);
    return response(0x08, {region_});
}

Bytes UhfModule::setChannel(const Bytes& parameters) {
    const auto region = std::find_if(std::begin(kRegions), std::end(kRegions),
                                     [&](const Region& r) { return r.code == region_; });
    if (parameters.size() != 1 || parameters[0] >= region->channels)
        return errorResponse(kBadCommand);
    channel_ = parameters[0];
    return taken(0xAB);
}

Bytes UhfModule::getChannel(const Bytes& parameters) {
    if (!parameters.empty())
        return errorResponse(kBadCommand);
    return response(0xAA, {channel_});
}

Bytes UhfModule::setHopping(const Bytes& parameters) {
    if (parameters.size() != 1 || (parameters[0] != kHoppingOn && parameters[0] != 0x00))
        return errorResponse(kBadCommand);
    hopping_ = parameters[0] == kHoppingOn;
    return taken(0xAD);
}

Bytes UhfModule::setQuery(const Bytes& parameters) {
    if (parameters.size() != 2)
        return errorResponse(kBadCommand);
    const auto query = static_cast<std::uint16_t>(bigEndian(parameters, 0, 2));
    if ((query & kQueryFixedBits) != kQueryFixedValue)
        return errorResponse(kBadCommand);
    query_ = query;
    return taken(0x0E);
}

Bytes UhfModule::getQuery(const Bytes& parameters) {
    if (!parameters.empty())
        return errorResponse(kBadCommand);
    Bytes reply;
    appendWord(reply, query_);
    return response(0x0D, reply);
}

Bytes UhfModule::setSelectMode(const Bytes& parameters) {
    if (parameters.size() != 1 || parameters[0] > kHighestSelectMode)
        return errorResponse(kBadCommand);
    selectMode_ = parameters[0];
    return taken(0x12);
}

// Over the tunnel no multiple inventory runs; the stop is answered all the same.
Bytes UhfModule::stopInventory(const Bytes& parameters) {
    if (!parameters.empty())
        return errorResponse(kBadCommand);
    return taken(0x28);
}

Bytes UhfModule::errorResponse(std::uint8_t code) {
    return response(kErrorCommand, {code});
}

} // namespace sim
