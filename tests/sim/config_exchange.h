#pragma once

#include "sim/hf_frame.h"
#include "sim/simulated_reader.h"
#include "sim_bytes.h"

// One command to the simulated reader at address 00: the payload as hex text
// in, the reply payload (status first) as upper-case hex out.
inline QByteArray ask(sim::SimulatedReader& reader, const char* payload) {
    const sim::Bytes reply = reader.exchange(sim::HfFrame::build(0x00, bytes(payload)));
    return hex(sim::HfFrame::parse(reply).payload);
}
