#include "sim/simulated_reader.h"

#include "sim/families/sector_card_family.h"
#include "sim/families/tunnel_family.h"

#include <cstdlib>
#include <cstring>

namespace sim {

SimulatedReader::SimulatedReader(Model model)
    : iso15693Cards_(iso15693CardsAtStart()),
      simulator_(std::make_unique<ReaderSimulator>(families(model))) {}

std::vector<std::unique_ptr<SimFamily>> SimulatedReader::families(Model model) {
    // Families listed first answer a shared code; the model puts its own
    // reader's families first.
    std::vector<std::unique_ptr<SimFamily>> configFamilies;
    configFamilies.push_back(std::make_unique<TunnelFamily>(uhfModule_));
    configFamilies.push_back(std::make_unique<OutputFormatFamily>(outputFormat_, uhfMachine_));
    configFamilies.push_back(std::make_unique<UhfMachineFamily>(uhfMachine_));
    configFamilies.push_back(std::make_unique<WifiFamily>(wifiModule_));

    std::vector<std::unique_ptr<SimFamily>> hfFamilies;
    hfFamilies.push_back(std::make_unique<HfSystemFamily>(hfReader_));
    hfFamilies.push_back(std::make_unique<UltralightFamily>(ultralightCard_));
    hfFamilies.push_back(std::make_unique<TypeBFamily>(typeBCard_, identityCard_));
    hfFamilies.push_back(std::make_unique<Iso15693Family>(iso15693Cards_));
    // Halt (06) is the Ultralight family's while both card kinds share the field:
    // S50/S70 cards are halted by the request's halt flag.
    hfFamilies.push_back(std::make_unique<SectorCardFamily>(sectorCards_));

    auto& first = model == Model::Hf ? hfFamilies : configFamilies;
    auto& second = model == Model::Hf ? configFamilies : hfFamilies;
    for (auto& family : second)
        first.push_back(std::move(family));
    return std::move(first);
}

SimulatedReader::Model SimulatedReader::modelFromEnvironment() {
    const char* model = std::getenv("READERHID_SIM_MODEL");
    return model && std::strcmp(model, "hf") == 0 ? Model::Hf : Model::Config;
}

} // namespace sim
