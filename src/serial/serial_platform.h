#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

// The operating system's side of the serial port: opening a device
// exclusively, its line settings, purging, and waits that a stop signal can
// end. Everything above this layer is platform-neutral; this header is the
// whole of what another platform's layer has to provide.
namespace serialplatform {

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };
enum class DtrControl { Enable, Disable, Handshake };
enum class RtsControl { Enable, Disable, Handshake, Toggle };

// The line settings of an open port (the device control block).
struct LineSettings {
    std::uint32_t baudRate = 9600;
    bool parityCheck = false;
    bool outxCtsFlow = false;
    bool outxDsrFlow = false;
    DtrControl dtrControl = DtrControl::Enable;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = true;
    bool outxXonXoffFlow = true;
    bool inxXonXoffFlow = true;
    bool replaceWhenParityError = false;
    bool ignoreNullChar = false;
    RtsControl rtsControl = RtsControl::Enable;
    std::uint16_t xonLimit = 500;
    std::uint16_t xoffLimit = 500;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    std::uint8_t xonChar = 17;
    std::uint8_t xoffChar = 19;
    std::uint8_t replacedChar = 0;
};

// Communication time-outs in milliseconds; 0 means "not used".
struct Timeouts {
    std::uint32_t readInterval = 100;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;
};

// Line-error flags and modem events as the component reports them.
enum LineError : std::uint32_t {
    ReceiveQueueOverflow = 0x01,
    Overrun = 0x02,
    ParityError = 0x04,
    FramingError = 0x08,
    Break = 0x10,
};
enum ModemEvent : std::uint32_t { Ring = 4, CarrierChange = 8 };

// Counters that a driver keeps of line errors and modem line changes.
struct LineCounters {
    std::uint32_t frame = 0, overrun = 0, parity = 0, brk = 0, bufferOverrun = 0;
    std::uint32_t carrier = 0, ring = 0;
};
struct LineChange {
    std::uint32_t errors = 0; // LineError flags
    std::uint32_t modem = 0;  // ModemEvent value
};
LineChange compareCounters(const LineCounters& before, const LineCounters& after);

// A signal that stays raised once raised, which a thread can wait on together
// with the port; the stop signal of both port threads and the transmit
// thread's "work queued" signal.
class Signal {
  public:
    Signal();
    ~Signal();
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    bool valid() const { return fds_[0] >= 0; }
    void raise();
    bool raised() const;
    // Lowers it again (only the waiting thread lowers the work signal).
    void lower();
    int handle() const { return fds_[0]; }

  private:
    int fds_[2] = {-1, -1};
};

enum class Wait { Ready, Stopped, TimedOut, HungUp, Failed };
enum class Io { Done, WouldBlock, HungUp, Failed };
struct IoResult {
    Io status;
    std::size_t count;
};

// Missing covers every name that is no device to open: absent, unplugged, or
// not an absolute path. Denied: the user may not use it; Busy: another
// program holds it.
enum class OpenResult { Opened, Missing, Denied, Busy, NotTerminal, NoSetup };

class Port {
  public:
    // Opens the device for reading and writing without blocking, as its only
    // user: nobody else can open it while this port holds it.
    static OpenResult open(const QByteArray& path, std::unique_ptr<Port>* port);
    ~Port();
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    void applyLineSettings(const LineSettings& settings);
    // A write here always runs until it is done or stopped (the transmit
    // thread would continue a timed-out write anyway), so only the read
    // time-outs take effect.
    void applyTimeouts(const Timeouts& timeouts);
    // The gap without a byte that ends a read, and the whole time a read of
    // capacity bytes may take; 0 for either means "no limit".
    std::uint32_t readInterval() const { return readInterval_; }
    std::uint64_t readTotal(std::size_t capacity) const;
    void purge(bool receive, bool transmit);

    // Waits for bytes (or room to write), the stop signal, or timeoutMs (-1:
    // no limit).
    Wait waitReadable(const Signal& stop, int timeoutMs);
    Wait waitWritable(const Signal& stop, int timeoutMs);
    IoResult read(char* buffer, std::size_t capacity);
    IoResult write(const char* bytes, std::size_t count);

    // The driver's error and modem counters; false where the device keeps none.
    bool lineCounters(LineCounters* counters) const;

  private:
    explicit Port(int fd) : fd_(fd) {}
    Wait waitFor(short events, const Signal& stop, int timeoutMs);

    int fd_;
    // Read by the receive thread, written by the main thread.
    std::atomic<std::uint32_t> readInterval_{0}, readTotalMultiplier_{0}, readTotalConstant_{0};
};

// Waits until either signal is raised: Ready for work, Stopped, or Failed.
Wait waitForWork(const Signal& stop, const Signal& work);

// Opens the device exclusively and releases it again at once: Opened when it
// is free at this moment, else why not (Missing, Denied or Busy).
OpenResult probe(const QByteArray& path);
inline bool canOpenExclusively(const QByteArray& path) {
    return probe(path) == OpenResult::Opened;
}

// The process that holds a device busy, where the system tells: the one with
// the lock on it, else another process that has it open. pid 0 when unknown
// (another user's processes are hidden from an ordinary user).
struct Holder {
    long pid = 0;
    QString name;
};
Holder findHolder(const QByteArray& path);

} // namespace serialplatform
