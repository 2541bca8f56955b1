#include "serial_inventory_port.h"

#include "protocol/reader_link.h"

#include <QCoreApplication>

namespace {
// The event loop is looked at this often while the run waits, for more() to change.
constexpr int lookMs = 50;
constexpr int renewAfterQuietMs = 1000;
} // namespace

SerialInventoryPort::SerialInventoryPort(ReaderLink& link, uhf::InventoryStatistics& statistics)
    : link_(link), inventory_(
                       [this](const QByteArray& bytes) {
                           return comm_.WritePortData(bytes.constData(), quint16(bytes.size()));
                       },
                       statistics) {
    // Frames are binary: with XON/XOFF on, the line would swallow every 11 and
    // 13 byte (the length byte of each notice of a 12-byte EPC among them).
    comm_.setOutx_XonXoffFlow(false);
    comm_.setInx_XonXoffFlow(false);
    comm_.setTxContinueOnXoff(false);
    inventory_.onRead = [this](const uhf::TagNotice& notice) {
        if (onRead)
            onRead(notice);
    };
    comm_.OnReceiveData = [this](TComm*, const char* buffer, quint16 length) {
        quiet_.restart();
        inventory_.take(QByteArrayView(buffer, length));
        link_.recheckWaits();
    };
    comm_.OnSendDataEmpty = [this](TComm*) { link_.recheckWaits(); };
    comm_.OnRequestHangup = [this](TComm*) {
        lost_ = true;
        inventory_.abandon();
        comm_.ClosePort();
        link_.recheckWaits();
    };
}

bool SerialInventoryPort::start(const QString& port, int baud, int rounds, const QString& maskHex) {
    port_ = port;
    lost_ = false;
    error_.clear();
    comm_.setCommName(port);
    comm_.setBaudRate(quint32(baud));
    try {
        comm_.OpenPort();
    } catch (const ECommsError& error) {
        error_ = QCoreApplication::translate("SerialInventoryPort", "串口 %1 打不开：%2")
                     .arg(port, error.message());
        return false;
    }
    quiet_.start();
    untilStopped_ = rounds >= SerialInventory::maxRounds;
    if (!inventory_.start(rounds, maskHex)) {
        comm_.ClosePort();
        error_ = QCoreApplication::translate("SerialInventoryPort", "串口 %1 没有取走盘点命令")
                     .arg(port);
        return false;
    }
    return true;
}

void SerialInventoryPort::run(const std::function<bool()>& more) {
    while (comm_.isOpen() && more()) {
        link_.waitUntil(lookMs, [this, &more] { return !comm_.isOpen() || !more(); });
        if (untilStopped_ && comm_.isOpen() && quiet_.elapsed() >= renewAfterQuietMs) {
            quiet_.restart();
            inventory_.renew();
        }
    }
}

bool SerialInventoryPort::stop() {
    if (!comm_.isOpen())
        return true;
    inventory_.stop();
    link_.waitUntil(stopWaitMs, [this] {
        return !comm_.isOpen() || inventory_.state() == SerialInventory::State::Idle;
    });
    const bool answered = inventory_.state() == SerialInventory::State::Idle;
    inventory_.abandon();
    // Unanswered, the stop still leaves before the port closes.
    link_.waitUntil(stopWaitMs, [this] { return !comm_.isOpen() || comm_.sendQueueEmpty(); });
    comm_.ClosePort();
    return answered;
}
