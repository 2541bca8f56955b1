// A stand-in for hidapi with the calls the real reader library makes, so that the real
// library runs end to end on a machine without USB. Behind it the simulated reader's library
// answers the frames; in front of it every reader looks as the real one does on the bus: its
// USB id, serial, a keyboard interface and the vendor-defined command interface, 64-byte
// reports without report ids. A test scripts the faults a USB device has (hidapi_standin.h).

#include "hidapi_standin.h"
#include "usbhid/readerhid_api.h"

#include <hidapi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <vector>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

struct hid_device_ {
    int reader;
    // The path it was opened by: a reader plugged in again is another device.
    std::string path;
};

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kReportSize = 64;
constexpr unsigned char kHeader = 0xAA;
constexpr std::size_t kFrameOverhead = 5;
// What a flooding reader sends: the reply to a frame nobody wrote.
const std::vector<unsigned char> kFloodFrame = {0xAA, 0x00, 0x02, 0x00, 0x42, 0x40, 0xBB};

struct InputReport {
    std::vector<unsigned char> bytes;
    Clock::time_point ready;
};

struct Reader {
    std::string simPath;
    std::string serial;
    std::wstring product;
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    bool plugged = true;
    // Plugged in again so many times: part of the path.
    int generation = 0;
    // Output report bytes until they make a whole frame.
    std::vector<unsigned char> received;
    std::deque<InputReport> input;
    int frames = 0;

    std::string path() const {
        return generation == 0 ? simPath : simPath + "." + std::to_string(generation);
    }
    std::string keyboardPath() const { return path() + "-keyboard"; }
};

std::wstring wide(const std::string& utf8) {
    std::wstring out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        std::uint32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += static_cast<wchar_t>(c);
        i += std::size_t(extra) + 1;
    }
    return out;
}

wchar_t* copy(const std::wstring& text) {
    auto* out = static_cast<wchar_t*>(std::calloc(text.size() + 1, sizeof(wchar_t)));
    std::copy(text.begin(), text.end(), out);
    return out;
}

class StandIn {
  public:
    StandIn() {
        sim_ = dlopen(SIM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!sim_)
            return;
        simWrite_ =
            reinterpret_cast<int (*)(int, int, unsigned char*)>(dlsym(sim_, "hidWriteData"));
        simRead_ = reinterpret_cast<int (*)(int, int, unsigned char*)>(dlsym(sim_, "hidReadData"));
        simList_ = reinterpret_cast<int (*)(ReaderHidInfo*, int)>(dlsym(sim_, "readerList"));
        simChoose_ = reinterpret_cast<int (*)(const ReaderHidInfo*)>(dlsym(sim_, "readerChoose"));
        simTakeTagAway_ = reinterpret_cast<int (*)()>(dlsym(sim_, "readerTakeTagAway"));
        if (!loaded())
            return;
        std::vector<ReaderHidInfo> found(16);
        const int count = std::min(simList_(found.data(), int(found.size())), int(found.size()));
        for (int i = 0; i < count; ++i) {
            Reader reader;
            reader.simPath = found[i].path;
            reader.serial = found[i].serial;
            reader.product = wide(found[i].product);
            readers_.push_back(reader);
            simIds_.push_back({found[i].vendorId, found[i].productId});
        }
        reset();
    }
    ~StandIn() {
        if (sim_)
            dlclose(sim_);
    }

    void reset() {
        for (std::size_t i = 0; i < readers_.size(); ++i) {
            Reader fresh;
            fresh.simPath = readers_[i].simPath;
            fresh.serial = readers_[i].serial;
            fresh.product = readers_[i].product;
            fresh.vendorId = simIds_[i].first;
            fresh.productId = simIds_[i].second;
            readers_[i] = fresh;
        }
        std::fill(std::begin(faults_), std::end(faults_), 0);
        frames_ = 0;
        otherOpens_ = 0;
        lastReport_.clear();
        lastReader_ = -1;
    }

    hid_device_info* enumerate() {
        refreshPlugged();
        hid_device_info* first = nullptr;
        hid_device_info** next = &first;
        auto add = [&](const Reader& reader, const std::string& path, unsigned short usagePage,
                       unsigned short usage, int interface) {
            auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
            info->path = strdup(path.c_str());
            info->vendor_id = reader.vendorId;
            info->product_id = reader.productId;
            info->serial_number = copy(wide(reader.serial));
            info->manufacturer_string = copy(L"");
            info->product_string = copy(reader.product);
            info->usage_page = usagePage;
            info->usage = usage;
            info->interface_number = interface;
            info->bus_type = HID_API_BUS_USB;
            *next = info;
            next = &info->next;
        };
        for (const Reader& reader : readers_)
            if (reader.plugged) {
                add(reader, reader.keyboardPath(), 0x01, 0x06, 0);
                add(reader, reader.path(), 0xFF00, 0x01, 1);
            }
        return first;
    }

    hid_device* open(const char* path) {
        refreshPlugged();
        for (std::size_t i = 0; i < readers_.size(); ++i) {
            const Reader& reader = readers_[i];
            if (!reader.plugged)
                continue;
            if (reader.path() == path)
                return new hid_device_{int(i), path};
            if (reader.keyboardPath() == path)
                ++otherOpens_;
        }
        return nullptr;
    }

    int write(hid_device* device, const unsigned char* data, std::size_t length) {
        lastReport_.assign(data, data + length);
        Reader* reader = usable(device);
        if (!reader || length == 0)
            return -1;
        if (take(HIDSTANDIN_FAILED_WRITES))
            return -1;
        const bool shortWrite = take(HIDSTANDIN_SHORT_WRITES);
        // Without numbered reports a leading 0 is the report id and not sent; anything else is
        // sent as the report's first byte.
        const std::size_t skip = data[0] == 0 ? 1 : 0;
        const std::size_t sent =
            std::min<std::size_t>(length - skip - (shortWrite ? 1 : 0), std::size_t(kReportSize));
        reader->received.insert(reader->received.end(), data + skip, data + skip + sent);
        return receive(device->reader, *reader) ? int(sent + skip) : -1;
    }

    int read(hid_device* device, unsigned char* data, std::size_t length, int milliseconds,
             std::unique_lock<std::mutex>& lock) {
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(milliseconds < 0 ? 3600 * 1000 : milliseconds);
        for (;;) {
            Reader* reader = usable(device);
            if (!reader)
                return -1;
            if (faults_[HIDSTANDIN_FLOOD])
                return deliver({kFloodFrame, Clock::now()}, data, length);
            if (!reader->input.empty() && reader->input.front().ready <= Clock::now()) {
                const InputReport report = reader->input.front();
                reader->input.pop_front();
                return deliver(report, data, length);
            }
            auto until = deadline;
            if (!reader->input.empty())
                until = std::min(until, reader->input.front().ready);
            if (Clock::now() >= deadline)
                return 0;
            changed_.wait_until(lock, until);
        }
    }

    void fault(int which, int value) {
        if (which > 0 && which < int(std::size(faults_)))
            faults_[which] = value;
    }

    bool plug(int index, bool plugged) {
        if (index < 0 || index >= int(readers_.size()))
            return false;
        Reader& reader = readers_[std::size_t(index)];
        if (plugged && !reader.plugged)
            ++reader.generation;
        reader.plugged = plugged;
        reader.received.clear();
        reader.input.clear();
        changed_.notify_all();
        return true;
    }

    bool setId(int index, unsigned vendorId, unsigned productId) {
        if (index < 0 || index >= int(readers_.size()))
            return false;
        readers_[std::size_t(index)].vendorId = static_cast<unsigned short>(vendorId);
        readers_[std::size_t(index)].productId = static_cast<unsigned short>(productId);
        return true;
    }

    bool inject(int index, const unsigned char* bytes, int count) {
        if (index < 0 || index >= int(readers_.size()) || count < 0)
            return false;
        queue(readers_[std::size_t(index)], std::vector<unsigned char>(bytes, bytes + count),
              Clock::now());
        return true;
    }

    int count(int counter) const {
        if (counter == HIDSTANDIN_FRAMES)
            return frames_;
        if (counter == HIDSTANDIN_OTHER_OPENS)
            return otherOpens_;
        const int index = counter - HIDSTANDIN_FRAMES_OF;
        return index >= 0 && index < int(readers_.size()) ? readers_[std::size_t(index)].frames
                                                          : -1;
    }

    int lastReport(unsigned char* report, int capacity) const {
        const int length = std::min(int(lastReport_.size()), capacity);
        std::copy_n(lastReport_.begin(), std::max(length, 0), report);
        return int(lastReport_.size());
    }

    // The installer's hand at the reader that answered last.
    bool takeTagAway() {
        if (!simTakeTagAway_ || lastReader_ < 0)
            return false;
        choose(readers_[std::size_t(lastReader_)]);
        return simTakeTagAway_() == 1;
    }

    bool loaded() const { return simWrite_ && simRead_ && simList_ && simChoose_; }

    std::mutex mutex;

  private:
    // A reader the simulated library unplugged itself (READERHID_SIM_UNPLUG) is gone here too.
    void refreshPlugged() {
        std::vector<ReaderHidInfo> found(readers_.size() + 1);
        const int count = std::min(simList_(found.data(), int(found.size())), int(found.size()));
        for (Reader& reader : readers_) {
            const bool listed =
                std::any_of(found.begin(), found.begin() + count, [&](const ReaderHidInfo& info) {
                    return reader.serial == info.serial;
                });
            if (!listed)
                reader.plugged = false;
        }
    }

    Reader* usable(hid_device* device) {
        if (!device || device->reader < 0 || device->reader >= int(readers_.size()))
            return nullptr;
        Reader& reader = readers_[std::size_t(device->reader)];
        return reader.plugged && reader.path() == device->path ? &reader : nullptr;
    }

    bool take(int fault) {
        if (faults_[fault] <= 0)
            return false;
        --faults_[fault];
        return true;
    }

    // The reader's side: bytes up to a whole frame, then the simulated reader's answer. False
    // when the simulated library unplugged the reader on this frame.
    bool receive(int index, Reader& reader) {
        auto& bytes = reader.received;
        bytes.erase(bytes.begin(), std::find(bytes.begin(), bytes.end(), kHeader));
        if (bytes.size() < 3 || bytes.size() < bytes[2] + kFrameOverhead)
            return true;
        std::vector<unsigned char> frame(bytes.begin(), bytes.begin() + bytes[2] + kFrameOverhead);
        // The rest of the report is padding.
        bytes.clear();
        ++frames_;
        ++reader.frames;
        lastReader_ = index;
        choose(reader);
        if (simWrite_(0, int(frame.size()), frame.data()) != int(frame.size())) {
            reader.plugged = false;
            return false;
        }
        unsigned char reply[256] = {};
        int length = simRead_(0, int(sizeof reply), reply);
        if (faults_[HIDSTANDIN_CUT_REPLY] > 0) {
            length = std::min(length, faults_[HIDSTANDIN_CUT_REPLY]);
            faults_[HIDSTANDIN_CUT_REPLY] = 0;
        }
        if (take(HIDSTANDIN_UNPLUG_AFTER_WRITE)) {
            plug(index, false);
            return true;
        }
        const auto ready =
            Clock::now() + std::chrono::milliseconds(faults_[HIDSTANDIN_REPLY_DELAY_MS]);
        for (int i = 0; i < faults_[HIDSTANDIN_ZERO_REPORTS]; ++i)
            queue(reader, std::vector<unsigned char>(kReportSize, 0), ready);
        if (length > 0)
            queue(reader, std::vector<unsigned char>(reply, reply + length), ready);
        return true;
    }

    void choose(const Reader& reader) {
        ReaderHidInfo chosen{};
        chosen.vendorId = 0x0483;
        std::snprintf(chosen.serial, sizeof chosen.serial, "%s", reader.serial.c_str());
        simChoose_(&chosen);
    }

    // Cuts bytes into input reports of the reader's size, the last one zero-padded.
    void queue(Reader& reader, const std::vector<unsigned char>& bytes, Clock::time_point ready) {
        const std::size_t size = faults_[HIDSTANDIN_INPUT_REPORT_SIZE] > 0
                                     ? std::size_t(faults_[HIDSTANDIN_INPUT_REPORT_SIZE])
                                     : std::size_t(kReportSize);
        for (std::size_t at = 0; at < bytes.size(); at += size) {
            std::vector<unsigned char> report(size, 0);
            std::copy(bytes.begin() + long(at),
                      bytes.begin() + long(std::min(at + size, bytes.size())), report.begin());
            reader.input.push_back({report, ready});
        }
        changed_.notify_all();
    }

    static int deliver(const InputReport& report, unsigned char* data, std::size_t length) {
        const std::size_t count = std::min(length, report.bytes.size());
        std::copy_n(report.bytes.begin(), count, data);
        return int(count);
    }

    void* sim_ = nullptr;
    int (*simWrite_)(int, int, unsigned char*) = nullptr;
    int (*simRead_)(int, int, unsigned char*) = nullptr;
    int (*simList_)(ReaderHidInfo*, int) = nullptr;
    int (*simChoose_)(const ReaderHidInfo*) = nullptr;
    int (*simTakeTagAway_)() = nullptr;
    int lastReader_ = -1;
    std::vector<Reader> readers_;
    std::vector<std::pair<unsigned short, unsigned short>> simIds_;
    int faults_[HIDSTANDIN_CUT_REPLY + 1] = {};
    int frames_ = 0;
    int otherOpens_ = 0;
    std::vector<unsigned char> lastReport_;
    std::condition_variable changed_;
};

StandIn& standIn() {
    static StandIn instance;
    return instance;
}

} // namespace

STANDIN_EXPORT int hid_init(void) {
    return standIn().loaded() ? 0 : -1;
}

STANDIN_EXPORT int hid_exit(void) {
    return 0;
}

STANDIN_EXPORT hid_device_info* hid_enumerate(unsigned short, unsigned short) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    return standIn().enumerate();
}

STANDIN_EXPORT void hid_free_enumeration(hid_device_info* devices) {
    while (devices) {
        hid_device_info* next = devices->next;
        std::free(devices->path);
        std::free(devices->serial_number);
        std::free(devices->manufacturer_string);
        std::free(devices->product_string);
        std::free(devices);
        devices = next;
    }
}

STANDIN_EXPORT hid_device* hid_open_path(const char* path) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    return path ? standIn().open(path) : nullptr;
}

STANDIN_EXPORT int hid_write(hid_device* device, const unsigned char* data, size_t length) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    return data ? standIn().write(device, data, length) : -1;
}

STANDIN_EXPORT int hid_read_timeout(hid_device* device, unsigned char* data, size_t length,
                                    int milliseconds) {
    std::unique_lock<std::mutex> lock(standIn().mutex);
    return data ? standIn().read(device, data, length, milliseconds, lock) : -1;
}

STANDIN_EXPORT const wchar_t* hid_error(hid_device*) {
    return L"hidapi stand-in: the reader is not plugged in";
}

STANDIN_EXPORT void hid_close(hid_device* device) {
    delete device;
}

STANDIN_EXPORT void hidStandinReset(void) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    standIn().reset();
}

STANDIN_EXPORT void hidStandinFault(int fault, int value) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    standIn().fault(fault, value);
}

STANDIN_EXPORT int hidStandinPlug(int reader, int plugged) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    return standIn().plug(reader, plugged != 0);
}

STANDIN_EXPORT int hidStandinSetId(int reader, unsigned vendorId, unsigned productId) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    return standIn().setId(reader, vendorId, productId);
}

STANDIN_EXPORT int hidStandinInject(int reader, const unsigned char* bytes, int count) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    return bytes && standIn().inject(reader, bytes, count);
}

STANDIN_EXPORT int hidStandinCount(int counter) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    return standIn().count(counter);
}

STANDIN_EXPORT int hidStandinLastReport(unsigned char* report, int capacity) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    return report ? standIn().lastReport(report, capacity) : 0;
}

STANDIN_EXPORT int hidStandinTakeTagAway(void) {
    const std::lock_guard<std::mutex> lock(standIn().mutex);
    return standIn().takeTagAway();
}
