#pragma once

#include "sim/sim_family.h"
#include "sim/uhf_module.h"

namespace sim {

// Command CE of a reader with a UHF module: the payload after CE is a module frame, and the
// reply is status 00 followed by the module's reply frame.
class TunnelFamily : public SimFamily {
  public:
    explicit TunnelFamily(UhfModule& module);

  private:
    Bytes tunnel(const Bytes& moduleFrame);

    UhfModule& module_;
};

} // namespace sim
