#pragma once

#include "protocol/reader_device.h"
#include "sim/simulated_reader.h"

#include <QStringList>

// The simulated reader in the test's own process, fresh for each test, with
// every frame written recorded as compact upper-case hex.
class SimDevice : public ReaderDevice {
  public:
    explicit SimDevice(sim::SimulatedReader::Model model = sim::SimulatedReader::Model::Config)
        : reader(model) {}

    sim::SimulatedReader reader;
    QStringList written;

    QString unavailableReason() override { return QString(); }
    int write(const QByteArray& frame) override;
    int read(unsigned char* buffer, int capacity) override;
    bool simulated() override { return true; }
    // The installer takes the strongest tag away.
    void takeTagAway();

  private:
    sim::Bytes reply_;
};
