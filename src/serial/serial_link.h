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

    // Writes the bytes of the hex text to the port; nothing is sent and
    // nothing reported while the port is closed. Text of more bytes than the
    // transmit buffer holds is refused with a log line, and so is text for
    // which the transmit queue has no room (one line until it has again).
    void Send232HEX(const QString& text);
    // Collects the receptions of up to ms in the event loop, returning as
    // soon as they hold a whole UHF module frame (or the program is closing):
    // the hex of every byte received meanwhile, empty without any.
    QString collectReply(int ms);

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
    // The port was found not draining; said once until it takes bytes again.
    bool backlogReported_ = false;
};
