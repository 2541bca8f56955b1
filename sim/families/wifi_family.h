#pragma once

#include "sim/sim_family.h"

#include <string>

namespace sim {

// A network the WiFi module sees: name and signal strength as the module
// reports them, as bytes (GBK for Chinese names).
struct WifiNetwork {
    std::string name;
    std::string strength;
};

// The reader's WiFi module: the networks in range, and the one it was told to join.
struct WifiModuleState {
    std::vector<WifiNetwork> visible{
        {"TP-LINK_5A3C", "-45"},  {"\xB0\xEC\xB9\xAB\xCA\xD2WiFi", "-52"}, // 办公室WiFi
        {"ChinaNet-8F2D", "-67"}, {"Warehouse", "-73"},
        {"HUAWEI-P30", "-81"},
    };
    std::string joinedName;
    std::string password;
    bool joined = false;
    // The address the module obtains once it is on a network in range.
    std::string ipAddress = "192.168.1.57";
};

// Commands of the WiFi module: 8A join (name, 2C, password), 8B read the IP
// address as text, 8C read the networks in range as "name,strength;" entries.
class WifiFamily : public SimFamily {
  public:
    explicit WifiFamily(WifiModuleState& state);

  private:
    Bytes join(const Bytes& parameters);
    Bytes readIpAddress(const Bytes& parameters);
    Bytes listNetworks(const Bytes& parameters);
    bool inRange(const std::string& name) const;

    WifiModuleState& state_;
};

} // namespace sim
