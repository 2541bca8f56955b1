#pragma once

#include "sim/sim_family.h"

#include <array>

namespace sim {

// An ISO 14443 Type B card in the field. It answers a request (REQB) with its
// ATQB; ATTRIB with its identifier (PUPI) activates it; an active card takes
// commands passed through the reader.
struct TypeBCard {
    bool present = true;
    bool active = false;
    std::array<std::uint8_t, 4> pupi{0x41, 0x30, 0x0A, 0x10};
    std::array<std::uint8_t, 4> applicationData{0x00, 0x00, 0x00, 0x00};
    std::array<std::uint8_t, 3> protocolInfo{0x00, 0x71, 0x71};
    // Source of the card's answers to GET CHALLENGE.
    std::uint8_t challengeCounter = 0;
};

// A resident identity card: the reader fetches its card number and its file
// identifier itself, eight bytes each.
struct IdentityCard {
    bool present = true;
    std::array<std::uint8_t, 8> number{0x28, 0x02, 0x19, 0x33, 0x51, 0x0C, 0x5A, 0x90};
    std::array<std::uint8_t, 8> fileIdentifier{0x00, 0x00, 0x00, 0x00, 0x03, 0x8E, 0x15, 0xA7};
};

// Commands 09 (request), 0B (ATTRIB), 0C (reset), 0D (pass data to the card)
// and the identity card reads 26 (card number) and 27 (file identifier).
class TypeBFamily : public SimFamily {
  public:
    TypeBFamily(TypeBCard& card, IdentityCard& identityCard);

  private:
    Bytes atqb() const;
    Bytes request(const Bytes& parameters);
    Bytes attrib(const Bytes& parameters);
    Bytes reset(const Bytes& parameters);
    Bytes passData(const Bytes& parameters);
    Bytes cardAnswer(const Bytes& command);
    Bytes identity(const Bytes& parameters, const std::array<std::uint8_t, 8>& value) const;

    TypeBCard& card_;
    IdentityCard& identityCard_;
};

} // namespace sim
