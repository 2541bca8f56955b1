// The reader HID library with a simulated reader inside: the program loads it in place of
// the real one and cannot tell the difference, except by asking readerSimulated().

#include "sim/simulated_reader.h"
#include "usbhid/readerhid_api.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <random>

#define READERHID_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct LibraryReader {
    LibraryReader() {
        // The installer takes a tag away a second after it has been written and
        // puts a fresh one down, so automatic issuing can be watched tag by tag.
        const auto start = std::chrono::steady_clock::now();
        simulator.uhfModule().field().replaceWrittenTags(
            std::chrono::seconds(1),
            [start] {
                return std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start);
            },
            std::random_device()());
    }

    sim::SimulatedReader simulator{sim::SimulatedReader::modelFromEnvironment()};
    std::mutex mutex;
    // The reply to the last frame written, until it is read.
    sim::Bytes reply;
};

// Built on first use and destroyed when the library is unloaded.
LibraryReader& reader() {
    static LibraryReader instance;
    return instance;
}

} // namespace

READERHID_EXPORT int hidWriteData(int, int count, unsigned char* data) {
    if (count < 0 || (count > 0 && !data))
        return 0;
    LibraryReader& r = reader();
    const std::lock_guard<std::mutex> lock(r.mutex);
    r.reply = r.simulator.exchange(sim::Bytes(data, data + count));
    return count;
}

READERHID_EXPORT int hidReadData(int, int capacity, unsigned char* buffer) {
    LibraryReader& r = reader();
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

// One simulated reader, always present and always in use.
READERHID_EXPORT int readerList(ReaderHidInfo* readers, int capacity) {
    if (readers && capacity > 0) {
        ReaderHidInfo& info = readers[0];
        info = ReaderHidInfo();
        info.vendorId = 0x0483;
        info.productId = 0x5750;
        info.inUse = 1;
        std::strcpy(info.product, "模拟读卡器");
        std::strcpy(info.serial, "SIM0001");
        std::strcpy(info.path, "simulated");
    }
    return 1;
}

READERHID_EXPORT int readerChoose(const ReaderHidInfo*) {
    return 1;
}

READERHID_EXPORT int readerAddId(unsigned int vendorId, unsigned int productId) {
    return vendorId != 0 && productId != 0 && vendorId <= 0xFFFF && productId <= 0xFFFF;
}

READERHID_EXPORT int readerLastError(char* path, int capacity) {
    if (path && capacity > 0)
        path[0] = '\0';
    return READERHID_NO_ERROR;
}
