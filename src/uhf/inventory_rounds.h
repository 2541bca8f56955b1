#pragma once

#include "epc_operations.h"
#include "inventory.h"

// Inventory over USB HID: single inventory rounds (22) through the tunnel, one
// after another, every notice of each reply recorded in the statistics.
class InventoryRounds {
  public:
    enum class Outcome { Read, NoTag, NoReply, Refused };

    InventoryRounds(ReaderLink& link, uhf::InventoryStatistics& statistics)
        : operations_(link), statistics_(statistics) {}

    // One round; Read when at least one tag answered.
    Outcome round();
    quint64 rounds() const { return rounds_; }
    // Why the last round that did not succeed failed, as one line.
    const QString& errorText() const { return error_; }

  private:
    EpcOperations operations_;
    uhf::InventoryStatistics& statistics_;
    quint64 rounds_ = 0;
    QString error_;
};
