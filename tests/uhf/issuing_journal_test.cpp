#include "uhf/issuing_journal.h"

#include "uhf/gs1_epc.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Outcome = IssuingJournal::Outcome;
using Status = IssuingJournal::Status;

QString tid(int n) {
    return QStringLiteral("E28011052000%1").arg(n, 12, 16, QLatin1Char('0')).toUpper();
}

// A journal of its own on a file, holding station "s".
struct Opened {
    explicit Opened(const QString& file, const QString& station = QStringLiteral("s")) {
        if (!journal.open(file) || journal.hold(station) != Status::Ok)
            qFatal("%s", qPrintable(journal.errorText()));
    }
    IssuingJournal journal;
};

// The holder's note beside the journal file for this station.
QString noteOf(const QString& file, const QByteArray& station) {
    return file + ".station-" +
           QCryptographicHash::hash(station, QCryptographicHash::Sha1).toHex().left(16);
}

// Runs one statement on the file behind the journal's back.
void tamper(const QString& file, const QString& statement) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "tamper");
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY2(query.exec(statement), qPrintable(statement));
    }
    QSqlDatabase::removeDatabase("tamper");
}

// A database of its own on the test server (RFID_TEST_POSTGRES_URL), so that
// runs do not meet; empty without a server.
QString postgresDatabase(const char* prefix) {
    const QString url = QString::fromLocal8Bit(qgetenv("RFID_TEST_POSTGRES_URL"));
    if (url.isEmpty())
        return QString();
    const QString name =
        QStringLiteral("%1_%2").arg(prefix).arg(QRandomGenerator::global()->generate());
    QProcess psql;
    psql.start(QStringLiteral("psql"), {url, "-c", "CREATE DATABASE " + name});
    if (!psql.waitForFinished(30000) || psql.exitCode() != 0)
        qFatal("%s", psql.readAllStandardError().constData());
    return url.section('/', 0, -2) + '/' + name;
}

// The journal on this file and, with a test server, in a database of its
// own: the reservation runs on the server there, so both must agree.
QStringList bothJournals(const QString& file) {
    QStringList addresses{file};
    if (const QString database = postgresDatabase("reserve"); !database.isEmpty())
        addresses << database;
    return addresses;
}

// A node of a PostgreSQL plan (and those below it) that reads a whole table
// or a whole index (wholes), or a bitmap scan or a sort, which read every
// record of a series (series); empty when there is none.
QString fullScanIn(const QJsonObject& node, bool wholes, bool series) {
    const QString type = node["Node Type"].toString();
    if ((wholes && (type == QLatin1String("Seq Scan") ||
                    (type.startsWith(QLatin1String("Index")) && !node.contains("Index Cond")))) ||
        (series && (type == QLatin1String("Bitmap Heap Scan") || type == QLatin1String("Sort"))))
        return type + QStringLiteral(" on ") + node["Relation Name"].toString() +
               QStringLiteral(" ") + node["Index Name"].toString();
    for (const QJsonValue& child : node["Plans"].toArray())
        if (const QString scan = fullScanIn(child.toObject(), wholes, series); !scan.isEmpty())
            return scan;
    return QString();
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
        QTest::addColumn<QString>("last");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("forward") << "000000FE"
                                 << "1" << false << ""
                                 << QStringList{"000000FE", "000000FF", "00000100"};
        QTest::newRow("reverse") << "FE000000"
                                 << "1" << true << ""
                                 << QStringList{"FE000000", "FF000000", "00010000"};
        QTest::newRow("step 10 is hex")
            << "00000000"
            << "10" << false << "" << QStringList{"00000000", "00000010", "00000020"};
        QTest::newRow("step's leading zeros do not widen")
            << "0001"
            << "00000001" << false << "" << QStringList{"0001", "0002", "0003"};
        QTest::newRow("ends at the width's last number")
            << "FFFD"
            << "1" << false << ""
            << QStringList{"FFFD", "FFFE", "FFFF", "系列到 FFFF 已用完：请开始一个新的系列"};
        QTest::newRow("ends at its last number")
            << "0100"
            << "2" << true << "0500"
            << QStringList{"0100", "0300", "0500", "系列到 0500 已用完：请开始一个新的系列"};
    }
    void reservationsFollowTheSeries() {
        QFETCH(QString, start);
        QFETCH(QString, step);
        QFETCH(bool, reverse);
        QFETCH(QString, last);
        QFETCH(QStringList, numbers);
        for (const QString& address :
             bothJournals(dir_.filePath(QString::fromLatin1(QTest::currentDataTag())))) {
            Opened o(address);
            const auto series = o.journal.openSeries(start, step, reverse, last);
            QVERIFY2(series, qPrintable(o.journal.errorText()));
            QStringList reserved;
            for (int i = 0; i < numbers.size(); ++i) {
                const IssuingJournal::Reservation r = o.journal.reserve(*series, tid(i), "s");
                reserved << (r.status == Status::Exhausted ? o.journal.errorText() : r.record.epc);
            }
            QCOMPARE(reserved, numbers);
        }
    }

    // No number and no TID in two records; a released number is free again,
    // the lowest first, an uncertain one never.
    void numbersAndTagsAreHeldOnce_data() {
        QTest::addColumn<QString>("address");
        const QStringList addresses =
            bothJournals(QStringLiteral("sqlite:") + dir_.filePath("held.sqlite"));
        for (const QString& address : addresses)
            QTest::newRow(address.startsWith("sqlite") ? "sqlite" : "postgres") << address;
    }
    void numbersAndTagsAreHeldOnce() {
        QFETCH(QString, address);
        Opened o(address);
        IssuingJournal& journal = o.journal;
        const auto series = journal.openSeries("0001", "1", false);
        const IssuingJournal::Record first = journal.reserve(*series, tid(1), "s").record;
        QCOMPARE(int(journal.reserve(*series, tid(1).toLower(), "s").status),
                 int(Status::Conflict));

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

    // Released numbers go again lowest first; new numbers follow the
    // furthest one, which is not the highest text in a little-endian series.
    void releasedNumbersAreReusedBeforeTheSeriesGoesOn() {
        for (const QString& address : bothJournals(dir_.filePath("reuse.sqlite"))) {
            Opened o(address);
            const auto series = o.journal.openSeries("FE000000", "1", true);
            QList<qint64> ids;
            for (int i = 0; i < 3; ++i)
                ids << o.journal.reserve(*series, tid(i), "s").record.id;
            QVERIFY(o.journal.resolve(ids[1], Outcome::Released)); // FF000000
            QVERIFY(o.journal.resolve(ids[0], Outcome::Released)); // FE000000
            QStringList next;
            for (int i = 3; i < 6; ++i)
                next << o.journal.reserve(*series, tid(i), "s").record.epc;
            QCOMPARE(next, (QStringList{"FE000000", "FF000000", "01010000"}));
        }
    }

    // The free numbers follow the records whoever changes them (a number
    // released or held again behind the journal's back, a journal made before
    // they were kept), and keep none that was taken again.
    void freeNumbersFollowTheRecords_data() {
        QTest::addColumn<QStringList>("sqlite");
        QTest::addColumn<QStringList>("postgres");
        QTest::addColumn<QStringList>("next");
        const QStringList released{"UPDATE tags SET outcome = 'released' WHERE epc = '0002'"};
        const QStringList heldAgain{
            "INSERT INTO tags (series, epc, tid, station, time, outcome) SELECT series, epc, "
            "'E2FF', 'other', time, 'written' FROM tags WHERE epc = '0001'"};
        QTest::newRow("released behind its back")
            << released << released << QStringList{"0001", "0002"};
        QTest::newRow("held again behind its back")
            << heldAgain << heldAgain << QStringList{"0004", "0005"};
        QTest::newRow("made before they were kept")
            << QStringList{"DROP TRIGGER tags_freed", "DROP TRIGGER tags_added_released",
                           "DROP TRIGGER tags_taken", "DROP TABLE free_numbers"}
            << QStringList{"DROP FUNCTION journal_numbers() CASCADE", "DROP TABLE free_numbers"}
            << QStringList{"0001", "0004"};
    }
    void freeNumbersFollowTheRecords() {
        QFETCH(QStringList, sqlite);
        QFETCH(QStringList, postgres);
        QFETCH(QStringList, next);
        for (const QString& address :
             bothJournals(dir_.filePath(QString::fromLatin1(QTest::currentDataTag())))) {
            {
                Opened o(address);
                const auto series = o.journal.openSeries("0001", "1", false);
                const qint64 first = o.journal.reserve(*series, tid(1), "s").record.id;
                for (int i = 2; i <= 3; ++i)
                    o.journal.reserve(*series, tid(i), "s");
                QVERIFY(o.journal.resolve(first, Outcome::Released));
                QSqlQuery change(o.journal.database());
                for (const QString& statement : address.startsWith("postgres") ? postgres : sqlite)
                    QVERIFY2(change.exec(statement), qPrintable(change.lastError().text()));
            }
            Opened o(address);
            const auto series = o.journal.openSeries("0001", "1", false);
            QStringList reserved;
            for (int i = 10; i < 12; ++i)
                reserved << o.journal.reserve(*series, tid(i), "s").record.epc;
            QCOMPARE(reserved, next);
            QSqlQuery kept(o.journal.database());
            QVERIFY(kept.exec("SELECT COUNT(*) FROM free_numbers") && kept.next());
            QCOMPARE(kept.value(0).toInt(), 0);
            QVERIFY(o.journal.check().problems.isEmpty());
        }
    }

    // A station continues its own series, not the journal's newest one.
    void lastSeriesIsTheStationsOwn() {
        const QString file = dir_.filePath("last.sqlite");
        Opened one(file, "one");
        Opened two(file, "two");
        const auto a = one.journal.openSeries("0100", "2", false);
        const auto b = two.journal.openSeries("0200", "1", true);
        one.journal.reserve(*a, tid(1), "one");
        two.journal.reserve(*b, tid(2), "two");
        QCOMPARE(one.journal.lastSeries("one")->id, a->id);
        QCOMPARE(one.journal.lastSeries("two")->id, b->id);
        QVERIFY(!one.journal.lastSeries("three"));
        QVERIFY(one.journal.errorText().isEmpty());
        // Both connections take turns on one series without meeting.
        QCOMPARE(two.journal.reserve(*a, tid(3), "two").record.epc, QString("0102"));
        QCOMPARE(one.journal.reserve(*a, tid(4), "one").record.epc, QString("0104"));
        // The same start, step value and direction is the same series.
        QCOMPARE(two.journal.openSeries("0100", "02", false)->id, a->id);
        // A station that switched series continues the newer one.
        one.journal.reserve(*b, tid(5), "one");
        QCOMPARE(one.journal.lastSeries("one")->id, b->id);
    }

    // A GS1 start counts its serial field and stops at its last value, however
    // the series was made (the hex form, a dialog that fills in the number
    // only, a journal from before); joining keeps the narrower end.
    void aSeriesKeepsItsNarrowerEnd() {
        const QString file = dir_.filePath("end.sqlite");
        Opened o(file);
        QString why;
        const auto epc =
            gs1::fromTagUri("urn:epc:tag:sgtin-96:3.0614141.812345.274877906941", &why);
        QVERIFY2(epc, qPrintable(why));
        const QString start = *gs1::encode(*epc, &why);
        QVERIFY(o.journal.openSeries(start, "1", false));
        tamper(file, "UPDATE series SET last = NULL");
        const auto series = o.journal.openSeries(start, "1", false);
        QStringList serials;
        for (int i = 0; i < 4; ++i) {
            const IssuingJournal::Reservation r = o.journal.reserve(*series, tid(i), "s");
            serials << (r.status == Status::Ok ? gs1::tagUriOf(r.record.epc).section('.', -1)
                                               : o.journal.errorText().section(' ', 0, 0));
        }
        QCOMPARE(serials, (QStringList{"274877906941", "274877906942", "274877906943", "系列到"}));

        QVERIFY(o.journal.openSeries("0001", "1", false));
        QCOMPARE(o.journal.openSeries("0001", "1", false, "0005")->last, QString("0005"));
        QCOMPARE(o.journal.openSeries("0001", "1", false, "0009")->last, QString("0005"));
    }

    // The furthest number held: a released one is not, it is taken again.
    void theSummaryLeavesReleasedNumbersOut() {
        Opened o(dir_.filePath("summary.sqlite"));
        const auto series = o.journal.openSeries("0001", "1", false);
        o.journal.reserve(*series, tid(1), "s");
        const qint64 second = o.journal.reserve(*series, tid(2), "s").record.id;
        QVERIFY(o.journal.resolve(second, Outcome::Released));
        const QList<IssuingJournal::SeriesSummary> summaries = o.journal.seriesSummaries();
        QCOMPARE(summaries.size(), 1);
        QCOMPARE(summaries[0].lastNumber, QString("0001"));
        QCOMPARE(summaries[0].counts[int(Outcome::Released)], 1);
    }

    // One process per station; a process changes only its station's open records.
    void aStationIsHeldByOneProcess() {
        const QString file = dir_.filePath("lease.sqlite");
        auto first = std::make_unique<Opened>(file, "line 1");
        IssuingJournal twin;
        QVERIFY(twin.open(file));
        QCOMPARE(int(twin.hold("line 1")), int(Status::Conflict));
        QVERIFY2(twin.errorText().contains(QStringLiteral("pid %1").arg(getpid())),
                 qPrintable(twin.errorText()));
        QCOMPARE(int(twin.hold("line 2")), int(Status::Ok));

        const auto series = first->journal.openSeries("0001", "1", false);
        const qint64 mine = first->journal.reserve(*series, tid(1), "line 1").record.id;
        QCOMPARE(int(twin.reserve(*series, tid(2), "line 1").status), int(Status::Failed));
        QVERIFY(twin.pending("line 1").isEmpty());
        QVERIFY(!twin.resolve(mine, Outcome::Uncertain));
        QVERIFY(first->journal.resolve(mine, Outcome::Written));
        QVERIFY(!first->journal.resolve(mine, Outcome::Released)); // settled for good
        QCOMPARE(first->journal.errorText(),
                 QString("记录 %1 没有改为 released：它不是工位 line 1 未完成的记录").arg(mine));
        first.reset();
        IssuingJournal later;
        QVERIFY(later.open(file));
        QCOMPARE(int(later.hold("line 1")), int(Status::Ok)); // the lease ends with its holder
    }

    // The lease belongs to the file, whichever path names it.
    void aStationIsHeldWhateverPathReachesTheFile() {
        const QString folder = dir_.filePath("paths");
        QDir().mkpath(folder + "/sub");
        const QString file = folder + "/journal.sqlite";
        Opened first(file, "a");
        QVERIFY(QFile::link(file, folder + "/link.sqlite"));
        for (const QString& path : {folder + "/link.sqlite", folder + "/sub/../journal.sqlite"}) {
            IssuingJournal twin;
            QVERIFY2(twin.open(path), qPrintable(twin.errorText()));
            QCOMPARE(int(twin.hold("a")), int(Status::Conflict));
        }
    }

    // The holder's note beside the journal: never followed through a link,
    // and printed only as plain text.
    void theHoldersNoteIsHandledSafely() {
        const QString file = dir_.filePath("note.sqlite");
        const QString note = noteOf(file, "a");
        const QString victim = dir_.filePath("operator.txt");
        {
            QFile f(victim);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep");
        }
        {
            IssuingJournal journal;
            QVERIFY(journal.open(file));
            QVERIFY(QFile::link(victim, note));
            QCOMPARE(int(journal.hold("a")), int(Status::Failed));
        }
        QFile f(victim);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep"));
        QVERIFY(QFile::remove(note));

        Opened first(file, "a");
        QCOMPARE(QFileInfo(note).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther |
                                                  QFileDevice::ReadGroup | QFileDevice::WriteGroup),
                 QFileDevice::Permissions());
        {
            QFile text(note);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write("host \x1b]0;owned\x07x");
        }
        IssuingJournal twin;
        QVERIFY(twin.open(file));
        QCOMPARE(int(twin.hold("a")), int(Status::Conflict));
        QCOMPARE(twin.errorText(),
                 QString("工位 a 正被另一个进程使用（host ?]0;owned?x）：请先结束那个进程，"
                         "或换一个工位名称"));
    }

    // A note that is no regular file of this user, put there by someone else
    // in a shared folder, is refused, never used or waited on (a fifo would
    // hold a reader until someone writes).
    void aForeignNoteIsRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal"); // after the note's path
        QTest::newRow("a fifo") << "fifo"
                                << " 不是本用户的普通文件：请查看并删除它，再重新开始";
        QTest::newRow("a folder") << "folder"
                                  << ": Is a directory";
        QTest::newRow("another user's file") << "foreign"
                                             << " 不是本用户的普通文件：请查看并删除它，再重新开始";
        QTest::newRow("a fifo beside a held station") << "held"
                                                      << "";
    }
    void aForeignNoteIsRefused() {
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        if (kind == QLatin1String("foreign") && ::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        const QString file = dir_.filePath("foreign-" + kind + ".sqlite");
        const QString note = noteOf(file, "a");
        const QByteArray path = QFile::encodeName(note);
        std::optional<Opened> holder;
        if (kind == QLatin1String("held")) {
            holder.emplace(file, "a");
            QVERIFY(QFile::remove(note));
        }
        IssuingJournal journal;
        QVERIFY(journal.open(file));
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(note));
        else if (kind == QLatin1String("foreign"))
            QVERIFY(QFile(note).open(QIODevice::WriteOnly) &&
                    ::chown(path.constData(), 65534, 65534) == 0);
        else
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        // A reader left waiting on the fifo is let go after a while, and the test fails.
        std::atomic<bool> done{false};
        std::atomic<bool> waited{false};
        std::thread unblock([&] {
            for (int i = 0; i < 200 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!done && kind != QLatin1String("folder")) {
                waited = true;
                ::close(::open(path.constData(), O_WRONLY | O_NONBLOCK));
            }
        });
        const Status status = journal.hold("a");
        done = true;
        unblock.join();
        QVERIFY(!waited);
        if (kind == QLatin1String("held")) {
            QCOMPARE(int(status), int(Status::Conflict));
            QCOMPARE(
                journal.errorText(),
                QString(
                    "工位 a 正被另一个进程使用（正在启动）：请先结束那个进程，或换一个工位名称"));
            return;
        }
        QCOMPARE(int(status), int(Status::Failed));
        QCOMPARE(journal.errorText(), "发卡记录占用工位失败：" + note + refusal);
    }

    void namesAndValuesAreChecked_data() {
        QTest::addColumn<QString>("station");
        QTest::addColumn<QStringList>("series"); // start, step, last
        QTest::addColumn<bool>("good");
        const QStringList fine{"0001", "1", ""};
        QTest::newRow("Chinese name") << "工位 1" << fine << true;
        QTest::newRow("64 characters") << QString(64, 'a') << fine << true;
        QTest::newRow("empty name") << "" << fine << false;
        QTest::newRow("65 characters") << QString(65, 'a') << fine << false;
        QTest::newRow("tab in name") << "a\tb" << fine << false;
        QTest::newRow("step 0") << "s" << QStringList{"0001", "00", ""} << false;
        QTest::newRow("step wider") << "s" << QStringList{"0001", "10000", ""} << false;
        QTest::newRow("last before start") << "s" << QStringList{"0010", "1", "0001"} << false;
        QTest::newRow("not whole bytes") << "s" << QStringList{"0001", "12345", ""} << false;
    }
    void namesAndValuesAreChecked() {
        QFETCH(QString, station);
        QFETCH(QStringList, series);
        QFETCH(bool, good);
        const bool accepted =
            IssuingJournal::stationProblem(station).isEmpty() &&
            IssuingJournal::seriesProblem(series[0], series[1], false, series[2]).isEmpty();
        QCOMPARE(accepted, good);
    }

    void addressesAreReadStrictly_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reading"); // "file PATH", "postgres" or "refused"
        QTest::newRow("path with blanks around") << "  /j/a.sqlite "
                                                 << "file /j/a.sqlite";
        QTest::newRow("sqlite: in any case") << "SQLite:/j/a"
                                             << "file /j/a";
        QTest::newRow("postgresql in any case") << "Postgresql://u@h/db"
                                                << "postgres";
        QTest::newRow("postgres upper case") << " POSTGRES://h:5433/db"
                                             << "postgres";
        QTest::newRow("one slash") << "postgresql:/h/db"
                                   << "refused";
        QTest::newRow("no colon") << "postgres//h/db"
                                  << "refused";
        QTest::newRow("other scheme") << "pgsql://u:secret@h/db"
                                      << "refused";
        QTest::newRow("no database") << "postgresql://u:secret@h"
                                     << "refused";
        QTest::newRow(":// anywhere") << "/j/http://x"
                                      << "refused";
        QTest::newRow("word:") << "mysql:j"
                               << "refused";
        QTest::newRow("password with / and @") << "postgresql://u:secret/x@y@h/db"
                                               << "refused";
        QTest::newRow("password in the query") << "postgresql://u@h/db?password=secret&x=1"
                                               << "postgres";
        QTest::newRow("one slash and a password") << "postgresql:/u:secret@host/db"
                                                  << "refused";
    }
    void addressesAreReadStrictly() {
        QFETCH(QString, text);
        QFETCH(QString, reading);
        QString error;
        const auto address = IssuingJournal::parseAddress(text, &error);
        const QString got = !address            ? QStringLiteral("refused")
                            : address->postgres ? QStringLiteral("postgres")
                                                : QStringLiteral("file ") + address->file;
        QCOMPARE(got, reading);
        QVERIFY(!error.contains("secret") && !(address && address->display.contains("secret")));
        if (!address)
            QVERIFY2(error.contains(text.trimmed().section("secret", 0, 0)), qPrintable(error));
    }

    // list, export and check read a journal; they never make one.
    void readingCreatesNothing() {
        const QString missing = dir_.filePath("none/journal.sqlite");
        IssuingJournal journal;
        QVERIFY(!journal.open(missing, IssuingJournal::Access::Read));
        QCOMPARE(journal.errorText(), missing + " 处没有发卡记录");
        QVERIFY(!QFileInfo::exists(dir_.filePath("none")));
        const QString empty = dir_.filePath("empty.sqlite");
        QFile(empty).open(QIODevice::WriteOnly);
        IssuingJournal truncated;
        QVERIFY(!truncated.open(empty, IssuingJournal::Access::Read));
        QCOMPARE(QFileInfo(empty).size(), 0);
        QFile garbage(dir_.filePath("garbage.sqlite"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, 'x'));
        garbage.close();
        IssuingJournal foreign;
        QVERIFY(!foreign.open(garbage.fileName(), IssuingJournal::Access::Read));
        QVERIFY(foreign.damaged());
    }

    // A journal handed over in a folder the reader may not write to.
    void readsAJournalInAReadOnlyFolder() {
        const QString folder = dir_.filePath("shipped");
        QDir().mkpath(folder);
        {
            Opened o(folder + "/journal.sqlite");
            o.journal.reserve(*o.journal.openSeries("0001", "1", false), tid(1), "s");
        }
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        IssuingJournal journal;
        const bool opened = journal.open(folder + "/journal.sqlite", IssuingJournal::Access::Read);
        const qsizetype count = journal.records().size();
        const QStringList problems = journal.check().problems;
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QVERIFY2(opened, qPrintable(journal.errorText()));
        QCOMPARE(count, 1);
        QCOMPARE(problems, QStringList());
    }

    // Numbers or TIDs held twice (in any case), gaps and open records are found
    // by the check itself, not left to the indexes.
    void checkFindsDuplicatesGapsAndOpenRecords() {
        const QString file = dir_.filePath("check.sqlite");
        {
            Opened o(file);
            const auto series = o.journal.openSeries("000A", "1", false);
            QList<qint64> ids;
            for (int i = 0; i < 5; ++i)
                ids << o.journal.reserve(*series, tid(i), "s").record.id;
            o.journal.resolve(ids[0], Outcome::Written);
            o.journal.resolve(ids[1], Outcome::Released); // 000B: a gap
            o.journal.resolve(ids[2], Outcome::Released); // 000C: a gap
            o.journal.resolve(ids[3], Outcome::Uncertain);
        }
        tamper(file, "INSERT INTO tags (series, epc, tid, station, time, outcome) VALUES (1, "
                     "'000a', 'e2', 's', 't', 'written')");
        tamper(file, "INSERT INTO tags (series, epc, tid, station, time, outcome) VALUES (1, "
                     "'0010', '" +
                         tid(0).toLower() + "', 's', 't', 'written')");
        IssuingJournal journal;
        QVERIFY(journal.open(file, IssuingJournal::Access::Read));
        const IssuingJournal::Check check = journal.check();
        // Released numbers are taken again next: listed, not gaps; 000F has no record.
        QCOMPARE(check.problems,
                 (QStringList{"EPC 000A held 2 times", "TID " + tid(0) + " held 2 times",
                              "gap in series 1: 000F"}));
        QCOMPARE(check.open.size(), 4);
        QVERIFY(check.open[0].startsWith("uncertain 000D " + tid(3) + " station s "));
        QCOMPARE(check.open.mid(2),
                 (QStringList{"released 000B in series 1, reserved again next",
                              "released 000C in series 1, reserved again next"}));
        QCOMPARE(check.pending, 1);
        QCOMPARE(check.uncertain, 1);
    }

    void checkReportsADamagedFile() {
        const QString file = dir_.filePath("damaged.sqlite");
        {
            Opened o(file);
            const auto series = o.journal.openSeries("0001", "1", false);
            for (int i = 0; i < 300; ++i)
                o.journal.reserve(*series, tid(i), "s");
        }
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(f.size() - 3000);
        f.write(QByteArray(2000, '\xA5'));
        f.close();
        IssuingJournal journal;
        if (!journal.open(file, IssuingJournal::Access::Read)) {
            QVERIFY(journal.damaged());
            return;
        }
        const QStringList problems = journal.check().problems;
        QVERIFY(!problems.isEmpty());
        QVERIFY2(problems.first().startsWith("damaged: "), qPrintable(problems.first()));
    }

    // Query values are decoded once and stay values of their own keyword.
    void postgresOptionsAreQuoted() {
        const QByteArray url = qgetenv("RFID_TEST_POSTGRES_URL");
        if (url.isEmpty())
            QSKIP("RFID_TEST_POSTGRES_URL is not set (scripts/test starts a server)");
        IssuingJournal journal;
        QVERIFY2(journal.open(QString::fromLatin1(url) +
                              "?options=-c%20search_path%3Dpublic&application_name=x%20host%3D/"
                              "elsewhere%20it%27s"),
                 qPrintable(journal.errorText()));
        QSqlQuery query(journal.database());
        QVERIFY(query.exec("SELECT current_setting('application_name'), "
                           "current_setting('search_path')"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QString("x host=/elsewhere it's"));
        QCOMPARE(query.value(1).toString(), QString("public"));
    }

    // A journal file deleted or replaced under a running station stops it.
    void aReplacedFileStopsReservations() {
        const QString file = dir_.filePath("moved.sqlite");
        Opened o(file);
        const auto series = o.journal.openSeries("0001", "1", false);
        QCOMPARE(int(o.journal.reserve(*series, tid(1), "s").status), int(Status::Ok));
        QVERIFY(QFile::rename(file, file + ".old"));
        QFile(file).open(QIODevice::WriteOnly);
        QCOMPARE(int(o.journal.reserve(*series, tid(2), "s").status), int(Status::Failed));
        QVERIFY(o.journal.errorText().contains("在使用中被删除或替换，已停止"));
    }

    // Two SQLite stations reserving at once wait for each other, never fail.
    void twoStationsReserveAtOnce() {
        const QString file = dir_.filePath("busy.sqlite");
        Opened(file).journal.openSeries("000001", "1", false);
        std::atomic<int> failures{0};
        auto station = [&](int n) {
            Opened o(file, QStringLiteral("s%1").arg(n));
            const auto series = o.journal.openSeries("000001", "1", false);
            for (int i = 0; i < 150; ++i)
                if (o.journal.reserve(*series, tid(n * 1000 + i), o.journal.station()).status !=
                    Status::Ok)
                    ++failures;
        };
        std::thread one(station, 1);
        std::thread two(station, 2);
        one.join();
        two.join();
        QCOMPARE(failures.load(), 0);
        IssuingJournal journal;
        QVERIFY(journal.open(file, IssuingJournal::Access::Read));
        QCOMPARE(journal.records().size(), 300);
        QVERIFY(journal.check().problems.isEmpty());
    }

    // Every statement that runs per tag finds its rows through an index, on a
    // journal of a few thousand records in two series: a full scan of the
    // tags table or of one of its indexes would make each tag cost more as
    // the journal grows.
    void perTagStatementsUseAnIndex_data() {
        QTest::addColumn<QString>("address");
        QTest::newRow("sqlite") << dir_.filePath("plans.sqlite");
        if (const QString database = postgresDatabase("plans"); !database.isEmpty())
            QTest::newRow("postgres") << database;
    }

    void perTagStatementsUseAnIndex() {
        using PerTag = IssuingJournal::PerTag;
        QFETCH(QString, address);
        Opened o(address);
        QSqlDatabase db = o.journal.database();
        const bool postgres = db.driverName() == QLatin1String("QPSQL");
        QSqlQuery query(db);
        QVERIFY(query.exec("BEGIN"));
        for (const char* start : {"000001", "800001"}) {
            const auto series = o.journal.openSeries(start, "1", false);
            QVERIFY(series);
            QSqlQuery insert(db);
            insert.prepare("INSERT INTO tags (series, epc, tid, station, time, outcome) VALUES "
                           "(?, ?, ?, 's', '2026-01-01T00:00:00.000Z', ?)");
            for (int i = 1; i <= 2000; ++i) {
                const QString number = QStringLiteral("%1").arg(
                    QString(start).toInt(nullptr, 16) + i, 6, 16, QLatin1Char('0'));
                insert.addBindValue(series->id);
                insert.addBindValue(number.toUpper());
                insert.addBindValue(tid(i) + start);
                insert.addBindValue(i % 50 == 0 ? "released" : "written");
                QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
                // Statistics of a journal that was small, as the server's
                // may be long after it grew.
                if (postgres && i == 5)
                    QVERIFY(query.exec("ANALYZE tags"));
            }
        }
        QVERIFY(query.exec("COMMIT"));
        // What the reservation's function runs under.
        QStringList settings;
        QVERIFY(!postgres || query.exec("SELECT unnest(proconfig) FROM pg_proc WHERE proname = "
                                        "'journal_reserve'"));
        while (postgres && query.next())
            settings << query.value(0).toString();
        const QSet<PerTag> onServer{PerTag::Released, PerTag::Furthest, PerTag::Held,
                                    PerTag::Insert};
        // Stale statistics leave the server no way to tell a walk down the
        // primary key from one down tags_series, but its function must never
        // read a whole series.
        for (const char* statistics : {"stale", "fresh"}) {
            const bool fresh = !postgres || statistics == QLatin1String("fresh");
            if (postgres && fresh)
                QVERIFY(query.exec("ANALYZE tags"));
            for (PerTag which : {PerTag::FindTid, PerTag::Released, PerTag::Furthest, PerTag::Held,
                                 PerTag::Insert, PerTag::Resolve, PerTag::Freed, PerTag::Taken,
                                 PerTag::Pending, PerTag::LastSeries}) {
                const bool inFunction = postgres && onServer.contains(which);
                for (const QString& setting : settings)
                    QVERIFY(query.exec((inFunction ? "SET " : "RESET ") +
                                       setting.section('=', 0, 0) +
                                       (inFunction ? " = " + setting.section('=', 1) : "")));
                const QString statement =
                    IssuingJournal::perTagStatement(which).replace('?', QStringLiteral("'1'"));
                QSqlQuery plan(db);
                QVERIFY2(plan.exec((postgres ? "EXPLAIN (FORMAT JSON) " : "EXPLAIN QUERY PLAN ") +
                                   statement),
                         qPrintable(plan.lastError().text()));
                QStringList steps;
                while (plan.next())
                    steps << plan.value(postgres ? 0 : 3).toString();
                const QString scan =
                    postgres
                        ? fullScanIn(QJsonDocument::fromJson(steps.join("").toUtf8())[0]["Plan"]
                                         .toObject(),
                                     fresh, inFunction)
                        : steps.filter(QRegularExpression("^SCAN ")).join("; ");
                QVERIFY2(scan.isEmpty(),
                         qPrintable(QStringLiteral("%1 statistics: %2\n%3\n%4")
                                        .arg(statistics, statement, scan, steps.join("\n"))));
            }
        }
    }

    // On PostgreSQL the lease of a process killed on this host stays with its
    // session a moment longer: a station waits for it. A holder on another
    // host, or one that still runs, is refused at once.
    void aGoneHoldersLeaseIsWaitedFor_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<int>("status");
        pid_t gone = fork();
        if (gone == 0)
            _exit(0);
        waitpid(gone, nullptr, 0);
        const QString host = QSysInfo::machineHostName();
        QTest::newRow("gone from this host")
            << QStringLiteral("host %1, pid %2, since 2026-01-01T00:00:00Z").arg(host).arg(gone)
            << int(Status::Ok);
        QTest::newRow("running on this host")
            << QStringLiteral("host %1, pid %2, since 2026-01-01T00:00:00Z").arg(host).arg(getpid())
            << int(Status::Conflict);
        QTest::newRow("on another host")
            << QStringLiteral("host elsewhere-%1, pid %2, since 2026-01-01T00:00:00Z")
                   .arg(host)
                   .arg(gone)
            << int(Status::Conflict);
    }

    void aGoneHoldersLeaseIsWaitedFor() {
        QFETCH(QString, holder);
        QFETCH(int, status);
        const QString address = postgresDatabase("lease");
        if (address.isEmpty())
            QSKIP("RFID_TEST_POSTGRES_URL is not set (scripts/test starts a server)");
        Opened(address, "line");
        // The holder's session, which keeps the lock for a while after it
        // was told to go (at once for a process that is gone).
        std::atomic<bool> locked{false};
        std::atomic<bool> done{false};
        std::thread session([&] {
            {
                IssuingJournal journal;
                QVERIFY(journal.open(address));
                QSqlQuery query(journal.database());
                QVERIFY(query.exec("UPDATE stations SET holder = '" + holder +
                                   "' WHERE name = 'line'"));
                QVERIFY(query.exec("SELECT pg_advisory_lock(7216, id) FROM stations WHERE name "
                                   "= 'line'"));
                locked = true;
                for (int waited = 0; waited < 300 || (status != int(Status::Ok) && !done);
                     waited += 10)
                    QThread::msleep(10);
            }
        });
        QTRY_VERIFY(locked);
        IssuingJournal journal;
        QVERIFY(journal.open(address));
        QCOMPARE(int(journal.hold("line")), status);
        done = true;
        session.join();
    }

    void csvIsSafeInASpreadsheet() {
        IssuingJournal::Record r{
            7, 1, "0001", "E2", "=1+2", "2026-01-02T03:04:05.000Z", Outcome::Written, {}};
        IssuingJournal::Record comma = r;
        comma.station = "line a, b";
        IssuingJournal::Record quote = r;
        quote.station = "\"a\"";
        QCOMPARE(IssuingJournal::csv({r, comma, quote}),
                 QString("id,series,epc,tid,station,time,outcome,uri,lock,key_id\n"
                         "7,1,0001,E2,'=1+2,2026-01-02T03:04:05.000Z,written,,,\n"
                         "7,1,0001,E2,\"line a, b\",2026-01-02T03:04:05.000Z,written,,,\n"
                         "7,1,0001,E2,\"\"\"a\"\"\",2026-01-02T03:04:05.000Z,written,,,\n"));
    }

    void refusesWhatItCannotUse() {
        IssuingJournal journal;
        QVERIFY(!journal.open("/proc/no/such/folder/journal.sqlite"));
        QVERIFY(!journal.errorText().isEmpty());
        Opened other(dir_.filePath("bad.sqlite"));
        QVERIFY(!other.journal.openSeries("0001", "12345", false)); // not whole bytes
    }

  private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(IssuingJournalTest)
#include "issuing_journal_test.moc"
