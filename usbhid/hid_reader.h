#pragma once

#include "reader_selection.h"
#include "readerhid_api.h"

#include <hidapi.h>

#include <string>
#include <vector>

// The reader on the USB HID bus. It is looked for among the enumerated HID interfaces on
// the first write and kept open between exchanges; after a failed write or read it is
// closed and looked for again on the next write, so a reader plugged back in is found.
//
// Settings, read once from the environment:
//   READERHID_DEVICE=vvvv:pppp[,...]  the only ids looked for (instead of the known ones
//                                    and those added with addId)
//   READERHID_TIMEOUT_MS=n           how long a read waits for the reply frame, default 1000
class HidReader {
  public:
    HidReader();
    ~HidReader();
    HidReader(const HidReader&) = delete;
    HidReader& operator=(const HidReader&) = delete;

    // Sends the frame as output reports; count when all of them went out, else 0.
    int write(const unsigned char* data, int count);
    // Waits for one whole reply frame and copies at most capacity bytes of it to the buffer;
    // returns the number copied. Leaves the buffer alone and returns 0 when none came.
    int read(unsigned char* buffer, int capacity);

    // The readers present now, the one in use marked; -1 when enumeration is impossible.
    int list(ReaderHidInfo* readers, int capacity);
    // Keeps the choice and reopens; true when the chosen reader is present.
    bool choose(const ReaderHidInfo* reader);
    bool addId(unsigned int vendorId, unsigned int productId);
    // A ReaderHidError code; path receives the device concerned.
    int lastError(char* path, int capacity) const;
    // The ids looked for as "vvvv:pppp,..."; the number of ids.
    int lookedFor(char* ids, int capacity) const;

  private:
    std::vector<HidInterface> findReaders() const;
    bool open();
    void close();
    // Closes after a failed transfer and notes why.
    void fail();
    bool discardStaleInput();

    bool initialised_ = false;
    hid_device* device_ = nullptr;
    std::string openPath_;
    std::vector<ReaderUsbId> ids_;
    // READERHID_DEVICE names the ids: nothing is added to them.
    bool idsFixed_ = false;
    ReaderPick pick_;
    int error_ = READERHID_NO_ERROR;
    std::string errorPath_;
    int timeoutMs_;
};
