#pragma once

#include "sim/sim_family.h"

#include <memory>

namespace sim {

// A simulated reader: takes one HF command frame and gives the HF reply frame a reader would
// give. The families hold the state, so a value written can be read back.
class ReaderSimulator {
  public:
    // The largest reply frame the program reads in one exchange.
    static constexpr std::size_t kMaxReplyFrame = 245;

    // Families in the order they are asked: where two families share a code, the earlier one
    // answers, so the order decides which reader model is simulated.
    explicit ReaderSimulator(std::vector<std::unique_ptr<SimFamily>> families);

    // The reply frame, carrying the request's address; empty when the bytes are no frame.
    Bytes exchange(const Bytes& frame);

  private:
    Bytes answer(const Bytes& payload);

    std::vector<std::unique_ptr<SimFamily>> families_;
};

} // namespace sim
