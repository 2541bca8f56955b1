#include "support/recording_log.h"
#include "support/sim_device.h"
#include "uhf/epc_issuer.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using Event = EpcIssuer::Event;
using Outcome = IssuingJournal::Outcome;

QString number(int n) {
    return QString::number(n, 16).toUpper().rightJustified(24, QLatin1Char('0'));
}

QString hexOf(const sim::Bytes& bytes) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()))
            .toHex()
            .toUpper());
}

QString tidOf(const sim::Gen2Tag& tag) {
    sim::Bytes tid;
    tag.read(sim::MemoryBank::Tid, 0, 0, 0, &tid);
    return hexOf(tid);
}

sim::Gen2Tag freshTag(std::uint64_t serial) {
    return sim::Gen2Tag({0xE2, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01},
                        serial);
}

// One station: the in-process simulated reader and a journal in a temporary folder.
struct Station {
    explicit Station(const QString& journalFile, const QString& name = QStringLiteral("s1")) {
        if (!journal.open(journalFile) || journal.hold(name) != IssuingJournal::Status::Ok)
            qFatal("%s", qPrintable(journal.errorText()));
        series = *journal.openSeries(number(1), QStringLiteral("1"), false);
        issuer = std::make_unique<EpcIssuer>(operations, journal, series, name);
        issuer->tagDone = [this] { device.takeTagAway(); };
    }
    sim::TagField& field() { return device.reader.uhfModule().field(); }
    // The field holds this tag only.
    void present(const sim::Gen2Tag& tag) {
        field().clear();
        field().present(tag);
    }
    QString epcInField() { return hexOf(field().tag(0).epc()); }

    SimDevice device;
    RecordingLog log;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 30))};
    ReaderLink link{device, log, clock};
    EpcOperations operations{link};
    IssuingJournal journal;
    IssuingJournal::Series series;
    std::unique_ptr<EpcIssuer> issuer;
};

} // namespace

// Issuing with the journal against the simulated reader in this process.
class EpcIssuerTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(dir_.isValid()); }

    void eachNewTagGetsTheNextNumberOnce() {
        Station s(dir_.filePath(QStringLiteral("a.sqlite")));
        for (int n = 1; n <= 3; ++n) {
            s.present(freshTag(n));
            const EpcIssuer::Attempt issued = s.issuer->attempt();
            QCOMPARE(int(issued.event), int(Event::Issued));
            QCOMPARE(issued.epc, number(n));
            QCOMPARE(s.epcInField(), number(n));
            // The same tag again is left alone.
            QCOMPARE(int(s.issuer->attempt().event), int(Event::SameTag));
        }
        s.field().clear();
        QCOMPARE(int(s.issuer->attempt().event), int(Event::NoTag));
        QCOMPARE(*s.journal.nextNumber(s.series), number(4));
        const QList<IssuingJournal::Record> records = s.journal.records();
        QCOMPARE(records.size(), 3);
        for (const IssuingJournal::Record& record : records)
            QCOMPARE(int(record.outcome), int(Outcome::Written));
    }

    // A tag written before (here by another station) is not written again.
    void tagAlreadyInTheJournalIsSkippedAndTakenAway() {
        const QString file = dir_.filePath(QStringLiteral("b.sqlite"));
        Station first(file, QStringLiteral("one"));
        first.present(freshTag(7));
        QCOMPARE(int(first.issuer->attempt().event), int(Event::Issued));

        Station second(file, QStringLiteral("two"));
        second.present(first.field().tag(0));
        second.field().replaceWrittenTags(
            std::chrono::milliseconds(0), [] { return std::chrono::milliseconds(1); }, 1);
        const EpcIssuer::Attempt skipped = second.issuer->attempt();
        QCOMPARE(int(skipped.event), int(Event::Skipped));
        QCOMPARE(skipped.epc, number(1));
        QCOMPARE(second.epcInField(), number(1)); // not written
        // Taken away: the next inventory finds a fresh tag, which gets number 2.
        const EpcIssuer::Attempt next = second.issuer->attempt();
        QCOMPARE(int(next.event), int(Event::Issued));
        QCOMPARE(next.epc, number(2));
        QCOMPARE(second.journal.records().size(), 2);
    }

    // What a crash leaves pending is settled by the tag, if it is there.
    void pendingRecordsAreSettledAtStart_data() {
        QTest::addColumn<bool>("inField");
        QTest::addColumn<bool>("carries");
        QTest::addColumn<int>("outcome");
        QTest::newRow("written") << true << true << int(Outcome::Written);
        QTest::newRow("not written") << true << false << int(Outcome::Released);
        QTest::newRow("gone") << false << false << int(Outcome::Uncertain);
    }
    void pendingRecordsAreSettledAtStart() {
        QFETCH(bool, inField);
        QFETCH(bool, carries);
        QFETCH(int, outcome);
        Station s(dir_.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".sqlite"));
        const sim::Gen2Tag tag = freshTag(9);
        const IssuingJournal::Reservation reserved =
            s.journal.reserve(s.series, tidOf(tag), QStringLiteral("s1"));
        QCOMPARE(int(reserved.status), int(IssuingJournal::Status::Ok));
        sim::Bytes numberOne(12, 0);
        numberOne[11] = 1;
        s.field().clear();
        if (inField)
            s.field().present(carries ? sim::Gen2Tag(numberOne, 9) : tag);

        const EpcIssuer::Settlement settled = s.issuer->settlePending();
        QCOMPARE(settled.written + settled.released + int(settled.uncertain.size()), 1);
        QCOMPARE(int(s.journal.records().at(0).outcome), outcome);
        // A released number is taken again; a written or uncertain one never.
        QCOMPARE(*s.journal.nextNumber(s.series),
                 outcome == int(Outcome::Released) ? number(1) : number(2));
        QVERIFY(s.journal.pending(QStringLiteral("s1")).isEmpty());
    }

    // An uncertain tag that comes back carrying its number is recorded as
    // written and not written again.
    void uncertainTagSeenAgainIsSettled() {
        Station s(dir_.filePath(QStringLiteral("c.sqlite")));
        sim::Bytes epc(12, 0);
        epc[11] = 1;
        const sim::Gen2Tag tag(epc, 11);
        const IssuingJournal::Record record =
            s.journal.reserve(s.series, tidOf(tag), QStringLiteral("s1")).record;
        s.journal.resolve(record.id, Outcome::Uncertain);
        s.present(tag);
        QCOMPARE(int(s.issuer->attempt().event), int(Event::Skipped));
        QCOMPARE(int(s.journal.records().at(0).outcome), int(Outcome::Written));
    }

    // An uncertain tag that comes back without its number releases it and
    // is issued afresh: that number first.
    void uncertainTagSeenAgainWithoutItsNumberIsReleased() {
        Station s(dir_.filePath(QStringLiteral("r.sqlite")));
        const sim::Gen2Tag tag = freshTag(12);
        const IssuingJournal::Record record =
            s.journal.reserve(s.series, tidOf(tag), QStringLiteral("s1")).record;
        s.journal.resolve(record.id, Outcome::Uncertain);
        s.present(tag);
        QCOMPARE(int(s.issuer->attempt().event), int(Event::Issued));
        const QList<IssuingJournal::Record> records = s.journal.records();
        QCOMPARE(records.size(), 2);
        QCOMPARE(int(records[0].outcome), int(Outcome::Released));
        QCOMPARE(records[1].epc, record.epc);
        QCOMPARE(int(records[1].outcome), int(Outcome::Written));
    }

    // A write the tag refuses leaves its number free; the tag is read back.
    void refusedWriteReleasesTheNumber() {
        Station s(dir_.filePath(QStringLiteral("d.sqlite")));
        s.present(sim::Gen2Tag(sim::Bytes(12, 0x11), 12, 0x12345678)); // password protected
        const EpcIssuer::Attempt attempt = s.issuer->attempt();
        QCOMPARE(int(attempt.event), int(Event::NotWritten));
        // Its EPC bank is locked: the module says memory locked (B4).
        QCOMPARE(attempt.detail, QString::fromUtf8("标签已锁定，写入需要访问密码....."));
        QCOMPARE(int(s.journal.records().at(0).outcome), int(Outcome::Released));
        QCOMPARE(*s.journal.nextNumber(s.series), number(1));
    }

    // Two fresh tags of one roll carry the same EPC. The write reaches the
    // tag whose TID is recorded, and no other.
    void writeReachesOnlyTheTagRecorded() {
        Station s(dir_.filePath(QStringLiteral("e.sqlite")));
        s.present(freshTag(20));
        s.field().present(freshTag(21));
        const EpcIssuer::Attempt attempt = s.issuer->attempt();
        QCOMPARE(int(attempt.event), int(Event::Issued));
        QCOMPARE(attempt.tid, tidOf(s.field().tag(0)));
        QCOMPARE(hexOf(s.field().tag(0).epc()), number(1));
        QCOMPARE(hexOf(s.field().tag(1).epc()), hexOf(freshTag(21).epc()));
    }

    // A number longer than the tags' memory: the reader refuses the write and
    // the read-back alike, and the inventory shows the tag kept its EPC, so
    // the number is free again. The same refusal on tag after tag is counted.
    void numberLongerThanTheTagIsReleasedAndRefusalsCounted() {
        Station s(dir_.filePath(QStringLiteral("f.sqlite")));
        const IssuingJournal::Series longSeries =
            *s.journal.openSeries(QString(39, '0') + '1', QStringLiteral("1"), false);
        EpcIssuer issuer(s.operations, s.journal, longSeries, QStringLiteral("s1"));
        const QString overrun = QString::fromUtf8("写超出标签存储区.....");
        for (int tag = 1; tag <= 3; ++tag) {
            s.present(freshTag(30 + tag));
            const EpcIssuer::Attempt attempt = issuer.attempt();
            QCOMPARE(int(attempt.event), int(Event::NotWritten));
            QCOMPARE(attempt.detail, overrun);
            QCOMPARE(issuer.refusal(), overrun);
            QCOMPARE(issuer.sameRefusals(), tag);
            QCOMPARE(int(s.journal.records().last().outcome), int(Outcome::Released));
        }
        s.present(freshTag(40));
        QCOMPARE(int(s.issuer->attempt().event), int(Event::Issued));
        QCOMPARE(s.issuer->sameRefusals(), 0);
    }

    // Settling a record whose tag cannot be read back: the inventory decides.
    void pendingRecordOfATagTooShortIsReleased() {
        Station s(dir_.filePath(QStringLiteral("g.sqlite")));
        const IssuingJournal::Series longSeries =
            *s.journal.openSeries(QString(39, '0') + '1', QStringLiteral("1"), false);
        const sim::Gen2Tag tag = freshTag(50);
        s.journal.reserve(longSeries, tidOf(tag), QStringLiteral("s1"));
        s.journal.reserve(longSeries, tidOf(freshTag(52)), QStringLiteral("s1"));
        s.present(tag); // the other tag is not in the field: its record stays open
        const EpcIssuer::Settlement settled = s.issuer->settlePending();
        QCOMPARE(settled.released, 1);
        QCOMPARE(settled.uncertain.size(), 1);
        QCOMPARE(settled.uncertain.at(0).tid, tidOf(freshTag(52)));
    }

  private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(EpcIssuerTest)
#include "epc_issuer_test.moc"
