#include "sim/uhf_environment.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

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

// "AAAAAAAA:KKKKKKKK" as the access and the kill password.
std::optional<std::pair<std::uint32_t, std::uint32_t>> passwords(const char* name) {
    const char* text = std::getenv(name);
    if (!text || std::strlen(text) != 17 || text[8] != ':' ||
        std::strspn(text, "0123456789abcdefABCDEF") != 8 ||
        std::strspn(text + 9, "0123456789abcdefABCDEF") != 8)
        return std::nullopt;
    return std::pair(static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16)),
                     static_cast<std::uint32_t>(std::strtoul(text + 9, nullptr, 16)));
}

// Kill password, access password, EPC and User memory locked.
constexpr std::uint32_t kFinishedLock = 0xA8AA2;

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
    if (const auto set = passwords("READERHID_SIM_PASSWORDS"); set && !field.empty()) {
        Gen2Tag& tag = field.tag(0);
        Bytes reserved;
        for (const std::uint32_t password : {set->second, set->first})
            for (int shift = 24; shift >= 0; shift -= 8)
                reserved.push_back(static_cast<std::uint8_t>(password >> shift));
        tag.write(MemoryBank::Reserved, 0, reserved, 0);
        if (set->first)
            tag.lock(kFinishedLock, set->first);
    }
    const char* round = std::getenv("READERHID_SIM_ROUND");
    if (round && std::strcmp(round, "every") == 0)
        module.setRoundReplies(UhfModule::RoundReplies::Every);
}

} // namespace sim
