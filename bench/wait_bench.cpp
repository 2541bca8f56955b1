// CPU time spent in Delay and Delayy that run their full time, and how soon a
// click posted during the wait is handled.
#include "protocol/reader_link.h"
#include "support/recording_log.h"
#include "support/scripted_device.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedDevice device;
    RecordingLog log;
    FixedClock clock{QDateTime::currentDateTime()};
    ReaderLink link(device, log, clock);

    std::printf("%-10s %12s %12s %16s\n", "wait", "wall ms", "cpu %", "click delay ms");
    for (const bool untilReply : {true, false}) {
        link.setReplyText(QString());
        QPushButton button;
        QElapsedTimer clickPosted;
        qint64 clickDelay = -1;
        QObject::connect(&button, &QPushButton::clicked,
                         [&] { clickDelay = clickPosted.elapsed(); });
        QTimer::singleShot(500, [&] {
            clickPosted.start();
            QMetaObject::invokeMethod(&button, &QPushButton::click, Qt::QueuedConnection);
        });
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = cpuSeconds();
        if (untilReply)
            link.Delay(1000);
        else
            link.Delayy(1000);
        const double cpu = cpuSeconds() - cpu0;
        const qint64 ms = wall.elapsed();
        std::printf("%-10s %12lld %12.2f %16lld\n", untilReply ? "Delay" : "Delayy",
                    static_cast<long long>(ms), 100.0 * cpu / (ms / 1000.0),
                    static_cast<long long>(clickDelay));
    }
    return 0;
}
