#pragma once

#include "serial/comm.h"
#include "serial_inventory.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>

class ReaderLink;

// A multiple inventory on a serial port of its own: the port is opened for
// the run and closed at its end, the notices are taken as they stream in,
// and the waits run the link's event loop. The window and the command-line
// tool both run it.
class SerialInventoryPort {
  public:
    // How long the module may take to answer stop (28).
    static constexpr int stopWaitMs = 1000;
    // The line speed of a module on a serial adapter; a reader's virtual
    // serial port takes any.
    static constexpr int defaultBaud = 115200;

    SerialInventoryPort(ReaderLink& link, uhf::InventoryStatistics& statistics);

    std::function<void(const uhf::TagNotice&)> onRead;

    // Opens the port and starts the run (the mask filter first when given);
    // false with errorText() when the port cannot be opened or takes nothing.
    bool start(const QString& port, int baud, int rounds, const QString& maskHex);
    // Waits in the event loop while more() holds and the port is there. The
    // module ends a multiple inventory after its round count without a word:
    // a run until stopped (maxRounds) starts it again after a quiet second.
    void run(const std::function<bool()>& more);
    // Sends stop, waits for its answer, closes the port; false when the
    // module did not answer. Nothing happens once the port is closed.
    bool stop();

    bool isOpen() const { return comm_.isOpen(); }
    // The port went away (unplugged, switched to USB HID) during the run.
    bool lost() const { return lost_; }
    // Milliseconds since the port last received anything.
    qint64 quietMs() const { return quiet_.elapsed(); }
    const QString& portName() const { return port_; }
    const QString& errorText() const { return error_; }
    const SerialInventory& inventory() const { return inventory_; }

  private:
    ReaderLink& link_;
    TComm comm_;
    SerialInventory inventory_;
    QElapsedTimer quiet_;
    QString port_;
    bool untilStopped_ = false;
    QString error_;
    bool lost_ = false;
};
