#include "uhf/access_key.h"
#include "uhf/epcis_small_journal.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

// 00 01 02 ... 1F.
const QString testKey = QStringLiteral("000102030405060708090a0b0c0d0e0f"
                                       "101112131415161718191a1b1c1d1e1f");

bool writeFile(const QString& name, const QByteArray& text, mode_t mode) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() &&
           (file.close(), ::chmod(QFile::encodeName(name).constData(), mode) == 0);
}

using Step = IssuingJournal::Step;

} // namespace

// The key that access passwords are derived from, and what the journal keeps
// of each lock.
class TagLockingTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

  private slots:
    // Computed with openssl over the TID's bytes (xxd -r -p | openssl dgst
    // -sha256 -mac HMAC -macopt hexkey:KEY); over the hex text the first
    // would be 359B79E2.
    void passwordIsTheHmacOfTheTidBytes_data() {
        QTest::addColumn<QString>("tid");
        QTest::addColumn<QString>("password");
        QTest::newRow("usual tag") << "E2801105200068678F1EC59B"
                                   << "93895EBC";
        QTest::newRow("lower case") << "e2801105200068678f1ec59b"
                                    << "93895EBC";
        QTest::newRow("next tag") << "E28011052000354AB662B48C"
                                  << "412B754F";
    }
    void passwordIsTheHmacOfTheTidBytes() {
        QFETCH(QString, tid);
        QFETCH(QString, password);
        const QString file = dir_.filePath(QStringLiteral("vector.key"));
        QVERIFY(writeFile(file, testKey.toLatin1() + '\n', 0600));
        QString why;
        const std::optional<AccessKey> key = AccessKey::load(file, &why);
        QVERIFY2(key, qPrintable(why));
        QCOMPARE(key->password(tid), password);
        // sha256 of the key's bytes, first 16 digits.
        QCOMPARE(key->id(), QStringLiteral("630dcd2966c43366"));
    }

    void keyFilesRefused_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("says");
        const QByteArray good = testKey.toLatin1() + '\n';
        const int content = int(AccessKey::Problem::Content);
        QTest::newRow("others may read") << good << 0644 << int(AccessKey::Problem::Mode)
                                         << "（权限 0644）：请让它只有属主能读：chmod 600 ";
        QTest::newRow("group may read")
            << good << 0640 << int(AccessKey::Problem::Mode) << "chmod 600";
        QTest::newRow("short") << good.mid(2) << 0600 << content << "64 个十六进制数字";
        QTest::newRow("not hex") << "g" + good.mid(1) << 0600 << content << "64 个十六进制数字";
        QTest::newRow("two lines") << good + good << 0600 << content << "64 个十六进制数字";
        QTest::newRow("blanks") << good.left(32) + ' ' + good.mid(33) << 0600 << content
                                << "64 个十六进制数字";
        QTest::newRow("good, no line break") << good.left(64) << 0600 << 0 << "";
        QTest::newRow("good, owner writes too") << good << 0600 << 0 << "";
    }
    void keyFilesRefused() {
        QFETCH(QByteArray, text);
        QFETCH(int, mode);
        QFETCH(int, problem);
        QFETCH(QString, says);
        const QString file = dir_.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(writeFile(file, text, mode_t(mode)));
        QString why;
        AccessKey::Problem found = AccessKey::Problem::None;
        const std::optional<AccessKey> key = AccessKey::load(file, &why, &found);
        QCOMPARE(int(found), problem);
        QCOMPARE(bool(key), problem == 0);
        QVERIFY2(why.contains(says), qPrintable(why));
        if (found == AccessKey::Problem::Mode)
            QVERIFY(why.endsWith(QStringLiteral("chmod 600 ") + file));
    }

    void madeKeyIsPrivateAndNeverReplaced() {
        const QString file = dir_.filePath(QStringLiteral("made.key"));
        QString why;
        const mode_t mask = ::umask(0);
        const bool made = AccessKey::make(file, &why);
        ::umask(mask);
        QVERIFY2(made, qPrintable(why));
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), 0600);
        QFile text(file);
        QVERIFY(text.open(QIODevice::ReadOnly));
        const QByteArray first = text.readAll();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{64}\n$"))
                    .match(QString::fromLatin1(first))
                    .hasMatch());
        const std::optional<AccessKey> key = AccessKey::load(file, &why);
        QVERIFY2(key, qPrintable(why));
        QCOMPARE(key->password(QStringLiteral("E2801105200068678F1EC59B")).size(), 8);

        QVERIFY(!AccessKey::make(file, &why));
        QVERIFY2(why.contains(QStringLiteral("密钥文件不会被覆盖")), qPrintable(why));
        text.seek(0);
        QCOMPARE(text.readAll(), first);
        // A second key is another key.
        const QString other = dir_.filePath(QStringLiteral("other.key"));
        QVERIFY(AccessKey::make(other, &why));
        QVERIFY(AccessKey::load(other, &why)->id() != key->id());
    }

    // The steps of a lock as the journal keeps them, the listings and check
    // that show them, and the EPCIS export that waits for a verified lock.
    void lockStepsKeptListedAndChecked() {
        SmallJournal small;
        QVERIFY(small.open(dir_.filePath(QStringLiteral("locks.sqlite"))));
        IssuingJournal& journal = small.journal;
        QVERIFY(small.add(small.sgtin, IssuingJournal::Outcome::Written));
        QVERIFY(small.add(small.sgtin, IssuingJournal::Outcome::Written));
        QVERIFY(small.add(small.sgtin, IssuingJournal::Outcome::Written));
        QList<IssuingJournal::Record> records = journal.records();
        QCOMPARE(records.size(), 7);
        const QString plan = QStringLiteral("epc=lock,access=lock");
        const QString id = QStringLiteral("630dcd2966c43366");
        const IssuingJournal::Lock verified{plan, id, Step::Done, Step::Done, Step::Done};
        const IssuingJournal::Lock refused{plan, id, Step::Done, Step::Failed, Step::NotYet};
        const IssuingJournal::Lock halfway{plan, id, Step::Done, Step::NotYet, Step::NotYet};
        QVERIFY(journal.recordLock(records[4].id, verified));
        QVERIFY(journal.recordLock(records[5].id, refused));
        QVERIFY(journal.recordLock(records[6].id, halfway));

        records = journal.records();
        QCOMPARE(lockText(records[0].lock), QString());
        QCOMPARE(lockText(records[4].lock), plan + " verified");
        QCOMPARE(lockText(records[5].lock), plan + " not verified: lock failed");
        QCOMPARE(lockText(records[6].lock), plan + " not verified: unfinished");
        QCOMPARE(journal.records(2).first().lock.keyId, id);
        // Only the unfinished one is left for settling; its key names the series.
        const QList<IssuingJournal::Record> left = journal.unfinishedLocks(QStringLiteral("line1"));
        QCOMPARE(left.size(), 1);
        QCOMPARE(left.first().id, records[6].id);
        QCOMPARE(journal.keyIds(small.sgtin.id), QStringList{id});
        QVERIFY(journal.findTid(records[6].tid)->lock.unfinished());

        const QStringList csv = IssuingJournal::csv(records).split('\n');
        QVERIFY(csv[0].endsWith(QStringLiteral(",uri,lock,key_id")));
        QVERIFY2(csv[5].endsWith(",urn:epc:tag:sgtin-96:1.0614141.812345.1004,\"epc=lock,access="
                                 "lock verified\",630dcd2966c43366"),
                 qPrintable(csv[5]));
        QVERIFY2(csv[1].endsWith(",urn:epc:tag:sgtin-96:1.0614141.812345.1001,,"),
                 qPrintable(csv[1]));

        const IssuingJournal::Check check = journal.check();
        QCOMPARE(check.lockNotVerified, 2);
        QVERIFY(check.problems.isEmpty());
        QCOMPARE(check.open.filter(QStringLiteral("lock not verified")).size(), 2);
        QVERIFY(check.open.filter(records[6].epc)
                    .first()
                    .endsWith(plan + " not verified: "
                                     "unfinished"));

        // The verified one is handed on; the other two wait, counted.
        const epcis::Export done = [&] {
            epcis::Failure failure;
            return *epcis::build(journal, epcis::Request{}, created, &failure);
        }();
        QCOMPARE(done.events, 3);
        QCOMPARE(done.leftOut,
                 QStringLiteral("略去 4 条记录：1 条不是 GS1，1 条未确定，2 条锁定未验证"));
        // An unfinished lock holds its station's mark, as an open record does (the uncertain
        // one is released first).
        QVERIFY(journal.resolve(records[3].id, IssuingJournal::Outcome::Released));
        epcis::Request sinceLast;
        sinceLast.sinceLast = true;
        epcis::Failure failure;
        QCOMPARE(epcis::build(journal, sinceLast, created, &failure)->marks.value("line1"),
                 records[6].id - 1);
    }

    // A journal from before locking gets the columns when a station opens
    // it, and is read as it is without them.
    void olderJournalGetsTheLockColumns() {
        const QString file = dir_.filePath(QStringLiteral("old.sqlite"));
        {
            SmallJournal small;
            QVERIFY(small.open(file));
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "old");
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery drop(db);
            for (const char* column : {"lock_plan", "key_id", "password_set", "locked", "verified"})
                QVERIFY(drop.exec(
                    QStringLiteral("ALTER TABLE tags DROP COLUMN %1").arg(QLatin1String(column))));
            db.close();
        }
        QSqlDatabase::removeDatabase("old");
        {
            IssuingJournal reader;
            QVERIFY(reader.open(file, IssuingJournal::Access::Read));
            QCOMPARE(reader.records().size(), 4);
            QCOMPARE(reader.check().lockNotVerified, 0);
            QCOMPARE(IssuingJournal::csv(reader.records()).count(QStringLiteral(",,\n")), 4);
        }
        IssuingJournal station;
        QVERIFY2(station.open(file), qPrintable(station.errorText()));
        QVERIFY(station.hold(QStringLiteral("line1")) == IssuingJournal::Status::Ok);
        const qint64 id = station.records().first().id;
        QVERIFY2(station.recordLock(id, {QStringLiteral("access=lock"), QStringLiteral("k"),
                                         Step::Done, Step::Done, Step::Done}),
                 qPrintable(station.errorText()));
        QCOMPARE(lockText(station.records().first().lock), QStringLiteral("access=lock verified"));
        // Another station's records are not its to change.
        IssuingJournal other;
        QVERIFY(other.open(file) && other.hold("line2") == IssuingJournal::Status::Ok);
        QVERIFY(!other.recordLock(id, {}));
    }
};

QTEST_GUILESS_MAIN(TagLockingTest)
#include "tag_locking_test.moc"
