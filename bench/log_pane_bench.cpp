// Time per appended line (until shown) and resident memory of the log pane
// after 10 k, 100 k and 1 M lines.
#include "app/log_pane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("%10s %14s %14s %12s %10s\n", "lines", "us per line", "lines per s", "RSS MiB",
                "kept");
    for (const int count : {10000, 100000, 1000000}) {
        LogPane pane;
        pane.resize(297, 548);
        pane.show();
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < count; ++i)
            pane.appendLine(QStringLiteral("读写器地址设置成功   %1 09:30:00 AM\r\n").arg(i));
        pane.flush();
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("%10d %14.2f %14.0f %12.1f %10d\n", count, 1e6 * seconds / count,
                    count / seconds, residentKiB() / 1024.0, pane.document()->blockCount());
    }
    return 0;
}
