#include "uhf/issuing_journal.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using Outcome = IssuingJournal::Outcome;
using Status = IssuingJournal::Status;

QString tid(int n) {
    return QStringLiteral("E28011052000%1").arg(n, 12, 16, QLatin1Char('0')).toUpper();
}

} // namespace

// The journal's invariants, on SQLite files of its own.
class IssuingJournalTest : public QObject {
    Q_OBJECT

  private slots:
    void reservationsFollowTheSeries_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("reverse");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("forward") << "000000FE"
                                 << "1" << false << QStringList{"000000FE", "000000FF", "00000100"};
        QTest::newRow("reverse") << "FE000000"
                                 << "1" << true << QStringList{"FE000000", "FF000000", "00010000"};
        QTest::newRow("step 10 is hex")
            << "00000000"
            << "10" << false << QStringList{"00000000", "00000010", "00000020"};
    }
    void reservationsFollowTheSeries() {
        QFETCH(QString, start);
        QFETCH(QString, step);
        QFETCH(bool, reverse);
        QFETCH(QStringList, numbers);
        IssuingJournal journal;
        QVERIFY2(journal.open(dir_.filePath(QString::fromLatin1(QTest::currentDataTag()))),
                 qPrintable(journal.errorText()));
        const auto series = journal.openSeries(start, step, reverse);
        QVERIFY(series);
        QStringList reserved;
        for (int i = 0; i < numbers.size(); ++i) {
            const IssuingJournal::Reservation r = journal.reserve(*series, tid(i), "s");
            QCOMPARE(int(r.status), int(Status::Ok));
            QCOMPARE(int(r.record.outcome), int(Outcome::Pending));
            reserved << r.record.epc;
        }
        QCOMPARE(reserved, numbers);
    }

    // No number and no TID in two records; a released number is free again,
    // an uncertain one never.
    void numbersAndTagsAreHeldOnce() {
        IssuingJournal journal;
        QVERIFY(journal.open(QStringLiteral("sqlite:") + dir_.filePath("held.sqlite")));
        const auto series = journal.openSeries("0001", "1", false);
        const IssuingJournal::Record first = journal.reserve(*series, tid(1), "s").record;
        QCOMPARE(int(journal.reserve(*series, tid(1), "s").status), int(Status::Conflict));

        // A second series that runs into the first one's numbers stops there.
        const auto overlapping = journal.openSeries("0000", "1", false);
        QCOMPARE(int(journal.reserve(*overlapping, tid(2), "s").status), int(Status::Ok));
        QCOMPARE(int(journal.reserve(*overlapping, tid(3), "s").status), int(Status::Conflict));
        QVERIFY(journal.errorText().contains("0001"));

        QVERIFY(journal.resolve(first.id, Outcome::Released));
        QCOMPARE(journal.reserve(*series, tid(4), "s").record.epc, QString("0001"));
        const IssuingJournal::Record uncertain = journal.reserve(*series, tid(5), "s").record;
        QVERIFY(journal.resolve(uncertain.id, Outcome::Uncertain));
        QCOMPARE(journal.reserve(*series, tid(6), "s").record.epc, QString("0003"));
        QCOMPARE(journal.findTid(tid(5))->epc, QString("0002"));
        QVERIFY(!journal.findTid(tid(1))); // released

        const IssuingJournal::Check check = journal.check();
        QVERIFY(check.problems.isEmpty());
        QCOMPARE(check.uncertain, 1);
        QCOMPARE(check.pending, 3);
    }

    // The series last used is the one to continue, from any connection.
    void lastSeriesIsTheOneLastUsed() {
        const QString file = dir_.filePath("last.sqlite");
        IssuingJournal one;
        IssuingJournal two;
        QVERIFY(one.open(file) && two.open(file));
        QVERIFY(!one.lastSeries());
        const auto a = one.openSeries("0100", "2", false);
        const auto b = one.openSeries("0200", "1", true);
        QCOMPARE(two.lastSeries()->id, b->id);
        one.reserve(*a, tid(1), "s");
        const auto last = two.lastSeries();
        QCOMPARE(last->id, a->id);
        QCOMPARE(last->step, QString("2"));
        QCOMPARE(*two.nextNumber(*last), QString("0102"));
        // Both connections take turns on one series without meeting.
        QCOMPARE(two.reserve(*a, tid(2), "t").record.epc, QString("0102"));
        QCOMPARE(one.reserve(*a, tid(3), "s").record.epc, QString("0104"));
        // The same start, step and direction is the same series.
        QCOMPARE(two.openSeries("0100", "2", false)->id, a->id);
    }

    void refusesWhatItCannotUse() {
        IssuingJournal journal;
        QVERIFY(!journal.open("/proc/no/such/folder/journal.sqlite"));
        QVERIFY(!journal.errorText().isEmpty());
        IssuingJournal other;
        QVERIFY(other.open(dir_.filePath("bad.sqlite")));
        QVERIFY(!other.openSeries("0001", "12345", false)); // not whole bytes
    }

  private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(IssuingJournalTest)
#include "issuing_journal_test.moc"
