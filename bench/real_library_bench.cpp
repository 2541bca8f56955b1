// Exchanges per second with the simulated reader: through its own library, and through the
// real reader library over the hidapi stand-in (output reports, reassembly of input reports,
// the stale-report drain), so that the difference is the report path's own cost.
#include "protocol/reader_device.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdio>

int main() {
    const struct {
        const char* what;
        QByteArray frame;
    } commands[] = {
        {"version (1 report)", QByteArray::fromHex("AA0001C0C1BB")},
        {"network list (2 reports)", QByteArray::fromHex("AA00018C8DBB")},
        {"inventory, tunnelled", QByteArray::fromHex("AA0008CEBB00220000227E03BB")},
    };
    const struct {
        const char* name;
        const char* file;
    } libraries[] = {{"simulated library", SIM_LIBRARY},
                     {"real library + stand-in", REAL_OVER_STANDIN}};
    constexpr int rounds = 20000;
    std::printf("%-26s %-26s %6s %14s %12s\n", "library", "command", "bytes", "exchanges/s",
                "us each");
    for (const auto& library : libraries) {
        LibraryDevice device{QString::fromUtf8(library.file)};
        for (const auto& command : commands) {
            unsigned char buffer[245];
            int replied = 0;
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < rounds; ++i)
                if (device.write(command.frame) == command.frame.size())
                    replied = device.read(buffer, sizeof buffer);
            const double seconds = timer.nsecsElapsed() / 1e9;
            std::printf("%-26s %-26s %6d %14.0f %12.2f\n", library.name, command.what, replied,
                        rounds / seconds, seconds * 1e6 / rounds);
        }
    }
    return 0;
}
