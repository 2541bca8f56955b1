#include "support/recording_log.h"
#include "support/sim_device.h"
#include "uhf/epc_issuer.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using Event = EpcIssuer::Event;
using Outcome = IssuingJournal::Outcome;
using Step = IssuingJournal::Step;
using IssuerStep = EpcIssuer::Step;

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
    explicit Station(const QString& journalFile, const QString& name = QStringLiteral("s1"),
                     const QString& password = QStringLiteral("00000000")) {
        if (!journal.open(journalFile) || journal.hold(name) != IssuingJournal::Status::Ok)
            qFatal("%s", qPrintable(journal.errorText()));
        series = *journal.openSeries(number(1), QStringLiteral("1"), false);
        issuer = std::make_unique<EpcIssuer>(operations, journal, series, name, password);
        issuer->tagDone = [this] { device.takeTagAway(); };
    }
    sim::TagField& field() { return device.reader.uhfModule().field(); }
    // The field holds this tag only.
    void present(const sim::Gen2Tag& tag) {
        field().clear();
        field().present(tag);
    }
    QString epcInField() { return hexOf(field().tag(0).epc()); }
    // Every tag issued from now on is locked with the test key.
    void lockWith(uhf::LockAction action = uhf::LockAction::Lock) {
        uhf::LockPlan plan;
        plan.set(uhf::LockArea::Epc, action).set(uhf::LockArea::AccessPassword, action);
        issuer->setLock(EpcIssuer::LockSetup{plan, key});
    }

    // 00 01 02 ... 1F.
    const AccessKey key{QByteArray::fromHex("000102030405060708090a0b0c0d0e0f"
                                            "101112131415161718191a1b1c1d1e1f")};

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

    // Each issued tag gets its own password and the planned lock, verified
    // from outside; the record says so, with the key id and no password.
    void issuedTagIsLockedAndVerified_data() {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("bits"); // the area's lock bits on the tag
        QTest::addColumn<QString>("plan");
        QTest::newRow("lock") << int(uhf::LockAction::Lock) << 0b10 << "access=lock,epc=lock";
        QTest::newRow("permalock")
            << int(uhf::LockAction::Permalock) << 0b11 << "access=permalock,epc=permalock";
    }
    void issuedTagIsLockedAndVerified() {
        QFETCH(int, action);
        QFETCH(int, bits);
        QFETCH(QString, plan);
        Station s(dir_.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".sqlite"));
        s.lockWith(uhf::LockAction(action));
        s.present(freshTag(60));
        const EpcIssuer::Attempt attempt = s.issuer->attempt();
        QCOMPARE(int(attempt.event), int(Event::Issued));
        QCOMPARE(lockText(attempt.lock), plan + " verified");
        const sim::Gen2Tag& tag = s.field().tag(0);
        QCOMPARE(QStringLiteral("%1").arg(tag.accessPassword(), 8, 16, QChar('0')).toUpper(),
                 s.key.password(attempt.tid));
        QCOMPARE(int(tag.lockBits(sim::LockArea::Epc)), bits);
        QCOMPARE(int(tag.lockBits(sim::LockArea::AccessPassword)), bits);
        QCOMPARE(int(tag.lockBits(sim::LockArea::User)), 0);
        const IssuingJournal::Record record = s.journal.records().at(0);
        QCOMPARE(lockText(record.lock), plan + " verified");
        QCOMPARE(record.lock.keyId, s.key.id());
        QCOMPARE(s.journal.check().lockNotVerified, 0);
        QVERIFY(!IssuingJournal::csv(s.journal.records()).contains(s.key.password(attempt.tid)));
    }

    // A lock the tag answers but that does not take (here the tag is put
    // back as it was before the lock) is found by the verification: recorded
    // as failed, a failure the caller sees, listed by the journal's check.
    void lockThatDidNotTakeIsAFailure() {
        Station s(dir_.filePath(QStringLiteral("l.sqlite")));
        s.lockWith();
        s.present(freshTag(61));
        std::optional<sim::Gen2Tag> beforeLock;
        s.issuer->stepDone = [&](IssuerStep step) {
            if (step == IssuerStep::Password)
                beforeLock = s.field().tag(0);
            if (step == IssuerStep::Lock)
                s.field().tag(0) = *beforeLock;
        };
        const EpcIssuer::Attempt attempt = s.issuer->attempt();
        QCOMPARE(int(attempt.event), int(Event::Issued));
        QCOMPARE(int(attempt.lock.verified), int(Step::Failed));
        QCOMPARE(attempt.lockDetail, QString::fromUtf8("锁定没有生效：不用访问密码也能写入EPC"));
        QCOMPARE(s.issuer->refusal(), attempt.lockDetail);
        QCOMPARE(lockText(s.journal.records().at(0).lock),
                 "access=lock,epc=lock not verified: lock did not take");
        QCOMPARE(s.journal.check().lockNotVerified, 1);
        // A failed lock is not tried again: the operator decides.
        QVERIFY(s.journal.unfinishedLocks(QStringLiteral("s1")).isEmpty());
    }

    // A tag taken away before its lock is verified is not counted as locked:
    // the record says unfinished, and the tag's next visit finishes it.
    void tagGoneBeforeTheVerificationIsFinishedLater() {
        Station s(dir_.filePath(QStringLiteral("v.sqlite")));
        s.lockWith();
        s.present(freshTag(63));
        std::optional<sim::Gen2Tag> tag;
        s.issuer->stepDone = [&](IssuerStep step) {
            if (step == IssuerStep::Lock) {
                tag = s.field().tag(0);
                s.field().clear();
            }
        };
        const EpcIssuer::Attempt attempt = s.issuer->attempt();
        QCOMPARE(int(attempt.lock.locked), int(Step::Done));
        QCOMPARE(int(attempt.lock.verified), int(Step::NotYet));
        QCOMPARE(lockText(attempt.lock), "access=lock,epc=lock not verified: unfinished");
        QCOMPARE(s.journal.unfinishedLocks(QStringLiteral("s1")).size(), 1);
        s.issuer->stepDone = nullptr;
        s.present(*tag);
        QCOMPARE(int(s.issuer->attempt().event), int(Event::Skipped));
        QCOMPARE(lockText(s.journal.records().at(0).lock), "access=lock,epc=lock verified");
    }

    // A station that stops (here: an exception, as a crash would) after any
    // step of a tag leaves a record that says what is missing; the next
    // start finishes it while the tag is in the field, with the password
    // derived again (it may be set already), and never locks a tag twice
    // differently.
    void settlingFinishesEveryStepLeft_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("awayFirst"); // one start without the tag in between
        // Tags that came with a password (given to the issuer) refuse that one
        // after the password step: the new one is found set by reading with it.
        QTest::addColumn<bool>("factoryPassword");
        const char* const names[] = {"reserve", "write", "read back", "password", "lock", "verify"};
        for (int step = 0; step < 6; ++step)
            QTest::addRow("after %s", names[step]) << step << false << false;
        QTest::newRow("after write, away first") << int(IssuerStep::Write) << true << false;
        QTest::newRow("after lock, away first") << int(IssuerStep::Lock) << true << false;
        QTest::newRow("after password, tag had one") << int(IssuerStep::Password) << false << true;
    }
    void settlingFinishesEveryStepLeft() {
        QFETCH(int, step);
        QFETCH(bool, awayFirst);
        QFETCH(bool, factoryPassword);
        const QString password = factoryPassword ? "12345678" : "00000000";
        struct Crash {};
        const QString file = dir_.filePath(
            QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-') + ".sqlite");
        std::optional<sim::Gen2Tag> tag;
        {
            Station first(file, "s1", password);
            first.lockWith();
            first.present(sim::Gen2Tag(freshTag(70).epc(), 70, password.toUInt(nullptr, 16)));
            first.issuer->stepDone = [&](IssuerStep reached) {
                if (int(reached) == step) {
                    tag = first.field().tag(0);
                    throw Crash();
                }
            };
            QVERIFY_THROWS_EXCEPTION(Crash, first.issuer->attempt());
        }
        QVERIFY(tag);
        const QString tid = tidOf(*tag);
        if (awayFirst) {
            // Not in the field: the record says what is missing, and the check lists it.
            Station away(file);
            away.lockWith();
            away.field().clear();
            const EpcIssuer::Settlement settled = away.issuer->settlePending();
            QCOMPARE(settled.locked.size(), 0);
            QCOMPARE(settled.lockLeft.size(), step >= int(IssuerStep::Password) ? 1 : 0);
            const IssuingJournal::Check check = away.journal.check();
            QCOMPARE(check.lockNotVerified + check.uncertain, 1);
        }
        Station second(file, "s1", password);
        second.lockWith();
        second.present(*tag);
        const EpcIssuer::Settlement settled = second.issuer->settlePending();
        QCOMPARE(settled.lockLeft.size(), 0);
        // Nothing was written after the reservation: the tag gets the number afresh.
        QCOMPARE(int(second.issuer->attempt().event),
                 int(step == int(IssuerStep::Reserve) ? Event::Issued : Event::Skipped));
        const QList<IssuingJournal::Record> records = second.journal.records();
        // A released number's record does not promise a lock.
        if (step == int(IssuerStep::Reserve)) {
            QCOMPARE(int(records.first().outcome), int(Outcome::Released));
            QCOMPARE(lockText(records.first().lock), QString());
        }
        const IssuingJournal::Record last = records.last();
        QCOMPARE(last.tid, tid);
        QCOMPARE(last.epc, number(1));
        QCOMPARE(int(last.outcome), int(Outcome::Written));
        QCOMPARE(lockText(last.lock), "access=lock,epc=lock verified");
        const sim::Gen2Tag& locked = second.field().tag(0);
        QCOMPARE(QStringLiteral("%1").arg(locked.accessPassword(), 8, 16, QChar('0')).toUpper(),
                 second.key.password(tid));
        QCOMPARE(int(locked.lockBits(sim::LockArea::Epc)), 0b10);
        QCOMPARE(int(locked.lockBits(sim::LockArea::AccessPassword)), 0b10);
        QCOMPARE(second.journal.check().lockNotVerified, 0);
    }

    // The unfinished lock of a record made with another key is left alone:
    // that key's password is not this one's.
    void lockOfAnotherKeyIsLeftAlone() {
        const QString file = dir_.filePath(QStringLiteral("k.sqlite"));
        std::optional<sim::Gen2Tag> tag;
        {
            Station first(file);
            first.lockWith();
            first.present(freshTag(80));
            first.issuer->stepDone = [&](IssuerStep reached) {
                if (reached == IssuerStep::ReadBack) {
                    tag = first.field().tag(0);
                    throw 1;
                }
            };
            QVERIFY_THROWS_EXCEPTION(int, first.issuer->attempt());
        }
        Station second(file);
        uhf::LockPlan plan;
        plan.set(uhf::LockArea::Epc, uhf::LockAction::Lock);
        second.issuer->setLock(EpcIssuer::LockSetup{plan, AccessKey(QByteArray(32, 'x'))});
        second.present(*tag);
        const EpcIssuer::Settlement settled = second.issuer->settlePending();
        QCOMPARE(settled.written, 1);
        QCOMPARE(settled.lockLeft.size(), 1);
        QCOMPARE(second.field().tag(0).accessPassword(), 0u);
        QCOMPARE(second.journal.check().lockNotVerified, 1);
    }

  private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(EpcIssuerTest)
#include "epc_issuer_test.moc"
