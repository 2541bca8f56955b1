#include "uhf/inventory.h"

#include <QTest>

#include <cmath>

using namespace uhf;

namespace {

const QDateTime start = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000);

TagNotice read(const char* epc, int rssi, quint16 pc = 0x3000) {
    TagNotice n;
    n.epc = QByteArray(epc);
    n.rssi = rssi;
    n.pc = pc;
    return n;
}

} // namespace

class InventoryTest : public QObject {
    Q_OBJECT

  private slots:
    void keepsPerTagStatistics() {
        FixedClock clock(start);
        InventoryStatistics stats(clock);
        stats.begin();
        stats.record(read("A", -60));
        clock.set(start.addMSecs(250));
        stats.record(read("B", -70));
        clock.set(start.addMSecs(900));
        stats.record(read("A", -50, 0x3400));
        stats.record(read("A", -58));
        QCOMPARE(stats.tagCount(), 2);
        QCOMPARE(stats.reads(), 4u);
        QCOMPARE(stats.distinctTags(), 2u);
        const TagStatistics& a = stats.tag(stats.rowOf("A"));
        QCOMPARE(a.reads, 3u);
        QCOMPARE(a.rssiLast, -58);
        QCOMPARE(a.rssiPeak, -50);
        QCOMPARE(a.rssiAverage(), -56.0);
        QCOMPARE(a.pc, quint16(0x3000));
        QCOMPARE(a.firstSeen, start.toMSecsSinceEpoch());
        QCOMPARE(a.lastSeen, start.toMSecsSinceEpoch() + 900);
        QCOMPARE(stats.tag(stats.rowOf("B")).firstSeen, start.toMSecsSinceEpoch() + 250);
        QCOMPARE(stats.rowOf("C"), -1);
    }

    // Rates and histories count whole seconds; a run ended stands still.
    void ratesAndHistories() {
        FixedClock clock(start);
        InventoryStatistics stats(clock);
        stats.begin();
        for (int second = 0; second < 8; ++second)
            for (int i = 0; i <= second; ++i) {
                clock.set(start.addMSecs(second * 1000 + i * 10));
                stats.record(read("A", -40 - i));
            }
        clock.set(start.addMSecs(8000));
        QCOMPARE(stats.readsPerSecondNow(), 8);
        QList<int> history = stats.readsPerSecondHistory();
        QCOMPARE(history.size(), historySeconds);
        QCOMPARE(history.mid(historySeconds - 8), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(history.first(), 0);
        // Seconds 3..7: 4 + 5 + 6 + 7 + 8 reads.
        QCOMPARE(stats.tagReadsPerSecond(0), 6.0);
        const QList<double> rssi = stats.tagRssiHistory(0);
        QCOMPARE(rssi.last(), -43.5);
        QVERIFY(std::isnan(rssi.first()));
        QCOMPARE(stats.readsPerSecondAverage(), 36 / 8.0);
        QCOMPARE(stats.runMilliseconds(), 8000);

        stats.end();
        clock.set(start.addMSecs(100'000));
        QCOMPARE(stats.runMilliseconds(), 8000);
        QCOMPARE(stats.readsPerSecondNow(), 8);

        // After a minute without reads, nothing of those seconds is left.
        stats.begin();
        stats.record(read("A", -40));
        clock.set(start.addMSecs(100'000 + 61'000));
        QCOMPARE(stats.readsPerSecondHistory(), QList<int>(historySeconds, 0));
        QCOMPARE(stats.tagReadsPerSecond(0), 0.0);
    }

    // A second's slot comes round again after a minute: it starts empty.
    void slotsComeRoundEmpty() {
        FixedClock clock(start);
        InventoryStatistics stats(clock);
        stats.begin();
        stats.record(read("A", -40));
        clock.set(start.addMSecs(60'000));
        stats.record(read("A", -60));
        clock.set(start.addMSecs(61'000));
        QCOMPARE(stats.readsPerSecondNow(), 1);
        QCOMPARE(stats.tagRssiHistory(0).last(), -60.0);
    }

    // In the first seconds of a run, a tag's rate is over the seconds run so far.
    void earlyRateCountsTheSecondsRun() {
        FixedClock clock(start);
        InventoryStatistics stats(clock);
        stats.begin();
        for (int i = 0; i < 10; ++i) {
            clock.set(start.addMSecs(i * 150));
            stats.record(read("A", -40));
        }
        clock.set(start.addMSecs(2000));
        QCOMPARE(stats.tagReadsPerSecond(0), 5.0);
    }

    void sortsRows() {
        FixedClock clock(start);
        InventoryStatistics stats(clock);
        stats.begin();
        stats.record(read("B", -70));
        stats.record(read("A", -50));
        stats.record(read("C", -60));
        stats.record(read("C", -65));
        const auto epcs = [&](const std::vector<int>& rows) {
            QByteArray out;
            for (int row : rows)
                out += stats.tag(row).epc;
            return out;
        };
        QCOMPARE(epcs(stats.sortedRows(TagOrder::Reads, true)), QByteArray("CAB"));
        QCOMPARE(epcs(stats.sortedRows(TagOrder::Reads, false)), QByteArray("ABC"));
        QCOMPARE(epcs(stats.sortedRows(TagOrder::RssiLast, true)), QByteArray("ACB"));
        QCOMPARE(epcs(stats.sortedRows(TagOrder::RssiAverage, false)), QByteArray("BCA"));
        QCOMPARE(epcs(stats.sortedRows(TagOrder::Epc, true)), QByteArray("CBA"));
    }

    // Past the limit the tags not seen for longest go, and the rows change.
    void forgetsTheOldestPastTheLimit() {
        FixedClock clock(start);
        InventoryStatistics stats(clock, 10);
        stats.begin();
        for (int i = 0; i < 10; ++i) {
            clock.set(start.addMSecs(i));
            stats.record(read(QByteArray::number(i).constData(), -50));
        }
        clock.set(start.addMSecs(20));
        stats.record(read("0", -50));
        const quint64 generation = stats.generation();
        stats.record(read("new", -50));
        QCOMPARE(stats.tagCount(), 10);
        QCOMPARE(stats.forgottenTags(), 1u);
        QCOMPARE(stats.distinctTags(), 11u);
        QCOMPARE(stats.rowOf("1"), -1);
        QVERIFY(stats.rowOf("0") >= 0);
        QVERIFY(stats.generation() != generation);
        for (int row = 0; row < stats.tagCount(); ++row)
            QCOMPARE(stats.rowOf(stats.tag(row).epc), row);
        QCOMPARE(stats.reads(), 12u);
    }
};

QTEST_APPLESS_MAIN(InventoryTest)
#include "inventory_test.moc"
