// The reader HID library with a simulated reader inside: the program loads it in place of
// the real one and cannot tell the difference, except by asking readerSimulated().

#include "sim/simulated_reader.h"
#include "sim/uhf_environment.h"
#include "usbhid/readerhid_api.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

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

// One simulated reader plugged in: its own state, serial number and path.
struct PluggedReader {
    sim::SimulatedReader simulator{sim::SimulatedReader::modelFromEnvironment()};
    std::string serial;
    std::string path;
    // Exchanges until the reader is unplugged; negative: never.
    long exchangesLeft = -1;
    bool gone() const { return exchangesLeft == 0; }
};

struct LibraryReader {
    LibraryReader() {
        // READERHID_SIM_READERS plugs in that many readers (1 to 16), SIM0001
        // first; READERHID_SIM_UNPLUG=SERIAL:N unplugs one after N exchanges.
        const char* count = std::getenv("READERHID_SIM_READERS");
        const int readerCount = std::clamp(count ? std::atoi(count) : 1, 1, 16);
        const char* unplug = std::getenv("READERHID_SIM_UNPLUG");
        const std::string unplugSpec = unplug ? unplug : "";
        const std::size_t colon = unplugSpec.find(':');
        for (int i = 1; i <= readerCount; ++i) {
            auto& reader = *readers.emplace_back(std::make_unique<PluggedReader>());
            char serial[16];
            std::snprintf(serial, sizeof serial, "SIM%04d", i);
            reader.serial = serial;
            reader.path = i == 1 ? "simulated" : "simulated-" + std::to_string(i);
            if (colon != std::string::npos && unplugSpec.compare(0, colon, reader.serial) == 0)
                reader.exchangesLeft = std::atol(unplugSpec.c_str() + colon + 1);
            setUpField(reader.simulator.uhfModule().field());
            sim::setUpFromEnvironment(reader.simulator.uhfModule());
        }
        // READERHID_SIM_WRITE_LOG names a file that gets a line "TID EPC" for
        // every tag written, appended as the frame is answered, so that it outlives the process.
        if (const char* log = std::getenv("READERHID_SIM_WRITE_LOG"))
            writeLog = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        // READERHID_SIM_FIELD_FILE names a file that keeps the first reader's
        // field: the tags in it and those that left it, with their memory and
        // lock bits, saved after every frame, so that a tag stays on the
        // antenna as it was when the program was killed, and a test can see
        // every tag's last state.
        if (const char* file = std::getenv("READERHID_SIM_FIELD_FILE")) {
            fieldFile = file;
            loadField(readers.front()->simulator.uhfModule().field());
        }
    }
    ~LibraryReader() {
        if (writeLog >= 0)
            close(writeLog);
    }

    void setUpField(sim::TagField& field) {
        // The installer takes a tag away a while after it has been written
        // (a second, or READERHID_SIM_SWAP_MS) and puts a fresh one down, so
        // automatic issuing can be watched tag by tag.
        const char* swap = std::getenv("READERHID_SIM_SWAP_MS");
        const auto start = std::chrono::steady_clock::now();
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
        field.onWritten = [this](const sim::Gen2Tag& tag) {
            if (writeLog < 0)
                return;
            sim::Bytes tid;
            tag.read(sim::MemoryBank::Tid, 0, 0, 0, &tid);
            pendingLog += hexText(tid) + ' ' + hexText(tag.epc()) + '\n';
        };
    }

    // One line per tag: "present LOSS TAG" or "left - TAG".
    void loadField(sim::TagField& field) {
        field.onLeaving = [this](const sim::Gen2Tag& tag) { leftTags.push_back(tag.text()); };
        std::ifstream in(fieldFile);
        std::string where;
        std::string loss;
        std::string tag;
        bool cleared = false;
        while (in >> where >> loss && std::getline(in, tag)) {
            const std::optional<sim::Gen2Tag> restored = sim::Gen2Tag::fromText(tag);
            if (!restored)
                continue;
            if (where == "left") {
                leftTags.push_back(restored->text());
                continue;
            }
            if (!cleared)
                field.clear();
            cleared = true;
            field.present(*restored, std::atoi(loss.c_str()));
        }
    }

    // After the frame's changes are saved: a line never names a write that
    // the field file has not got.
    void flushLog() {
        if (writeLog >= 0 && !pendingLog.empty() &&
            write(writeLog, pendingLog.data(), pendingLog.size()) < 0)
            writeLog = -1;
        pendingLog.clear();
    }

    // Written whole and renamed over the file: a kill leaves the old or the new.
    void saveField() {
        if (fieldFile.empty())
            return;
        sim::TagField& field = readers.front()->simulator.uhfModule().field();
        std::string text;
        for (std::size_t i = 0; i < field.size(); ++i)
            text +=
                "present " + std::to_string(field.pathLossDb(i)) + ' ' + field.tag(i).text() + '\n';
        for (const std::string& tag : leftTags)
            text += "left - " + tag + '\n';
        if (text == savedField)
            return;
        const std::string temporary = fieldFile + ".tmp";
        std::ofstream(temporary, std::ios::trunc) << text;
        if (std::rename(temporary.c_str(), fieldFile.c_str()) == 0)
            savedField = text;
    }

    PluggedReader& current() { return *readers[chosen]; }
    sim::SimulatedReader& simulator() { return current().simulator; }

    std::vector<std::unique_ptr<PluggedReader>> readers;
    std::size_t chosen = 0;
    // READERHID_SIM_SILENT: a reader that takes every frame and never answers.
    const bool silent = std::getenv("READERHID_SIM_SILENT") != nullptr;
    std::mutex mutex;
    // The reply to the last frame written, until it is read.
    sim::Bytes reply;
    int writeLog = -1;
    std::string pendingLog;
    std::string fieldFile;
    std::vector<std::string> leftTags;
    std::string savedField;
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
    PluggedReader& plugged = r.current();
    if (plugged.gone())
        return -1;
    if (plugged.exchangesLeft > 0)
        --plugged.exchangesLeft;
    r.reply = plugged.simulator.exchange(sim::Bytes(data, data + count));
    r.saveField();
    r.flushLog();
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

// The simulated readers still plugged in, the chosen one in use.
READERHID_EXPORT int readerList(ReaderHidInfo* readers, int capacity) {
    LibraryReader& r = reader();
    const std::lock_guard<std::mutex> lock(r.mutex);
    int found = 0;
    for (std::size_t i = 0; i < r.readers.size(); ++i) {
        const PluggedReader& plugged = *r.readers[i];
        if (plugged.gone())
            continue;
        if (readers && found < capacity) {
            ReaderHidInfo& info = readers[found];
            info = ReaderHidInfo();
            info.vendorId = 0x0483;
            info.productId = 0x5750;
            info.inUse = i == r.chosen;
            std::strcpy(info.product, "模拟读卡器");
            std::snprintf(info.serial, sizeof info.serial, "%s", plugged.serial.c_str());
            std::snprintf(info.path, sizeof info.path, "%s", plugged.path.c_str());
        }
        ++found;
    }
    return found;
}

// Matched by serial, else by path; none (or a zero id) is the first reader.
READERHID_EXPORT int readerChoose(const ReaderHidInfo* wanted) {
    LibraryReader& r = reader();
    const std::lock_guard<std::mutex> lock(r.mutex);
    if (!wanted || wanted->vendorId == 0) {
        r.chosen = 0;
        return !r.current().gone();
    }
    for (std::size_t i = 0; i < r.readers.size(); ++i) {
        const PluggedReader& plugged = *r.readers[i];
        if (wanted->serial[0] ? plugged.serial == wanted->serial : plugged.path == wanted->path) {
            r.chosen = i;
            return !plugged.gone();
        }
    }
    return 0;
}

READERHID_EXPORT int readerAddId(unsigned int vendorId, unsigned int productId) {
    return vendorId != 0 && productId != 0 && vendorId <= 0xFFFF && productId <= 0xFFFF;
}

READERHID_EXPORT int readerLastError(char* path, int capacity) {
    LibraryReader& r = reader();
    const std::lock_guard<std::mutex> lock(r.mutex);
    const PluggedReader& plugged = r.current();
    if (path && capacity > 0)
        std::snprintf(path, std::size_t(capacity), "%s",
                      plugged.gone() ? plugged.path.c_str() : "");
    return plugged.gone() ? READERHID_DEVICE_GONE : READERHID_NO_ERROR;
}

// The installer takes the tag in the field away, as after a write.
READERHID_EXPORT int readerTakeTagAway(void) {
    LibraryReader& r = reader();
    const std::lock_guard<std::mutex> lock(r.mutex);
    sim::TagField& field = r.simulator().uhfModule().field();
    field.takeAway(field.strongest());
    return 1;
}
