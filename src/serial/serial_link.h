#pragma once

#include "comm.h"
#include "protocol/reader_link.h"

#include <QObject>
#include <QString>

// The main window's serial link: the port component Comm1, the bytes of the
// latest reception (SerialReplyText), the raw transmit Send232HEX, and what
// happens when the device goes away under an open port.
class SerialLink : public QObject {
    Q_OBJECT
  public:
    // The raw transmit buffer of Send232HEX.
    static constexpr int kTransmitCapacity = 50000;

    explicit SerialLink(ReaderLink& link, QObject* parent = nullptr);

    TComm& Comm1() { return comm1_; }

    // Compact upper-case hex of the bytes of the latest receive event.
    const QString& SerialReplyText() const { return serialReplyText_; }
    // Forgets the latest reception, so that a command judges its own reply
    // and not one that came before it was sent.
    void clearSerialReply() { serialReplyText_.clear(); }

    // Writes the bytes of the hex text to the port; nothing is sent and
    // nothing reported while the port is closed. Text of more bytes than the
    // transmit buffer holds is refused with a log line.
    void Send232HEX(const QString& text);
    // Waits up to ms in the event loop, returning as soon as a reception has
    // filled SerialReplyText (or the program is closing).
    void waitForReply(int ms);

    // Comm1's handlers.
    void Comm1ReceiveData(TComm* sender, const char* buffer, quint16 length);
    void Comm1RequestHangup(TComm* sender);

  signals:
    void replyReceived();
    // The device went away while the port was open; the port is now closed.
    void connectionLost();

  private:
    ReaderLink& link_;
    TComm comm1_;
    QString serialReplyText_;
    bool aborted_ = false;
};
