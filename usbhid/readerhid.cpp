// The reader HID library over hidapi: the program loads it at run time and calls the two
// exports below, one write and one read per command.

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
