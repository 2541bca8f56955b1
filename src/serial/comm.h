#pragma once

#include "serial_platform.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>

class CommEvent;
class CommWindow;
class ReceiveBacklog;
class TReadThread;
class TWriteThread;

// The serial port component's failures, with their English messages (UTF-8:
// some carry a Chinese hint for the operator).
class ECommsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    QString message() const { return QString::fromUtf8(what()); }
};

enum class TParity { None, Odd, Even, Mark, Space };
enum class TStopBits { _1, _1_5, _2 };
enum class TByteSize { _5, _6, _7, _8 };
enum class TDtrControl { DtrEnable, DtrDisable, DtrHandshake };
enum class TRtsControl { RtsEnable, RtsDisable, RtsHandshake, RtsTransmissionAvailable };

// One serial port: opened exclusively, configured from the properties,
// received on a thread of its own and written from a queue on a second one.
// Everything the threads report arrives as the events below, on the main
// thread, in the order it happened.
class TComm {
  public:
    TComm();
    ~TComm();
    TComm(const TComm&) = delete;
    TComm& operator=(const TComm&) = delete;

    // Raises ECommsError when the port cannot be opened.
    void OpenPort();
    // Stops both threads and closes the port; nothing when it is closed.
    void ClosePort();
    // Queues a copy of the bytes; false when closed, count is 0, the
    // transmit thread has ended, or the queue has no room for them.
    bool WritePortData(const char* bytes, quint16 count);

    // Bytes the transmit queue holds at most: a device that takes nothing
    // must not grow it without bound.
    static constexpr qsizetype kTransmitQueueLimit = 1024 * 1024;
    // Bytes queued and not yet written; 0 while closed.
    qsizetype transmitBacklog() const;

    bool isOpen() const { return port_ != nullptr; }
    bool sendQueueEmpty() const { return sendQueueEmpty_; }
    // The device the open port was opened from; CommName may point elsewhere
    // since.
    const QString& openedName() const { return openedName_; }
    // Received bytes of the open port posted to the main thread and not yet
    // handled; the receive thread keeps them within ReceiveBacklog::kLimit.
    std::size_t receiveBacklog() const;

    // CommName takes effect at the next OpenPort; every other property is
    // re-applied at once while the port is open, if its value changed.
    const QString& CommName() const { return commName_; }
    void setCommName(const QString& name) { commName_ = name; }

    quint32 BaudRate() const { return line_.baudRate; }
    void setBaudRate(quint32 v) { setLine(&Line::baudRate, v); }
    bool ParityCheck() const { return line_.parityCheck; }
    void setParityCheck(bool v) { setLine(&Line::parityCheck, v); }
    bool Outx_CtsFlow() const { return line_.outxCtsFlow; }
    void setOutx_CtsFlow(bool v) { setLine(&Line::outxCtsFlow, v); }
    bool Outx_DsrFlow() const { return line_.outxDsrFlow; }
    void setOutx_DsrFlow(bool v) { setLine(&Line::outxDsrFlow, v); }
    TDtrControl DtrControl() const { return TDtrControl(line_.dtrControl); }
    void setDtrControl(TDtrControl v) { setLine(&Line::dtrControl, serialplatform::DtrControl(v)); }
    bool DsrSensitivity() const { return line_.dsrSensitivity; }
    void setDsrSensitivity(bool v) { setLine(&Line::dsrSensitivity, v); }
    bool TxContinueOnXoff() const { return line_.txContinueOnXoff; }
    void setTxContinueOnXoff(bool v) { setLine(&Line::txContinueOnXoff, v); }
    bool Outx_XonXoffFlow() const { return line_.outxXonXoffFlow; }
    void setOutx_XonXoffFlow(bool v) { setLine(&Line::outxXonXoffFlow, v); }
    bool Inx_XonXoffFlow() const { return line_.inxXonXoffFlow; }
    void setInx_XonXoffFlow(bool v) { setLine(&Line::inxXonXoffFlow, v); }
    bool ReplaceWhenParityError() const { return line_.replaceWhenParityError; }
    void setReplaceWhenParityError(bool v) { setLine(&Line::replaceWhenParityError, v); }
    bool IgnoreNullChar() const { return line_.ignoreNullChar; }
    void setIgnoreNullChar(bool v) { setLine(&Line::ignoreNullChar, v); }
    TRtsControl RtsControl() const { return TRtsControl(line_.rtsControl); }
    void setRtsControl(TRtsControl v) { setLine(&Line::rtsControl, serialplatform::RtsControl(v)); }
    quint16 XonLimit() const { return line_.xonLimit; }
    void setXonLimit(quint16 v) { setLine(&Line::xonLimit, v); }
    quint16 XoffLimit() const { return line_.xoffLimit; }
    void setXoffLimit(quint16 v) { setLine(&Line::xoffLimit, v); }
    TByteSize ByteSize() const { return TByteSize(line_.dataBits - 5); }
    void setByteSize(TByteSize v) { setLine(&Line::dataBits, 5 + int(v)); }
    TParity Parity() const { return TParity(line_.parity); }
    void setParity(TParity v) { setLine(&Line::parity, serialplatform::Parity(v)); }
    TStopBits StopBits() const { return TStopBits(line_.stopBits); }
    void setStopBits(TStopBits v) { setLine(&Line::stopBits, serialplatform::StopBits(v)); }
    quint8 XonChar() const { return line_.xonChar; }
    void setXonChar(quint8 v) { setLine(&Line::xonChar, v); }
    quint8 XoffChar() const { return line_.xoffChar; }
    void setXoffChar(quint8 v) { setLine(&Line::xoffChar, v); }
    quint8 ReplacedChar() const { return line_.replacedChar; }
    void setReplacedChar(quint8 v) { setLine(&Line::replacedChar, v); }

    quint32 ReadIntervalTimeout() const { return timeouts_.readInterval; }
    void setReadIntervalTimeout(quint32 v) { setTimeout(&Times::readInterval, v); }
    quint32 ReadTotalTimeoutMultiplier() const { return timeouts_.readTotalMultiplier; }
    void setReadTotalTimeoutMultiplier(quint32 v) { setTimeout(&Times::readTotalMultiplier, v); }
    quint32 ReadTotalTimeoutConstant() const { return timeouts_.readTotalConstant; }
    void setReadTotalTimeoutConstant(quint32 v) { setTimeout(&Times::readTotalConstant, v); }
    quint32 WriteTotalTimeoutMultiplier() const { return timeouts_.writeTotalMultiplier; }
    void setWriteTotalTimeoutMultiplier(quint32 v) { setTimeout(&Times::writeTotalMultiplier, v); }
    quint32 WriteTotalTimeoutConstant() const { return timeouts_.writeTotalConstant; }
    void setWriteTotalTimeoutConstant(quint32 v) { setTimeout(&Times::writeTotalConstant, v); }

    // Events; an unassigned one is skipped. The buffer of OnReceiveData is
    // valid during the call only.
    std::function<void(TComm* sender, const char* buffer, quint16 length)> OnReceiveData;
    std::function<void(TComm* sender, quint32 eventMask)> OnReceiveError;
    std::function<void(TComm* sender, quint32 modemEvent)> OnModemStateChange;
    std::function<void(TComm* sender)> OnRequestHangup;
    std::function<void(TComm* sender)> OnSendDataEmpty;

  private:
    using Line = serialplatform::LineSettings;
    using Times = serialplatform::Timeouts;

    template <class T> void setLine(T Line::*field, T value) {
        if (line_.*field == value)
            return;
        line_.*field = value;
        if (port_)
            ApplyLineSettings();
    }
    template <class T> void setTimeout(T Times::*field, T value) {
        if (timeouts_.*field == value)
            return;
        timeouts_.*field = value;
        if (port_)
            ApplyTimeouts();
    }
    void ApplyLineSettings();
    void ApplyTimeouts();
    void dispatch(const CommEvent& event);
    // Undoes a half-done OpenPort and raises its error.
    [[noreturn]] void abandonOpen(const char* message);

    QString commName_ = QStringLiteral("COM2");
    QString openedName_;
    Line line_;
    Times timeouts_;
    std::unique_ptr<serialplatform::Port> port_;
    std::unique_ptr<serialplatform::Signal> close_;
    // One per opening: events of a port closed since still release into theirs.
    std::shared_ptr<ReceiveBacklog> backlog_;
    std::unique_ptr<TReadThread> reader_;
    std::unique_ptr<TWriteThread> writer_;
    std::unique_ptr<CommWindow> window_;
    // Shared with the transmit thread, which sets it whenever its queue is empty.
    std::atomic<bool> sendQueueEmpty_{true};
    // Counts the openings, so that a hang-up reported by the threads of a
    // port closed since is not taken for the present one.
    int session_ = 0;
};
