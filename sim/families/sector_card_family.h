#pragma once

#include "sim/sector_card.h"
#include "sim/sim_family.h"

namespace sim {

// S50/S70 card commands of an HF reader: read and write blocks (20, 21), value
// blocks (22 initialise, 23 decrement, 24 increment), request and card number
// (25) and halt (06). Block and value commands start with a mode byte: bit 0
// wakes halted cards too (52 instead of 26), bit 1 authenticates with key B.
// A value command works on the second block of the sector it names.
class SectorCardFamily : public SimFamily {
  public:
    explicit SectorCardFamily(SectorCardField& field);

  private:
    // The card that answered the mode's request, once the key has opened every
    // sector of the blocks [first, first + count); otherwise the error.
    struct Access {
        SectorCard* card = nullptr;
        std::optional<ReaderError> error;
    };
    Access open(const Bytes& parameters, std::size_t keyOffset, int first, int count);

    Bytes readBlocks(const Bytes& parameters);
    Bytes writeBlocks(const Bytes& parameters);
    Bytes initialiseValue(const Bytes& parameters);
    Bytes changeValue(const Bytes& parameters, int sign);
    Bytes requestCard(const Bytes& parameters);
    Bytes halt(const Bytes& parameters);

    SectorCardField& field_;
};

} // namespace sim
