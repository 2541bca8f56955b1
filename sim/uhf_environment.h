#pragma once

#include "sim/uhf_module.h"

namespace sim {

// The simulated field as the environment describes it, for the HID library
// and the serial port alike:
//   READERHID_SIM_TAGS=N    N tags in the field (the first one as at start,
//                           the others spread from close by to out of reach);
//   READERHID_SIM_ROUND=every  a single inventory answers with a notice for
//                           every tag read, not with the strongest tag alone;
//   READERHID_SIM_SEED=N    the seed of the path losses and the lost reads;
//   READERHID_SIM_PASSWORDS=ACCESS:KILL  the first tag's access and kill
//                           passwords, 8 hex digits each; an access password
//                           also locks its passwords, EPC and User memory, as
//                           a production line leaves a tag.
// A value that is not a number leaves the default.
void setUpFromEnvironment(UhfModule& module);

} // namespace sim
