// The simulated reader's frame parser and families on arbitrary bytes: every
// reply is empty or a well-formed frame of at most 245 bytes.
#include "sim/simulated_reader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static sim::SimulatedReader config(sim::SimulatedReader::Model::Config);
    static sim::SimulatedReader hf(sim::SimulatedReader::Model::Hf);
    const sim::Bytes frame(data, data + size);
    for (sim::SimulatedReader* reader : {&config, &hf}) {
        const sim::Bytes reply = reader->exchange(frame);
        if (reply.empty())
            continue;
        if (reply.size() > 245 || reply.size() != reply[2] + 5u || reply.front() != 0xAA ||
            reply.back() != 0xBB)
            std::abort();
    }
    return 0;
}
