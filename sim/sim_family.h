#pragma once

#include "sim/reply.h"

#include <functional>
#include <optional>

namespace sim {

// One family of reader commands. A family file is a subclass whose constructor hands over
// its command table, code -> handler; the dispatch here is shared by all families.
// Families reuse codes with other meanings, so the simulator asks them in an order of its
// own and the first family that knows a code answers it.
class SimFamily {
  public:
    // Gets the parameters after the command code; returns the reply payload, status first.
    using Handler = std::function<Bytes(const Bytes& parameters)>;
    struct Command {
        std::uint8_t code;
        Handler run;
    };

    explicit SimFamily(std::vector<Command> commands);
    virtual ~SimFamily() = default;
    // Handlers of subclasses capture `this`.
    SimFamily(const SimFamily&) = delete;
    SimFamily& operator=(const SimFamily&) = delete;

    // Nothing when the code is not in this family's table.
    std::optional<Bytes> answer(std::uint8_t code, const Bytes& parameters);

  private:
    std::vector<Command> commands_;
};

} // namespace sim
