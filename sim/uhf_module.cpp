#include "sim/uhf_module.h"

#include "sim/uhf_frame.h"

namespace sim {

namespace {

constexpr std::uint8_t kErrorCommand = 0xFF;
constexpr std::uint8_t kInventory = 0x22;
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

} // namespace

const UhfModule::Command UhfModule::kCommands[] = {
    {kInventory, &UhfModule::inventory}, // single inventory
    {0x0C, &UhfModule::select},          // select
    {0x39, &UhfModule::readMemory},      // read memory
    {0x49, &UhfModule::writeMemory},     // write memory
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

// RSSI, PC word, EPC, then the StoredCRC as the tag sends it after its EPC.
Bytes UhfModule::inventory(const Bytes& parameters) {
    if (!parameters.empty())
        return errorResponse(kBadCommand);
    const Gen2Tag* tag = field_.strongest();
    if (!tag)
        return errorResponse(kNoTagAnswered);
    Bytes reply{kRssi};
    appendWord(reply, tag->pc());
    const Bytes epc = tag->epc();
    reply.insert(reply.end(), epc.begin(), epc.end());
    appendWord(reply, tag->storedCrc());
    return UhfFrame::build(UhfFrame::kResponse, 0x22, reply);
}

Bytes UhfModule::select(const Bytes& parameters) {
    if (parameters.size() < kSelectHeader)
        return errorResponse(kBadCommand);
    const std::size_t maskBits = parameters[5];
    if (parameters.size() != kSelectHeader + (maskBits + 7) / 8)
        return errorResponse(kBadCommand);
    field_.select(static_cast<MemoryBank>(parameters[0] & 0x03), bigEndian(parameters, 1, 4),
                  maskBits, Bytes(parameters.begin() + kSelectHeader, parameters.end()));
    return UhfFrame::build(UhfFrame::kResponse, 0x0C, {0x00});
}

Bytes UhfModule::readMemory(const Bytes& parameters) {
    if (parameters.size() != kMemoryHeader)
        return errorResponse(kBadCommand);
    const MemoryRequest request = memoryRequest(parameters);
    const Gen2Tag* tag = field_.accessed();
    if (!tag)
        return errorResponse(kReadFailed);
    Bytes words;
    switch (tag->read(request.bank, request.address, request.words, request.password, &words)) {
    case Gen2Tag::Access::Ok:
        break;
    case Gen2Tag::Access::WrongPassword:
        return errorResponse(kAccessFailed);
    case Gen2Tag::Access::Overrun:
        return errorResponse(kReadOverrun);
    case Gen2Tag::Access::BadLength:
        return errorResponse(kBadCommand);
    }
    Bytes reply = tagIdentity(*tag);
    reply.insert(reply.end(), words.begin(), words.end());
    return UhfFrame::build(UhfFrame::kResponse, 0x39, reply);
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
    switch (tag->write(request.bank, request.address, data, request.password)) {
    case Gen2Tag::Access::Ok:
        break;
    case Gen2Tag::Access::WrongPassword:
        return errorResponse(kAccessFailed);
    case Gen2Tag::Access::Overrun:
        return errorResponse(kWriteOverrun);
    case Gen2Tag::Access::BadLength:
        return errorResponse(kBadCommand);
    }
    field_.written(tag);
    reply.push_back(0x00);
    return UhfFrame::build(UhfFrame::kResponse, 0x49, reply);
}

Bytes UhfModule::errorResponse(std::uint8_t code) {
    return UhfFrame::build(UhfFrame::kResponse, kErrorCommand, {code});
}

} // namespace sim
