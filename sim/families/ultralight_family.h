#pragma once

#include "sim/sim_family.h"

#include <array>

namespace sim {

// An Ultralight card in the field: 16 pages of 4 bytes. Pages 0 and 1 hold the
// 7-byte UID with its check bytes, page 2 bytes 2-3 the lock bits, page 3 the
// one-time-programmable bits, pages 4 to 15 the operator's data.
struct UltralightCard {
    static constexpr int kPages = 16;
    using Uid = std::array<std::uint8_t, 7>;

    UltralightCard();
    // A card with this UID: check bytes computed, lock bits and data cleared.
    void issue(const Uid& uid);
    Uid uid() const;

    bool present = true;
    // A halted card answers only a request for all cards.
    bool halted = false;
    std::array<std::array<std::uint8_t, 4>, kPages> pages{};
};

// Commands E3 (serial number), E0 (read 16 bytes from a page), E1 (write one
// page) and 06 (halt) of a reader with an Ultralight card.
class UltralightFamily : public SimFamily {
  public:
    explicit UltralightFamily(UltralightCard& card);

  private:
    // The card answering a request of this mode (00 idle cards, 01 all cards).
    bool request(std::uint8_t mode);
    Bytes readSerial(const Bytes& parameters);
    Bytes readPages(const Bytes& parameters);
    Bytes writePage(const Bytes& parameters);
    Bytes halt();
    bool pageLocked(int page) const;

    UltralightCard& card_;
};

} // namespace sim
