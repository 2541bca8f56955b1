#include "sim/families/type_b_family.h"

namespace sim {

namespace {

constexpr std::uint8_t kAtqbCode = 0x50;
constexpr std::uint8_t kReqbCode = 0x05;
constexpr std::size_t kReqbLength = 3;
const Bytes kGetChallenge{0x00, 0x84, 0x00, 0x00, 0x08};
const Bytes kInstructionNotSupported{0x6D, 0x00};
const Bytes kDone{0x90, 0x00};

template <std::size_t N> void append(Bytes& to, const std::array<std::uint8_t, N>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

} // namespace

TypeBFamily::TypeBFamily(TypeBCard& card, IdentityCard& identityCard)
    : SimFamily({
          {0x09, [this](const Bytes& p) { return request(p); }},
          {0x0B, [this](const Bytes& p) { return attrib(p); }},
          {0x0C, [this](const Bytes& p) { return reset(p); }},
          {0x0D, [this](const Bytes& p) { return passData(p); }},
          {0x26, [this](const Bytes& p) { return identity(p, identityCard_.number); }},
          {0x27, [this](const Bytes& p) { return identity(p, identityCard_.fileIdentifier); }},
      }),
      card_(card), identityCard_(identityCard) {}

Bytes TypeBFamily::atqb() const {
    Bytes answer{kAtqbCode};
    append(answer, card_.pupi);
    append(answer, card_.applicationData);
    append(answer, card_.protocolInfo);
    return answer;
}

// A request puts the card back to ready: it needs a fresh ATTRIB to take commands.
// The reply is the length of the card's answer, then the answer.
Bytes TypeBFamily::request(const Bytes& parameters) {
    if (!parameters.empty())
        return failure(ReaderError::BadParameters);
    if (!card_.present)
        return failure(ReaderError::NoCard);
    card_.active = false;
    Bytes reply = atqb();
    reply.insert(reply.begin(), static_cast<std::uint8_t>(reply.size()));
    return success(reply);
}

// Only the card whose PUPI the ATTRIB names answers it.
Bytes TypeBFamily::attrib(const Bytes& parameters) {
    if (parameters.size() != card_.pupi.size())
        return failure(ReaderError::BadParameters);
    if (!card_.present || !std::equal(parameters.begin(), parameters.end(), card_.pupi.begin()))
        return failure(ReaderError::NoCard);
    card_.active = true;
    return success();
}

Bytes TypeBFamily::reset(const Bytes& parameters) {
    if (!parameters.empty())
        return failure(ReaderError::BadParameters);
    if (!card_.present)
        return failure(ReaderError::NoCard);
    card_.active = false;
    Bytes reply;
    append(reply, card_.pupi);
    return success(reply);
}

// Parameters: the count N of data bytes, then the N bytes for the card.
Bytes TypeBFamily::passData(const Bytes& parameters) {
    if (parameters.size() < 2 || parameters[0] + 1u != parameters.size())
        return failure(ReaderError::BadParameters);
    if (!card_.present)
        return failure(ReaderError::NoCard);
    return cardAnswer(Bytes(parameters.begin() + 1, parameters.end()));
}

// A REQB reaches any card in the field; every other command only an active card.
Bytes TypeBFamily::cardAnswer(const Bytes& command) {
    if (command.size() == kReqbLength && command[0] == kReqbCode) {
        card_.active = false;
        return success(atqb());
    }
    if (!card_.active)
        return failure(ReaderError::Timeout);
    if (command == kGetChallenge) {
        Bytes answer;
        for (int i = 0; i < 8; ++i)
            answer.push_back(static_cast<std::uint8_t>(++card_.challengeCounter * 0x3B));
        answer.insert(answer.end(), kDone.begin(), kDone.end());
        return success(answer);
    }
    return success(kInstructionNotSupported);
}

// The reply carries the length of the value before the value.
Bytes TypeBFamily::identity(const Bytes& parameters,
                            const std::array<std::uint8_t, 8>& value) const {
    if (!parameters.empty())
        return failure(ReaderError::BadParameters);
    if (!identityCard_.present)
        return failure(ReaderError::NoCard);
    Bytes reply{static_cast<std::uint8_t>(value.size())};
    append(reply, value);
    return success(reply);
}

} // namespace sim
