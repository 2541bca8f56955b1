#include "hid_reader.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDefaultTimeoutMs = 1000;
constexpr int kMaxTimeoutMs = 60000;

// The reader's reports carry 64 bytes; the frame starts at the first one, zero-padded.
constexpr int kReportSize = 64;
constexpr unsigned char kFrameHeader = 0xAA;
// Header, address, length, XOR and trailer around the payload.
constexpr std::size_t kFrameOverhead = 5;
// Reports left over from an exchange that timed out are dropped before a new one; the bound
// keeps a device that never stops sending from holding the caller.
constexpr int kMaxStaleReports = 64;

void warn(const char* variable, const char* value) {
    std::fprintf(stderr, "libreaderhid: ignoring %s=\"%s\", using the default\n", variable, value);
}

int readTimeout() {
    const char* value = std::getenv("READERHID_TIMEOUT_MS");
    if (!value)
        return kDefaultTimeoutMs;
    char* end = nullptr;
    const long ms = std::strtol(value, &end, 10);
    if (end == value || *end != '\0' || ms < 1 || ms > kMaxTimeoutMs) {
        warn("READERHID_TIMEOUT_MS", value);
        return kDefaultTimeoutMs;
    }
    return static_cast<int>(ms);
}

// The frame length once the length byte has arrived, else 0.
std::size_t frameLength(const std::vector<unsigned char>& bytes) {
    return bytes.size() < 3 ? 0 : bytes[2] + kFrameOverhead;
}

// hidapi hands strings out as wchar_t, UTF-32 on Linux.
std::string utf8(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text) {
        const auto c = static_cast<std::uint32_t>(*text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Copies text NUL-terminated into a field of capacity bytes, cut at a character boundary.
void copyText(char* field, int capacity, const std::string& text) {
    if (capacity <= 0)
        return;
    std::size_t length = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
    while (length > 0 && length < text.size() && (text[length] & 0xC0) == 0x80)
        --length;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// Why a device that is still enumerated cannot be used, judged by its node: hidapi's own
// messages differ between versions. Whether it is gone the enumeration says: a missing node
// alone is no proof, a path need not be a file.
int nodeError(const std::string& path) {
    if (::access(path.c_str(), R_OK | W_OK) == 0)
        return READERHID_NO_ERROR;
    return errno == EACCES || errno == EPERM ? READERHID_NO_PERMISSION : READERHID_NO_ERROR;
}

} // namespace

HidReader::HidReader() : initialised_(hid_init() == 0), timeoutMs_(readTimeout()) {
    const char* value = std::getenv("READERHID_DEVICE");
    if (value && parseDeviceIds(value, ids_)) {
        idsFixed_ = true;
        return;
    }
    if (value)
        warn("READERHID_DEVICE", value);
    ids_.assign(std::begin(knownReaderIds), std::end(knownReaderIds));
}

HidReader::~HidReader() {
    close();
    if (initialised_)
        hid_exit();
}

int HidReader::write(const unsigned char* data, int count) {
    if (count <= 0 || !data || !open() || !discardStaleInput())
        return 0;
    for (int offset = 0; offset < count; offset += kReportSize) {
        // Report id 0 first: the reader does not number its reports.
        unsigned char report[kReportSize + 1] = {};
        std::memcpy(report + 1, data + offset, std::min(kReportSize, count - offset));
        // A short count is a report that did not go out whole: the reader got no frame.
        if (hid_write(device_, report, sizeof report) != int(sizeof report)) {
            fail();
            return 0;
        }
    }
    return count;
}

int HidReader::read(unsigned char* buffer, int capacity) {
    if (!device_ || capacity <= 0 || !buffer)
        return 0;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
    std::vector<unsigned char> frame;
    while (frameLength(frame) == 0 || frame.size() < frameLength(frame)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return 0;
        unsigned char report[kReportSize];
        const int received =
            hid_read_timeout(device_, report, sizeof report, static_cast<int>(left));
        if (received < 0) {
            fail();
            return 0;
        }
        frame.insert(frame.end(), report, report + received);
        // Padding before the header belongs to no frame.
        frame.erase(frame.begin(), std::find(frame.begin(), frame.end(), kFrameHeader));
    }
    // A partial frame is never handed on: it would read as a reply with zeros for the rest.
    const std::size_t length = std::min(frameLength(frame), static_cast<std::size_t>(capacity));
    std::copy_n(frame.begin(), length, buffer);
    return static_cast<int>(length);
}

std::vector<HidInterface> HidReader::findReaders() const {
    std::vector<HidInterface> enumerated;
    hid_device_info* all = hid_enumerate(0, 0);
    for (const hid_device_info* d = all; d; d = d->next)
        enumerated.push_back({d->vendor_id, d->product_id, d->usage_page, d->interface_number,
                              d->path ? d->path : "", utf8(d->product_string),
                              utf8(d->serial_number)});
    hid_free_enumeration(all);
    return readerInterfaces(enumerated, ids_);
}

bool HidReader::open() {
    if (device_ || !initialised_)
        return device_ != nullptr;
    error_ = READERHID_NO_ERROR;
    errorPath_.clear();
    const std::vector<HidInterface> readers = findReaders();
    const int index = pickReader(readers, pick_);
    if (index < 0)
        return false;
    const std::string& path = readers[index].path;
    device_ = hid_open_path(path.c_str());
    if (device_) {
        openPath_ = path;
        return true;
    }
    error_ = nodeError(path);
    errorPath_ = path;
    return false;
}

void HidReader::close() {
    if (device_)
        hid_close(device_);
    device_ = nullptr;
    openPath_.clear();
}

void HidReader::fail() {
    const std::string path = openPath_;
    close();
    const std::vector<HidInterface> readers = findReaders();
    const bool present = std::any_of(readers.begin(), readers.end(),
                                     [&](const HidInterface& r) { return r.path == path; });
    error_ = present ? nodeError(path) : READERHID_DEVICE_GONE;
    errorPath_ = path;
}

bool HidReader::discardStaleInput() {
    unsigned char report[kReportSize];
    for (int i = 0; i < kMaxStaleReports; ++i) {
        const int received = hid_read_timeout(device_, report, sizeof report, 0);
        if (received == 0)
            return true;
        if (received < 0)
            break;
    }
    fail();
    return false;
}

int HidReader::list(ReaderHidInfo* readers, int capacity) {
    if (!initialised_)
        return -1;
    const std::vector<HidInterface> found = findReaders();
    // The reader in use, or the one the next command will open.
    const auto open = std::find_if(found.begin(), found.end(),
                                   [&](const HidInterface& r) { return r.path == openPath_; });
    const int inUse =
        open != found.end() ? static_cast<int>(open - found.begin()) : pickReader(found, pick_);
    for (int i = 0; readers && i < capacity && i < static_cast<int>(found.size()); ++i) {
        readers[i].vendorId = found[i].vendorId;
        readers[i].productId = found[i].productId;
        readers[i].inUse = i == inUse;
        copyText(readers[i].product, READERHID_TEXT, found[i].product);
        copyText(readers[i].serial, READERHID_TEXT, found[i].serial);
        copyText(readers[i].path, READERHID_TEXT, found[i].path);
    }
    return static_cast<int>(found.size());
}

bool HidReader::choose(const ReaderHidInfo* reader) {
    pick_ = ReaderPick();
    if (reader && (reader->vendorId != 0 || reader->productId != 0)) {
        // The caller's fields may lack their NUL: read no further than the field.
        auto text = [](const char* field) {
            return std::string(field, strnlen(field, READERHID_TEXT));
        };
        pick_ = {reader->vendorId, reader->productId, text(reader->serial), text(reader->path)};
    }
    close();
    const std::vector<HidInterface> found = findReaders();
    const bool automatic = pick_.vendorId == 0 && pick_.productId == 0;
    const bool present = std::any_of(found.begin(), found.end(), [&](const HidInterface& r) {
        return automatic || isPicked(r, pick_);
    });
    open();
    return present;
}

bool HidReader::addId(unsigned int vendorId, unsigned int productId) {
    if (vendorId == 0 || productId == 0 || vendorId > 0xFFFF || productId > 0xFFFF)
        return false;
    const ReaderUsbId id{static_cast<std::uint16_t>(vendorId),
                         static_cast<std::uint16_t>(productId)};
    const bool listed = std::any_of(ids_.begin(), ids_.end(), [&](const ReaderUsbId& known) {
        return known.vendorId == id.vendorId && known.productId == id.productId;
    });
    if (listed)
        return true;
    if (idsFixed_)
        return false;
    ids_.push_back(id);
    return true;
}

int HidReader::lastError(char* path, int capacity) const {
    if (path)
        copyText(path, capacity, errorPath_);
    return error_;
}

int HidReader::lookedFor(char* ids, int capacity) const {
    std::string text;
    for (const ReaderUsbId& id : ids_) {
        char one[16];
        std::snprintf(one, sizeof one, "%s%04x:%04x", text.empty() ? "" : ",", id.vendorId,
                      id.productId);
        // Whole ids only: a cut one would name a device that is not looked for.
        if (text.size() + std::strlen(one) >= static_cast<std::size_t>(std::max(capacity, 0)))
            break;
        text += one;
    }
    if (ids)
        copyText(ids, capacity, text);
    return static_cast<int>(ids_.size());
}
