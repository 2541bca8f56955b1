// Time per command through the simulated reader, for a handful of buttons.
// The reader runs in-process and answers at once, so the time measured is the
// program's own: building the frame, the exchange, the wait, the log line.
#include "support/form_fixture.h"
#include "support/sim_device.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SimDevice device;
    FormFixture fixture(device);
    const struct {
        const char* button;
        const char* what;
    } buttons[] = {{"Button25", "read output format"},
                   {"Button24", "set output format"},
                   {"Button63", "read version"},
                   {"Button69", "set read mode"},
                   {"Button81", "relay on"}};
    constexpr int rounds = 2000;
    std::printf("%-10s %-20s %12s\n", "button", "command", "us per click");
    for (const auto& entry : buttons) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < rounds; ++i)
            fixture.click(entry.button);
        std::printf("%-10s %-20s %12.1f\n", entry.button, entry.what,
                    timer.nsecsElapsed() / 1e3 / rounds);
    }
    return 0;
}
