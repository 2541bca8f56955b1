#include "sim/sim_family.h"

namespace sim {

SimFamily::SimFamily(std::vector<Command> commands) : commands_(std::move(commands)) {}

std::optional<Bytes> SimFamily::answer(std::uint8_t code, const Bytes& parameters) {
    for (const Command& command : commands_)
        if (command.code == code)
            return command.run(parameters);
    return std::nullopt;
}

} // namespace sim
