// A stand-in reader library. Built twice: with only the two transfer functions
// (a reader that answers every frame with status 00), and with STANDIN_OPTIONAL,
// where the optional part lists two readers and every write fails for want of
// permission on the one in use.

#include "usbhid/readerhid_api.h"

#include <cstring>

#define READERHID_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const unsigned char kReply[] = {0xAA, 0x00, 0x01, 0x00, 0x01, 0xBB};

} // namespace

#ifndef STANDIN_OPTIONAL

READERHID_EXPORT int hidWriteData(int, int count, unsigned char*) {
    return count;
}

READERHID_EXPORT int hidReadData(int, int capacity, unsigned char* buffer) {
    const int count = capacity < int(sizeof kReply) ? capacity : int(sizeof kReply);
    std::memcpy(buffer, kReply, count);
    return count;
}

#else

namespace {

ReaderHidInfo chosen;

} // namespace

READERHID_EXPORT int hidWriteData(int, int, unsigned char*) {
    return 0;
}

READERHID_EXPORT int hidReadData(int, int, unsigned char*) {
    return 0;
}

READERHID_EXPORT int readerList(ReaderHidInfo* readers, int capacity) {
    ReaderHidInfo found[2] = {};
    found[0].vendorId = 0x0483;
    found[0].productId = 0x5750;
    // A product string that fills its field with no room left for the NUL.
    std::memset(found[0].product, 'P', READERHID_TEXT);
    std::strcpy(found[0].serial, "A1");
    std::strcpy(found[0].path, "/dev/hidraw6");
    found[1].vendorId = 0x1a86;
    found[1].productId = 0xe010;
    found[1].inUse = 1;
    std::strcpy(found[1].product, "读卡器 B");
    std::strcpy(found[1].serial, "B2");
    std::strcpy(found[1].path, "/dev/hidraw7");
    for (int i = 0; i < capacity && i < 2; ++i)
        readers[i] = found[i];
    return 2;
}

READERHID_EXPORT int readerChoose(const ReaderHidInfo* reader) {
    chosen = reader ? *reader : ReaderHidInfo();
    return reader && std::strcmp(reader->serial, "B2") == 0;
}

// What the last readerChoose got, for the test to look at.
READERHID_EXPORT const ReaderHidInfo* standinChosen() {
    return &chosen;
}

READERHID_EXPORT int readerAddId(unsigned int vendorId, unsigned int productId) {
    return vendorId == 0x1a86 && productId == 0xe011;
}

READERHID_EXPORT int readerLastError(char* path, int capacity) {
    std::strncpy(path, "/dev/hidraw7", capacity);
    path[capacity - 1] = '\0';
    return READERHID_NO_PERMISSION;
}

#endif
