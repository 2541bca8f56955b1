#pragma once

#include "sim/families/hf_system_family.h"
#include "sim/families/iso15693_family.h"
#include "sim/families/output_format_family.h"
#include "sim/families/type_b_family.h"
#include "sim/families/uhf_machine_family.h"
#include "sim/families/ultralight_family.h"
#include "sim/families/wifi_family.h"
#include "sim/reader_simulator.h"
#include "sim/sector_card.h"
#include "sim/uhf_module.h"

#include <memory>

namespace sim {

// A whole simulated reader: the state of each part (settings, cards and tags
// in the field) and the families that answer for it, in the order of the
// reader model. The HID library holds one; tests make their own.
class SimulatedReader {
  public:
    // Some command codes mean different things to different readers (82/83
    // set/read the output format of an output-format reader, but the serial
    // number and address of an HF card reader; 87 is the UHF machine's relay
    // or the HF reader's LED-R). The model decides which reader answers them.
    enum class Model {
        Config, // output-format reader with the UHF machine and WiFi module
        Hf,     // 13.56 MHz card reader
    };

    explicit SimulatedReader(Model model = Model::Config);

    Bytes exchange(const Bytes& frame) { return simulator_->exchange(frame); }

    UhfModule& uhfModule() { return uhfModule_; }
    OutputFormatSettings& outputFormat() { return outputFormat_; }
    UhfMachineSettings& uhfMachine() { return uhfMachine_; }
    WifiModuleState& wifiModule() { return wifiModule_; }
    HfReaderSettings& hfReader() { return hfReader_; }
    // 13.56 MHz cards in the field of the HF card reader.
    SectorCardField& sectorCards() { return sectorCards_; }
    UltralightCard& ultralightCard() { return ultralightCard_; }
    TypeBCard& typeBCard() { return typeBCard_; }
    IdentityCard& identityCard() { return identityCard_; }
    std::vector<Iso15693Card>& iso15693Cards() { return iso15693Cards_; }

    // READERHID_SIM_MODEL=hf chooses the HF card reader; anything else the default.
    static Model modelFromEnvironment();

  private:
    std::vector<std::unique_ptr<SimFamily>> families(Model model);

    UhfModule uhfModule_;
    OutputFormatSettings outputFormat_;
    UhfMachineSettings uhfMachine_;
    WifiModuleState wifiModule_;
    HfReaderSettings hfReader_;
    SectorCardField sectorCards_;
    UltralightCard ultralightCard_;
    TypeBCard typeBCard_;
    IdentityCard identityCard_;
    std::vector<Iso15693Card> iso15693Cards_;
    std::unique_ptr<ReaderSimulator> simulator_;
};

} // namespace sim
