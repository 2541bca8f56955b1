// The main window's inventory page taking in 2,000 notices per second from
// 1,000 distinct tags over USB HID: a reader that answers every round with 9
// notices, paced so that 2,000 notices a second arrive (the wait for the
// reader is time the program spends blocked in the exchange, as with a real
// reader, and is not counted as CPU). Reports the worst stall of the event
// loop (a 10 ms timer's lateness), the CPU share of the program and whether
// every notice sent was counted.
//
// inventory_page_bench [SECONDS]   (60 by default)
#include "app/main_window.h"
#include "pages/uhf/inventory_page.h"
#include "protocol/clock.h"
#include "support/module_replies.h"
#include "support/stall_probe.h"

#include <QApplication>
#include <QCheckBox>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <thread>

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kTags = 1000;
constexpr int kNoticesPerRound = 9;
constexpr int kNoticesPerSecond = 2000;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Answers each round with the next 9 tags of 1,000, no sooner than the pace allows.
class PacedReader : public ReaderDevice {
  public:
    quint64 sent = 0;
    SteadyClock::time_point start = SteadyClock::now();

    QString unavailableReason() override { return {}; }
    int write(const QByteArray& frame) override { return int(frame.size()); }
    bool simulated() override { return true; }
    int read(unsigned char* buffer, int capacity) override {
        const auto due = start + std::chrono::microseconds(sent * 1000000 / kNoticesPerSecond);
        std::this_thread::sleep_until(due);
        QString notices;
        for (int i = 0; i < kNoticesPerRound; ++i) {
            const int tag = int(sent++ % kTags);
            notices += moduleFrame(QStringLiteral("02 22 00 11 C8 30 00 E2 00 00 00 00 00 00 00 ") +
                                   hex::byte(tag >> 8) + hex::byte(tag & 0xFF) +
                                   QStringLiteral(" 00 00 12 34"));
        }
        const QByteArray reply = hex::toBytes(carrying(notices));
        std::memcpy(buffer, reply.constData(), std::min<int>(capacity, int(reply.size())));
        return int(reply.size());
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    PacedReader reader;
    SystemClock clock;
    TForm1 form(reader, clock);
    auto* page = form.findChild<InventoryPage*>(QStringLiteral("InventorySheet"));
    auto* run = form.findChild<QCheckBox*>(QStringLiteral("InventoryRun"));
    form.show();

    StallProbe probe;
    QTimer::singleShot(seconds * 1000, run, [run] { run->setChecked(false); });
    double cpuStart = 0;
    SteadyClock::time_point wallStart;
    QTimer::singleShot(0, run, [&] {
        reader.start = wallStart = SteadyClock::now();
        cpuStart = cpuSeconds();
        probe.start();
        run->click();
        const double wall = std::chrono::duration<double>(SteadyClock::now() - wallStart).count();
        const double cpu = cpuSeconds() - cpuStart;
        probe.stop();
        const auto& statistics = page->statistics();
        std::printf("inventory page, %d s: %llu notices sent, %llu counted, %llu tags; "
                    "worst event-loop stall %.1f ms; CPU %.1f %% of one core\n",
                    seconds, static_cast<unsigned long long>(reader.sent),
                    static_cast<unsigned long long>(statistics.reads()),
                    static_cast<unsigned long long>(statistics.distinctTags()), probe.worstMs(),
                    100 * cpu / wall);
        app.exit(statistics.reads() == reader.sent ? 0 : 1);
    });
    return app.exec();
}
