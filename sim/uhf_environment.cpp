#include "sim/uhf_environment.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace sim {

namespace {

// As many tags as a long run could pass by the antenna.
constexpr unsigned long kMostTags = 100000;

std::optional<unsigned long> number(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno || *end || *text == '-')
        return std::nullopt;
    return value;
}

} // namespace

void setUpFromEnvironment(UhfModule& module) {
    TagField& field = module.field();
    if (const auto seed = number("READERHID_SIM_SEED"))
        field.seed(static_cast<unsigned>(*seed));
    if (const auto tags = number("READERHID_SIM_TAGS")) {
        const unsigned long wanted = std::min(*tags, kMostTags);
        if (wanted == 0)
            field.clear();
        else if (wanted > field.size())
            field.addTags(wanted - field.size());
    }
    const char* round = std::getenv("READERHID_SIM_ROUND");
    if (round && std::strcmp(round, "every") == 0)
        module.setRoundReplies(UhfModule::RoundReplies::Every);
}

} // namespace sim
