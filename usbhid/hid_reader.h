#pragma once

#include <hidapi.h>

#include <cstdint>

// The reader on the USB HID bus. It is opened on the first write and kept open between
// exchanges; after a failed write or read it is closed and opened again on the next write.
//
// Settings, read once from the environment:
//   READERHID_DEVICE=vvvv:pppp   vendor and product id in hex, default 0483:5750
//   READERHID_TIMEOUT_MS=n       how long a read waits for the reply frame, default 1000
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

  private:
    bool open();
    void close();
    bool discardStaleInput();

    bool initialised_ = false;
    hid_device* device_ = nullptr;
    std::uint16_t vendorId_;
    std::uint16_t productId_;
    int timeoutMs_;
};
