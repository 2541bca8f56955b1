// One automatic issuing cycle against an instant (in-process simulated)
// reader with a fresh tag every cycle: the program's own time per cycle beyond
// the pause of Edit61 + 100 ms, and the CPU used while it pauses.
#include "support/form_fixture.h"
#include "support/sim_device.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

const QByteArray inventoryFrame = QByteArray::fromHex("AA0008CEBB00220000227E03BB");

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A fresh tag lies in the field at every inventory, so every cycle writes.
class FreshTagDevice : public SimDevice {
  public:
    std::function<void()> beforeInventory;
    int inventories = 0;

    int write(const QByteArray& frame) override {
        if (frame == inventoryFrame) {
            ++inventories;
            sim::TagField& field = reader.uhfModule().field();
            field.clear();
            field.present(sim::Gen2Tag(sim::TagField::kFirstEpc, std::uint64_t(inventories)));
            if (beforeInventory)
                beforeInventory();
        }
        // Keep the recording from growing over the run.
        written.clear();
        return SimDevice::write(frame);
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FreshTagDevice device;
    FormFixture f(device);

    // One write attempt alone: inventory, select, write, log, next number.
    constexpr int attempts = 2000;
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < attempts; ++i)
        f.click("Button66");
    const double attemptUs = wall.nsecsElapsed() / 1e3 / attempts;
    f.clearLog();

    // Automatic issuing with the default pause of 2 + 100 ms.
    constexpr int cycles = 50;
    auto* box = f.find<QCheckBox>("CheckBox20");
    device.inventories = 0;
    device.beforeInventory = [&] {
        if (device.inventories == cycles)
            box->setChecked(false);
    };
    const double cpu0 = cpuSeconds();
    wall.restart();
    box->click();
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpu0;
    const double cycleMs = 1000 * seconds / cycles;

    std::printf("write attempt alone:        %8.1f us\n", attemptUs);
    std::printf("issuing cycles:             %8d (%d written)\n", cycles, int(f.lines().size()));
    std::printf("wall time per cycle:        %8.2f ms\n", cycleMs);
    std::printf("beyond the 102 ms pause:    %8.2f ms\n", cycleMs - 102);
    std::printf("CPU use over the run:       %8.2f %% of one core\n", 100 * cpu / seconds);
    return 0;
}
