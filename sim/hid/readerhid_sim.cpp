// The reader HID library with a simulated reader inside: the program loads it in place of
// the real one and cannot tell the difference, except by asking readerSimulated().

#include "sim/simulated_reader.h"
#include "usbhid/readerhid_api.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <string>
#include <unistd.h>

#define READERHID_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string hexText(const sim::Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// A 48-bit start for the TID serial numbers of this process: the process id,
// the time and the system's random source mixed, so that two processes never
// count through the same numbers in practice.
std::uint64_t serialBase() {
    std::uint64_t x = std::uint64_t(std::random_device()()) << 32 ^ std::random_device()() ^
                      std::uint64_t(getpid()) << 40 ^
                      std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    // splitmix64's finaliser spreads every input bit over the result.
    x = (x ^ x >> 30) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ x >> 27) * 0x94D049BB133111EBULL;
    return (x ^ x >> 31) & 0xFFFFFFFFFFFFULL;
}

struct LibraryReader {
    LibraryReader() {
        // The installer takes a tag away a while after it has been written
        // (a second, or READERHID_SIM_SWAP_MS) and puts a fresh one down, so
        // automatic issuing can be watched tag by tag.
        const char* swap = std::getenv("READERHID_SIM_SWAP_MS");
        const auto start = std::chrono::steady_clock::now();
        sim::TagField& field = simulator.uhfModule().field();
        field.replaceWrittenTags(
            std::chrono::milliseconds(swap ? std::atoi(swap) : 1000),
            [start] {
                return std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start);
            },
            std::random_device()());
        field.numberSerialsFrom(serialBase());
        field.clear();
        field.present(sim::Gen2Tag(sim::TagField::kFirstEpc, field.nextSerial()));
        // READERHID_SIM_WRITE_LOG names a file that gets a line "TID EPC" for
        // every tag written, appended at once, so that it outlives the process.
        if (const char* log = std::getenv("READERHID_SIM_WRITE_LOG")) {
            writeLog = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
            field.onWritten = [this](const sim::Gen2Tag& tag) {
                sim::Bytes tid;
                tag.read(sim::MemoryBank::Tid, 0, 0, 0, &tid);
                const std::string line = hexText(tid) + ' ' + hexText(tag.epc()) + '\n';
                if (writeLog >= 0 && write(writeLog, line.data(), line.size()) < 0)
                    writeLog = -1;
            };
        }
    }
    ~LibraryReader() {
        if (writeLog >= 0)
            close(writeLog);
    }

    sim::SimulatedReader simulator{sim::SimulatedReader::modelFromEnvironment()};
    // READERHID_SIM_SILENT: a reader that takes every frame and never answers.
    const bool silent = std::getenv("READERHID_SIM_SILENT") != nullptr;
    std::mutex mutex;
    // The reply to the last frame written, until it is read.
    sim::Bytes reply;
    int writeLog = -1;
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
    if (capacity <= 0 || !buffer || r.silent)
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

// The installer takes the tag in the field away, as after a write.
READERHID_EXPORT int readerTakeTagAway(void) {
    LibraryReader& r = reader();
    const std::lock_guard<std::mutex> lock(r.mutex);
    sim::TagField& field = r.simulator.uhfModule().field();
    field.takeAway(field.strongest());
    return 1;
}
