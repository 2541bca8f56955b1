#include "sim/families/tunnel_family.h"

namespace sim {

TunnelFamily::TunnelFamily(UhfModule& module)
    : SimFamily({
          {0xCE, [this](const Bytes& frame) { return tunnel(frame); }},
      }),
      module_(module) {}

// The reader only carries the frame; whatever the module thinks of it is in its reply.
Bytes TunnelFamily::tunnel(const Bytes& moduleFrame) {
    return success(module_.answer(moduleFrame));
}

} // namespace sim
