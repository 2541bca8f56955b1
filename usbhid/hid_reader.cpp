#include "hid_reader.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The id of the STM32 custom HID class that readers of this kind commonly enumerate with.
constexpr std::uint16_t kDefaultVendorId = 0x0483;
constexpr std::uint16_t kDefaultProductId = 0x5750;
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

// "vvvv:pppp" in hex. Zero is refused: hidapi takes a zero id as "any device", and the
// library must not open a keyboard in place of the reader.
bool parseDeviceId(const std::string& text, std::uint16_t& vendorId, std::uint16_t& productId) {
    if (text.size() != 9 || text[4] != ':')
        return false;
    std::uint16_t ids[2];
    for (int part = 0; part < 2; ++part) {
        const std::string digits = text.substr(part * 5, 4);
        if (!std::all_of(digits.begin(), digits.end(),
                         [](unsigned char c) { return std::isxdigit(c); }))
            return false;
        ids[part] = static_cast<std::uint16_t>(std::stoul(digits, nullptr, 16));
        if (ids[part] == 0)
            return false;
    }
    vendorId = ids[0];
    productId = ids[1];
    return true;
}

void readDeviceId(std::uint16_t& vendorId, std::uint16_t& productId) {
    vendorId = kDefaultVendorId;
    productId = kDefaultProductId;
    const char* value = std::getenv("READERHID_DEVICE");
    if (value && !parseDeviceId(value, vendorId, productId))
        warn("READERHID_DEVICE", value);
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

} // namespace

HidReader::HidReader() : initialised_(hid_init() == 0), timeoutMs_(readTimeout()) {
    readDeviceId(vendorId_, productId_);
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
        if (hid_write(device_, report, sizeof report) < 0) {
            close();
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
            close();
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

bool HidReader::open() {
    if (!device_ && initialised_)
        device_ = hid_open(vendorId_, productId_, nullptr);
    return device_ != nullptr;
}

void HidReader::close() {
    if (device_)
        hid_close(device_);
    device_ = nullptr;
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
    close();
    return false;
}
