// The module frame reader's speed on a stream of notices cut into serial-sized
// chunks, and 100,000 distinct tags in one inventory: memory and sorting.
#include "uhf/inventory.h"
#include "uhf/module_frame.h"

#include <QElapsedTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// A notice of a 12-byte EPC numbered n, checksum computed.
QByteArray notice(quint32 n, int rssi) {
    QByteArray f = QByteArray::fromHex("BB02220011") + char(rssi) + QByteArray::fromHex("3000");
    QByteArray epc = QByteArray::fromHex("E20000000000");
    for (int shift = 24; shift >= 0; shift -= 8)
        epc += char(n >> shift & 0xFF);
    epc += QByteArray::fromHex("0000");
    quint8 sum = 0;
    f += epc + QByteArray::fromHex("1234");
    for (qsizetype i = 1; i < f.size(); ++i)
        sum += quint8(f[i]);
    return f + char(sum) + char(0x7E);
}

} // namespace

int main() {
    QByteArray stream;
    for (quint32 n = 0; n < 1000; ++n)
        stream += notice(n, -40 - int(n % 40));
    const int passes = 5000;
    uhf::ModuleFrameReader reader;
    quint64 rssiSum = 0;
    const double before = cpuSeconds();
    for (int pass = 0; pass < passes; ++pass)
        // Chunks of 1000 bytes: frames cut across them, as from a serial port.
        for (qsizetype at = 0; at < stream.size(); at += 1000)
            reader.feed(
                QByteArrayView(stream).sliced(at, std::min<qsizetype>(1000, stream.size() - at)),
                [&](const uhf::ModuleFrame& f) { rssiSum += quint8(f.parameters[0]); });
    const double frameCpu = cpuSeconds() - before;
    std::printf("frame reader: %llu frames in %.3f s CPU: %.2f million frames per CPU-second "
                "(damaged %llu, check %llu)\n",
                (unsigned long long)reader.frames(), frameCpu, reader.frames() / frameCpu / 1e6,
                (unsigned long long)reader.damagedFrames(), (unsigned long long)rssiSum);

    // Decoding notices into the statistics as well.
    FixedClock clock(QDateTime::fromMSecsSinceEpoch(1'700'000'000'000));
    uhf::InventoryStatistics statistics(clock);
    statistics.begin();
    const double rssBefore = peakMiB();
    const int tags = 100000;
    const double recordStart = cpuSeconds();
    for (int round = 0; round < 3; ++round)
        for (int n = 0; n < tags; ++n) {
            clock.set(QDateTime::fromMSecsSinceEpoch(1'700'000'000'000 + round * 20000 + n / 5));
            uhf::TagNotice tag;
            const QByteArray bytes = notice(quint32(n), -40 - n % 50);
            uhf::decodeNotice(uhf::framesOf(bytes).value(0), &tag);
            statistics.record(tag);
        }
    const double recordCpu = cpuSeconds() - recordStart;
    std::printf("100,000 tags, 3 reads each: %.2f us per read decoded and recorded; peak RSS "
                "%.1f MiB (%.1f MiB before the tags)\n",
                recordCpu / (3.0 * tags) * 1e6, peakMiB(), rssBefore);
    for (const auto& [name, order] :
         {std::pair{"count", uhf::TagOrder::Reads}, std::pair{"last RSSI", uhf::TagOrder::RssiLast},
          std::pair{"reads/s", uhf::TagOrder::Rate}}) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuSeconds();
        const std::vector<int> rows = statistics.sortedRows(order, true);
        std::printf("sort %d tags by %s: %.1f ms (%.1f ms CPU)\n", int(rows.size()), name,
                    timer.nsecsElapsed() / 1e6, (cpuSeconds() - cpu) * 1e3);
    }
    return 0;
}
