#pragma once

#include "sim/reply.h"
#include "sim/uhf_module.h"

#include <chrono>
#include <deque>
#include <optional>

namespace sim {

// The reader as its USB virtual serial port presents it: UHF module frames
// come in as a byte stream, possibly in pieces, and each whole frame gets the
// module's reply. The port itself takes the link-mode commands: C1 read mode,
// C9 memory-area read mode and C2 switch to USB HID; everything else goes to
// the UHF module, which answers what it does not know with its error frame.
// Multiple inventory (27) streams the notices of its rounds at a steady rate
// until the rounds are done or stop (28) comes.
class SerialReader {
  public:
    using Microseconds = std::chrono::microseconds;

    // Result of a failed link-mode setting (a parameter the reader refuses).
    static constexpr std::uint8_t kSettingFailed = 0x81;
    // Error code after the failure result of the USB HID switch.
    static constexpr std::uint8_t kBadParameters = 0x85;
    // The memory-area mode is reported as the mode 03 of a memory read, as
    // the TID mode is.
    static constexpr std::uint8_t kMemoryReadMode = 0x03;

    explicit SerialReader(UhfModule& module) : module_(module) {}

    // Takes received bytes; returns the replies to every frame they complete.
    Bytes receive(const Bytes& bytes);
    // Forgets a partial frame, after the line has been quiet for a while.
    void dropPartialFrame() { pending_.clear(); }
    bool hasPartialFrame() const { return !pending_.empty(); }

    // Notices per second of a multiple inventory; an empty round takes the
    // time of one notice.
    void setNoticeRate(unsigned perSecond) { noticeInterval_ = Microseconds(1000000 / perSecond); }
    bool streaming() const { return roundsLeft_ > 0 || !queued_.empty(); }
    // The notices due by `now` (on a clock of the caller's); the first call
    // after a start begins the stream.
    Bytes due(Microseconds now);
    // When the next notice is due; nothing while no stream runs.
    std::optional<Microseconds> nextDue() const;

    // True once the switch to USB HID has been answered: the port goes away.
    bool switchedToHid() const { return switchedToHid_; }
    std::uint8_t readMode() const { return readMode_; }

  private:
    Bytes answer(const Bytes& frame);

    UhfModule& module_;
    Bytes pending_;
    unsigned roundsLeft_ = 0;
    std::deque<Bytes> queued_;
    std::optional<Microseconds> nextDue_;
    Microseconds noticeInterval_{1000};
    bool switchedToHid_ = false;
    std::uint8_t readMode_ = 0x01;
};

} // namespace sim
