#pragma once

#include "sim/sim_family.h"

#include <array>

namespace sim {

// How the UHF machine reads tags on its own (command 0F, or BC for a memory area).
enum class ReadMode : std::uint8_t {
    SingleEpc = 0x01,
    Passive = 0x02,
    MultipleEpc = 0x03,
    Tid = 0x04,
    MemoryArea = 0xBC,
};

// The 915 MHz UHF machine's parameters as it keeps them; the defaults are the
// factory settings.
struct UhfMachineSettings {
    std::uint8_t searchInterval = 10; // 10 ms units
    std::uint8_t filterCount = 10;
    std::uint8_t readWait = 10; // seconds
    bool serialOutput = true;
    bool wiegandOutput = true;
    bool usbOutput = true;
    std::uint8_t baudCode = 0;   // 9600
    std::uint8_t terminator = 2; // 0D 0A
    std::uint8_t rfPower = 2;
    std::uint8_t wiegandFormat = 0; // WG26
    std::uint8_t wiegandPosition = 9;
    std::uint8_t wiegandLowPulse = 0x0A;  // 10 us units
    std::uint8_t wiegandIdleWidth = 0x0A; // 100 us units
    Bytes prefix;
    Bytes suffix;
    ReadMode readMode = ReadMode::SingleEpc;
    // Memory area of ReadMode::MemoryArea: bank, access password, first word, words.
    std::uint8_t areaBank = 3;
    std::array<std::uint8_t, 4> areaPassword{};
    std::uint8_t areaAddress = 0;
    std::uint8_t areaLength = 8;
    bool relayOn = false;
    // Switched by B8 to present itself as a USB virtual serial port.
    bool usbVirtualSerial = false;
};

// Parameter commands of the UHF machine: C1-C9, CB, CC, BD, the read modes 0F and
// BC, the relay 87, and B8 (switch to USB virtual serial port). A parameter outside its range is
// refused with 10 when it is too large and 85 otherwise; a wrong number of bytes with 85.
class UhfMachineFamily : public SimFamily {
  public:
    explicit UhfMachineFamily(UhfMachineSettings& settings);

  private:
    Bytes setAffix(const Bytes& parameters);
    Bytes setInterfaces(const Bytes& parameters);
    Bytes setReadMode(const Bytes& parameters);
    Bytes setMemoryArea(const Bytes& parameters);
    Bytes setRelay(const Bytes& parameters);

    UhfMachineSettings& settings_;
};

} // namespace sim
