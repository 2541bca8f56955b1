#include "sim/families/wifi_family.h"

#include <algorithm>

namespace sim {

namespace {

constexpr std::uint8_t kSeparator = 0x2C;
constexpr std::uint8_t kEntryEnd = 0x3B;
// Network names are at most 32 bytes; a WPA password has 8 to 63 characters,
// an open network none.
constexpr std::size_t kMaxName = 32;
constexpr std::size_t kMinPassword = 8;
constexpr std::size_t kMaxPassword = 63;

} // namespace

WifiFamily::WifiFamily(WifiModuleState& state)
    : SimFamily({
          {0x8A, [this](const Bytes& parameters) { return join(parameters); }},
          {0x8B, [this](const Bytes& parameters) { return readIpAddress(parameters); }},
          {0x8C, [this](const Bytes& parameters) { return listNetworks(parameters); }},
      }),
      state_(state) {}

bool WifiFamily::inRange(const std::string& name) const {
    return std::any_of(state_.visible.begin(), state_.visible.end(),
                       [&](const WifiNetwork& network) { return network.name == name; });
}

// The name ends at the first comma; the password is the rest.
Bytes WifiFamily::join(const Bytes& parameters) {
    const auto comma = std::find(parameters.begin(), parameters.end(), kSeparator);
    if (comma == parameters.end())
        return failure(ReaderError::BadParameters);
    const std::string name(parameters.begin(), comma);
    const std::string password(comma + 1, parameters.end());
    if (name.empty() || name.size() > kMaxName)
        return failure(ReaderError::BadParameters);
    if (!password.empty() && (password.size() < kMinPassword || password.size() > kMaxPassword))
        return failure(ReaderError::BadParameters);
    state_.joinedName = name;
    state_.password = password;
    state_.joined = true;
    return success();
}

// Without a network in range the module has no address to report.
Bytes WifiFamily::readIpAddress(const Bytes& parameters) {
    if (!parameters.empty())
        return failure(ReaderError::BadParameters);
    if (!state_.joined || !inRange(state_.joinedName))
        return failure(ReaderError::CommandFailed);
    return success(Bytes(state_.ipAddress.begin(), state_.ipAddress.end()));
}

Bytes WifiFamily::listNetworks(const Bytes& parameters) {
    if (!parameters.empty())
        return failure(ReaderError::BadParameters);
    Bytes list;
    for (const WifiNetwork& network : state_.visible) {
        list.insert(list.end(), network.name.begin(), network.name.end());
        list.push_back(kSeparator);
        list.insert(list.end(), network.strength.begin(), network.strength.end());
        list.push_back(kEntryEnd);
    }
    return success(list);
}

} // namespace sim
