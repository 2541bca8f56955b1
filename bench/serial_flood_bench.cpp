// The main window with its port open on the serial page, fed through a
// pseudo-terminal: a flood as fast as the port takes it (event-loop delay
// during it, time back to idle after it, peak memory, what the log shows),
// then a steady feed at 115 200 baud (CPU and memory).
//
// serial_flood_bench: both, flood for 10 s and steady for 60 s
// serial_flood_bench flood|steady SECONDS: one of them
#include "app/log_pane.h"
#include "app/main_window.h"
#include "protocol/clock.h"
#include "serial/comm.h"
#include "serial/pseudo_terminal.h"
#include "support/scripted_device.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kPeriod = 251; // the byte stream counts modulo a prime

double msSince(SteadyClock::time_point from, SteadyClock::time_point to = SteadyClock::now()) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A figure of /proc/self/status in MiB: VmRSS now, VmHWM the peak.
double statusMiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

// The window with the port open on the serial page; counts what the port
// delivers and checks that it continues the stream without a gap.
struct Window {
    PseudoTerminal terminal;
    ScriptedDevice device;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0))};
    std::unique_ptr<TForm1> form;
    qint64 received = 0;
    bool inOrder = true;
    SteadyClock::time_point lastReceived;

    Window() {
        qputenv("RFID_SERIAL_PORTS", terminal.path().toLocal8Bit());
        form = std::make_unique<TForm1>(device, clock);
        form->show();
        form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(8);
        form->findChild<QPushButton*>(QStringLiteral("Button73"))->click();
        TComm& comm = form->serialLink().Comm1();
        if (!comm.isOpen())
            qFatal("the port did not open");
        auto shown = comm.OnReceiveData;
        comm.OnReceiveData = [this, shown](TComm* sender, const char* buffer, quint16 length) {
            for (int i = 0; i < length; ++i)
                inOrder = inOrder && quint8(buffer[i]) == (received + i) % kPeriod;
            received += length;
            lastReceived = SteadyClock::now();
            shown(sender, buffer, length);
        };
        runFor(200);
    }

    // Writes the stream from sent on, count bytes.
    void write(qint64 sent, int count) {
        QByteArray bytes(count, Qt::Uninitialized);
        for (int i = 0; i < count; ++i)
            bytes[i] = char((sent + i) % kPeriod);
        terminal.write(bytes);
    }

    // The bytes the log shows as received, joined, and whether each hex line
    // follows its "232RX Data.." line.
    QByteArray shownBytes(bool* paired) {
        QByteArray bytes;
        *paired = true;
        bool header = false;
        const QStringList lines = form->logPane()->lines();
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i] == QLatin1String("232RX Data..")) {
                header = true;
                continue;
            }
            // The first line kept may be the data of a header that went.
            *paired = *paired && (header || i == 0);
            header = false;
            bytes += QByteArray::fromHex(lines[i].toLatin1());
        }
        return bytes;
    }
};

// Posts a probe to the main thread every 20 ms; each records the delay from
// its posting until a zero timer it starts there fires.
class Prober {
  public:
    explicit Prober(QObject* context) : thread_([this, context] { run(context); }) {}
    ~Prober() {
        running_ = false;
        thread_.join();
    }
    std::vector<double> takeDelays() { return std::exchange(*delays_, {}); }

  private:
    void run(QObject* context) {
        while (running_) {
            const auto posted = SteadyClock::now();
            QMetaObject::invokeMethod(
                context,
                [delays = delays_, posted, context] {
                    QTimer::singleShot(0, context,
                                       [delays, posted] { delays->push_back(msSince(posted)); });
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::atomic<bool> running_{true};
    // Main thread only; probes still queued when the prober goes keep it.
    std::shared_ptr<std::vector<double>> delays_ = std::make_shared<std::vector<double>>();
    std::thread thread_;
};

void flood(int seconds) {
    Window window;
    std::atomic<qint64> sent{0};
    std::atomic<bool> done{false};
    SteadyClock::time_point floodEnd;
    const double cpu0 = cpuSeconds();
    const auto start = SteadyClock::now();
    std::thread writer([&] {
        while (msSince(start) < seconds * 1000.0) {
            window.write(sent, 16384);
            sent += 16384;
        }
        floodEnd = SteadyClock::now();
        done = true;
    });
    std::vector<double> during;
    {
        Prober prober(window.form.get());
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (done)
                loop.quit();
        });
        check.start(10);
        loop.exec();
        during = prober.takeDelays();
    }
    writer.join();

    // Idle: every byte handed over, a log frame passed since the last, and a
    // zero timer that fires at once.
    double idleMs = -1;
    {
        QEventLoop loop;
        QTimer check;
        bool probing = false;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (probing || window.received != sent ||
                msSince(window.lastReceived) <= LogPane::frameMs)
                return;
            probing = true;
            const auto asked = SteadyClock::now();
            QTimer::singleShot(0, &loop, [&, asked] {
                probing = false;
                if (msSince(asked) < 5) {
                    idleMs = msSince(floodEnd);
                    loop.quit();
                }
            });
        });
        check.start(5);
        QTimer::singleShot(600000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double cpu = cpuSeconds() - cpu0;
    bool paired = false;
    const QByteArray shown = window.shownBytes(&paired);
    bool shownInOrder = !shown.isEmpty();
    const qint64 firstShown = sent - shown.size();
    for (qsizetype i = 0; i < shown.size() && shownInOrder; ++i)
        shownInOrder = quint8(shown[i]) == (firstShown + i) % kPeriod;

    std::printf("flood %d s: sent %.1f MB (%.2f MB/s), received %s, %s\n", seconds, sent / 1e6,
                sent / 1e6 / seconds, window.received == sent ? "all" : "NOT ALL",
                window.inOrder ? "in order" : "OUT OF ORDER");
    std::printf("  event-loop delay during the flood (%zu probes): median %.1f ms, 99 %% %.1f ms, "
                "max %.1f ms\n",
                during.size(), percentile(during, 0.5), percentile(during, 0.99),
                percentile(during, 1.0));
    std::printf("  idle %.0f ms after the flood ends (last byte shown, one %d ms log frame, "
                "a zero timer fires at once)\n",
                idleMs, LogPane::frameMs);
    std::printf("  log shows the last %.1f MB of %.1f MB (its cap of %lld characters), %s, %s\n",
                shown.size() / 1e6, sent / 1e6, static_cast<long long>(LogPane::characterBudget),
                shownInOrder ? "contiguous up to the last byte" : "NOT CONTIGUOUS",
                paired ? "each under its header" : "HEADERS MISSING");
    std::printf("  peak RSS %.0f MiB, CPU %.1f s\n", statusMiB("VmHWM:"), cpu);
}

void steady(int seconds) {
    Window window;
    constexpr int kBytesPerSecond = 115200 / 10; // 8 data bits, start and stop
    constexpr int kTickMs = 10;
    const double rss0 = statusMiB("VmRSS:");
    const double cpu0 = cpuSeconds();
    qint64 sent = 0;
    const auto start = SteadyClock::now();
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        const qint64 due = qint64(msSince(start) * kBytesPerSecond / 1000);
        if (due > sent) {
            window.write(sent, int(due - sent));
            sent = due;
        }
    });
    feed.start(kTickMs);
    runFor(seconds * 1000);
    feed.stop();
    runFor(300);
    const double cpu = cpuSeconds() - cpu0;
    std::printf("steady 115200 baud for %d s: sent %lld bytes, received %s, %s; CPU %.2f s "
                "(%.1f %%); RSS %.0f -> %.0f MiB\n",
                seconds, static_cast<long long>(sent), window.received == sent ? "all" : "NOT ALL",
                window.inOrder ? "in order" : "OUT OF ORDER", cpu, 100.0 * cpu / seconds, rss0,
                statusMiB("VmRSS:"));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        // Each in a process of its own, so that its memory figures are its own.
        for (const QStringList& run : {QStringList{"flood", "10"}, QStringList{"steady", "60"}}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedOutputChannel);
            child.start(app.applicationFilePath(), run);
            child.waitForFinished(-1);
        }
        return 0;
    }
    const int seconds = args.value(2, QStringLiteral("10")).toInt();
    if (args[1] == QLatin1String("flood"))
        flood(seconds);
    else
        steady(seconds);
    return 0;
}
