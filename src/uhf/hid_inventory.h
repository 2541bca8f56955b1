#pragma once

#include "epc_operations.h"
#include "inventory.h"

#include <QString>
#include <functional>

// An inventory over USB HID: rounds of single inventory (22) through the
// tunnel, one exchange after another, every notice of each reply counted in
// the statistics. With a mask, only tags whose EPC starts with it answer
// (Select on the EPC, then select mode 00: Select before every inventory).
class HidInventory {
  public:
    enum class Outcome { Done, NoReply, Refused };

    HidInventory(ReaderLink& link, uhf::InventoryStatistics& statistics)
        : operations_(link), statistics_(statistics) {}

    // Called for every tag read, after the statistics took it.
    std::function<void(const uhf::TagNotice&)> onRead;

    // Sets the filter in the module; an empty mask sends nothing.
    Outcome setMask(const QString& maskHex);
    // Back to the module's default select mode (02: Select before every
    // operation but inventory), which the EPC page's reads rely on.
    Outcome clearMask();

    // One round: its notices recorded; a round in which no tag answered (the
    // module's error 15) is Done as well.
    Outcome round();
    // Rounds while more() holds (and at most maxRounds, when above 0); the
    // waits between them run the event loop, where a stop is handled. The
    // first failure ends the run.
    Outcome run(int maxRounds, const std::function<bool()>& more);

    // A new run: no rounds yet, no failure.
    void restart() {
        rounds_ = 0;
        error_.clear();
    }
    int rounds() const { return rounds_; }
    // The module's (or the reader's) message for the last failure.
    const QString& errorText() const { return error_; }

  private:
    Outcome command(const QString& frame);

    EpcOperations operations_;
    uhf::InventoryStatistics& statistics_;
    int rounds_ = 0;
    QString error_;
};
