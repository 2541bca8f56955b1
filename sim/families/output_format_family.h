#pragma once

#include "sim/families/uhf_machine_family.h"
#include "sim/sim_family.h"

#include <string>

namespace sim {

// Settings of an output-format reader, as it keeps them; the defaults are the
// factory settings.
struct OutputFormatSettings {
    // 00-10 a fixed format, 80 + n the first n bytes of the number in hex.
    std::uint8_t formatCode = 0x0F;
    bool semicolon = false;
    bool questionMark = false;
    bool comma = false;
    bool carriageReturn = true;
    bool largeBuzzer = true;
    bool rssi = false;
    bool buzzerOn = true;
    // What command C0 answers; firmware, so a factory reset keeps it.
    std::string version = "UHF915-OUT V3.2 2023-06";
};

// Commands of the output-format reader: 82 set and 83 read the output format, C0
// the version text, CD the buzzer, CF the factory reset. The reading mode it
// reports is the UHF machine's, which the reset restores as well.
class OutputFormatFamily : public SimFamily {
  public:
    OutputFormatFamily(OutputFormatSettings& settings, UhfMachineSettings& machine);

  private:
    Bytes setFormat(const Bytes& parameters);
    Bytes readFormat(const Bytes& parameters);
    Bytes readVersion(const Bytes& parameters);
    Bytes setBuzzer(const Bytes& parameters);
    Bytes factoryReset(const Bytes& parameters);

    OutputFormatSettings& settings_;
    UhfMachineSettings& machine_;
};

} // namespace sim
