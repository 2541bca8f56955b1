// The reader HID library over hidapi: the program loads it at run time and calls the two
// transfer exports below, one write and one read per command, and the optional ones of
// readerhid_api.h when it finds them.

#include "hid_reader.h"

#include <mutex>

#define READERHID_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex readerMutex;

// Built on first use and destroyed when the library is unloaded.
HidReader& reader() {
    static HidReader instance;
    return instance;
}

} // namespace

READERHID_EXPORT int hidWriteData(int, int count, unsigned char* data) {
    const std::lock_guard<std::mutex> lock(readerMutex);
    return reader().write(data, count);
}

READERHID_EXPORT int hidReadData(int, int capacity, unsigned char* buffer) {
    const std::lock_guard<std::mutex> lock(readerMutex);
    return reader().read(buffer, capacity);
}

READERHID_EXPORT int readerList(ReaderHidInfo* readers, int capacity) {
    const std::lock_guard<std::mutex> lock(readerMutex);
    return reader().list(readers, capacity);
}

READERHID_EXPORT int readerChoose(const ReaderHidInfo* chosen) {
    const std::lock_guard<std::mutex> lock(readerMutex);
    return reader().choose(chosen) ? 1 : 0;
}

READERHID_EXPORT int readerAddId(unsigned int vendorId, unsigned int productId) {
    const std::lock_guard<std::mutex> lock(readerMutex);
    return reader().addId(vendorId, productId) ? 1 : 0;
}

READERHID_EXPORT int readerLastError(char* path, int capacity) {
    const std::lock_guard<std::mutex> lock(readerMutex);
    return reader().lastError(path, capacity);
}

READERHID_EXPORT int readerLookedFor(char* ids, int capacity) {
    const std::lock_guard<std::mutex> lock(readerMutex);
    return reader().lookedFor(ids, capacity);
}
