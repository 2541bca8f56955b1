// The main window's inventory page taking in 2,000 notices per second from
// 1,000 distinct tags over the serial link: a module on a pseudo-terminal,
// played by a thread of this program, streams paced notices once multiple
// inventory (27) comes and answers stop (28). Reports the worst stall of the
// event loop (a 10 ms timer's lateness), the CPU share of the program without
// the module's thread, and whether every notice sent was counted.
//
// serial_inventory_bench [SECONDS]   (60 by default)
#include "app/main_window.h"
#include "pages/uhf/inventory_page.h"
#include "protocol/clock.h"
#include "serial/pseudo_terminal.h"
#include "support/module_replies.h"
#include "support/scripted_device.h"
#include "support/stall_probe.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kTags = 1000;
constexpr int kNoticesPerSecond = 2000;

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray noticeOf(int tag) {
    return hex::toBytes(
        moduleFrame(QStringLiteral("02 22 00 11 C8 30 00 E2 00 00 00 00 00 00 00 ") +
                    hex::byte(tag >> 8) + hex::byte(tag & 0xFF) + QStringLiteral(" 00 00 12 34")));
}

// The module's side of the line, on a thread of its own.
class PacedModule {
  public:
    PacedModule() : thread_([this] { run(); }) {}
    ~PacedModule() { stop(); }
    // Ends the thread; cpu then holds what it spent.
    void stop() {
        quit_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    const QString& path() const { return terminal_.path(); }

    std::atomic<quint64> sent{0};
    std::atomic<double> cpu{0};

  private:
    void run() {
        bool streaming = false;
        SteadyClock::time_point start;
        QByteArray input;
        while (!quit_) {
            pollfd line{terminal_.readerEnd(), POLLIN, 0};
            ::poll(&line, 1, streaming ? 1 : 20);
            char buffer[256];
            const ssize_t n = ::read(terminal_.readerEnd(), buffer, sizeof buffer);
            if (n > 0)
                input.append(buffer, n);
            while (input.size() >= 7 &&
                   input.size() >= 7 + (quint8(input[3]) << 8 | quint8(input[4]))) {
                const quint8 command = quint8(input[2]);
                input.remove(0, 7 + (quint8(input[3]) << 8 | quint8(input[4])));
                if (command == 0x27 && !streaming) {
                    streaming = true;
                    start = SteadyClock::now();
                } else if (command == 0x28) {
                    streaming = false;
                    terminal_.write(hex::toBytes(moduleFrame(QStringLiteral("01 28 00 01 00"))));
                }
            }
            QByteArray due;
            while (streaming &&
                   start + std::chrono::microseconds(sent * 1000000 / kNoticesPerSecond) <=
                       SteadyClock::now())
                due += noticeOf(int(sent++ % kTags));
            if (!due.isEmpty())
                terminal_.write(due);
        }
        cpu = cpuSeconds(RUSAGE_THREAD);
    }

    PseudoTerminal terminal_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    PacedModule module;
    qputenv("RFID_SERIAL_PORTS", module.path().toLocal8Bit());
    ScriptedDevice reader;
    SystemClock clock;
    TForm1 form(reader, clock);
    auto* page = form.findChild<InventoryPage*>(QStringLiteral("InventorySheet"));
    auto* run = form.findChild<QCheckBox*>(QStringLiteral("InventoryRun"));
    form.findChild<QComboBox*>(QStringLiteral("LinkCombo"))
        ->setCurrentIndex(int(InventoryPage::Link::Serial));
    form.show();

    StallProbe probe;
    QTimer::singleShot(seconds * 1000, run, [run] { run->setChecked(false); });
    QTimer::singleShot(0, run, [&] {
        const auto wallStart = SteadyClock::now();
        const double cpuStart = cpuSeconds(RUSAGE_SELF);
        probe.start();
        run->click();
        const double wall = std::chrono::duration<double>(SteadyClock::now() - wallStart).count();
        probe.stop();
        module.stop();
        const quint64 sent = module.sent;
        const double cpu = cpuSeconds(RUSAGE_SELF) - cpuStart - module.cpu;
        const auto& statistics = page->statistics();
        std::printf("inventory page over serial, %d s: %llu notices sent, %llu counted, %llu "
                    "tags; worst event-loop stall %.1f ms; CPU %.1f %% of one core\n",
                    seconds, static_cast<unsigned long long>(sent),
                    static_cast<unsigned long long>(statistics.reads()),
                    static_cast<unsigned long long>(statistics.distinctTags()), probe.worstMs(),
                    100 * cpu / wall);
        app.exit(statistics.reads() == sent ? 0 : 1);
    });
    return app.exec();
}
