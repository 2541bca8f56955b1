// The reader HID library with a simulated reader inside: the program loads it in place of
// the real one and cannot tell the difference, except by asking readerSimulated().

#include "sim/families/tunnel_family.h"
#include "sim/reader_simulator.h"

#include <algorithm>
#include <mutex>

#define READERHID_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct SimulatedReader {
    sim::UhfModule module;
    sim::ReaderSimulator simulator{families(module)};
    std::mutex mutex;
    // The reply to the last frame written, until it is read.
    sim::Bytes reply;

    static std::vector<std::unique_ptr<sim::SimFamily>> families(sim::UhfModule& module) {
        std::vector<std::unique_ptr<sim::SimFamily>> list;
        list.push_back(std::make_unique<sim::TunnelFamily>(module));
        return list;
    }
};

// Built on first use and destroyed when the library is unloaded.
SimulatedReader& reader() {
    static SimulatedReader instance;
    return instance;
}

} // namespace

READERHID_EXPORT int hidWriteData(int, int count, unsigned char* data) {
    if (count < 0 || (count > 0 && !data))
        return 0;
    SimulatedReader& r = reader();
    const std::lock_guard<std::mutex> lock(r.mutex);
    r.reply = r.simulator.exchange(sim::Bytes(data, data + count));
    return count;
}

READERHID_EXPORT int hidReadData(int, int capacity, unsigned char* buffer) {
    SimulatedReader& r = reader();
    const std::lock_guard<std::mutex> lock(r.mutex);
    const sim::Bytes reply = std::move(r.reply);
    r.reply.clear();
    if (capacity <= 0 || !buffer)
        return 0;
    const std::size_t length = std::min(reply.size(), static_cast<std::size_t>(capacity));
    std::copy_n(reply.begin(), length, buffer);
    return static_cast<int>(length);
}

READERHID_EXPORT int readerSimulated(void) {
    return 1;
}
