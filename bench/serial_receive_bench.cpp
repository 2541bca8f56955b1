// The serial port component on a pseudo-terminal: bytes per second received
// without loss, the delay from the last byte of a burst to its receive event,
// and CPU use while the port is open and idle.
#include "serial/comm.h"
#include "serial/pseudo_terminal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
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

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for ms, or until done() (looked at every 10 ms) is true.
void runEventLoop(int ms, const std::function<bool()>& done = nullptr) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QTimer check;
    if (done) {
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (done())
                loop.quit();
        });
        check.start(10);
    }
    loop.exec();
}

void openOn(TComm& comm, const PseudoTerminal& terminal) {
    comm.setCommName(terminal.path());
    comm.setOutx_XonXoffFlow(false);
    comm.setInx_XonXoffFlow(false);
    comm.OpenPort();
}

void throughput() {
    constexpr qint64 kTotal = 64 << 20;
    PseudoTerminal terminal;
    TComm comm;
    qint64 received = 0;
    bool intact = true;
    int events = 0;
    comm.OnReceiveData = [&](TComm*, const char* buffer, quint16 length) {
        for (int i = 0; i < length; ++i)
            intact = intact && quint8(buffer[i]) == quint8((received + i) % 251);
        received += length;
        ++events;
    };
    openOn(comm, terminal);
    QByteArray block(65536, Qt::Uninitialized);
    std::thread reader([&] {
        for (qint64 sent = 0; sent < kTotal; sent += block.size()) {
            QByteArray chunk = block;
            for (int i = 0; i < chunk.size(); ++i)
                chunk[i] = char((sent + i) % 251);
            terminal.write(chunk);
        }
    });
    QElapsedTimer timer;
    timer.start();
    runEventLoop(120000, [&] { return received >= kTotal; });
    const double seconds = timer.elapsed() / 1000.0;
    reader.join();
    std::printf("receive: %lld bytes in %.2f s = %.1f MB/s, %d events, %s\n",
                static_cast<long long>(received), seconds, received / seconds / 1e6, events,
                intact && received == kTotal ? "no loss" : "LOSS");
}

void delayAfterTheLastByte() {
    PseudoTerminal terminal;
    TComm comm;
    SteadyClock::time_point arrived;
    bool got = false;
    comm.OnReceiveData = [&](TComm*, const char*, quint16) {
        arrived = SteadyClock::now();
        got = true;
    };
    openOn(comm, terminal);
    std::vector<double> delays;
    for (int trial = 0; trial < 20; ++trial) {
        got = false;
        const auto sent = SteadyClock::now();
        terminal.write(QByteArray(8, 'x'));
        runEventLoop(5000, [&] { return got; });
        delays.push_back(std::chrono::duration<double, std::milli>(arrived - sent).count());
        runEventLoop(150);
    }
    std::sort(delays.begin(), delays.end());
    std::printf("delay last byte -> receive event (read interval %u ms): median %.1f ms, "
                "max %.1f ms\n",
                comm.ReadIntervalTimeout(), delays[delays.size() / 2], delays.back());
}

void idleCpu() {
    PseudoTerminal terminal;
    TComm comm;
    openOn(comm, terminal);
    const double cpu0 = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    runEventLoop(5000);
    const double cpu = cpuSeconds() - cpu0;
    std::printf("idle open port: %.3f s CPU in %.1f s = %.2f %%\n", cpu, timer.elapsed() / 1000.0,
                100.0 * cpu / (timer.elapsed() / 1000.0));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    throughput();
    delayAfterTheLastByte();
    idleCpu();
    return 0;
}
