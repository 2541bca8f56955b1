#pragma once

#include "inventory.h"
#include "module_frame.h"

#include <QByteArrayView>
#include <QString>
#include <functional>

// An inventory over the serial link: multiple inventory (27) with the notices
// taken as they stream in, stop (28) at the end. The owner of the port writes
// the bytes this gives it and passes on every byte the port receives while
// the run lasts; nothing here waits.
class SerialInventory {
  public:
    enum class State { Idle, Running, Stopping };
    // The largest round count of one multiple inventory.
    static constexpr int maxRounds = 65535;

    using Writer = std::function<bool(const QByteArray& bytes)>;

    SerialInventory(Writer write, uhf::InventoryStatistics& statistics)
        : write_(std::move(write)), statistics_(statistics) {}

    std::function<void(const uhf::TagNotice&)> onRead;

    // The mask filter first when given (Select on the EPC, select mode 00),
    // then 27 with the round count (maxRounds for a run until stopped). False
    // when the port took nothing.
    bool start(int rounds, const QString& maskHex = QString());
    // Starts the multiple inventory once more (a run until stopped whose
    // round count the module has done); false when the port took nothing.
    bool renew();
    // Sends 28 (and, after a filtered run, select mode 02 again); the run
    // ends when the module has answered both.
    bool stop();
    // The port went away or closes: the run ends here, without an answer.
    void abandon();
    // Bytes the port received.
    void take(QByteArrayView bytes);

    State state() const { return state_; }
    // The module's message for the last error response other than "no tag".
    const QString& errorText() const { return error_; }

    static QByteArray startFrame(int rounds);
    static QByteArray stopFrame();

  private:
    bool send(const QString& frameHex);
    void frame(const uhf::ModuleFrame& frame);

    Writer write_;
    uhf::InventoryStatistics& statistics_;
    uhf::ModuleFrameReader reader_;
    quint64 damagedCounted_ = 0;
    State state_ = State::Idle;
    int rounds_ = 0;
    bool masked_ = false;
    bool stopAnswered_ = false;
    bool restoreAnswered_ = false;
    QString error_;
};
