// Issuing with the journal against the simulated reader: tags per minute of
// rfid-setup-cli with --pause 0 (process start included); the tool's own
// time and CPU per tag beyond the reader's, measured in process around the
// reader library, on SQLite journals that already hold 1, 10,000 and 100,000
// records; and 1 to 16 stations sharing one series on PostgreSQL (total tags
// per minute, the server's and the stations' CPU per tag). RFID_BENCH_CLI
// names another build's rfid-setup-cli to measure in its place.
#include "protocol/clock.h"
#include "protocol/reader_device.h"
#include "support/recording_log.h"
#include "uhf/epc_issuer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString firstNumber = QStringLiteral("000000000000000000000001");

QString cliProgram() {
    return qEnvironmentVariable("RFID_BENCH_CLI", QStringLiteral(CLI_PROGRAM));
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The simulated reader's library with the time spent inside it counted.
class TimedDevice : public ReaderDevice {
  public:
    LibraryDevice library{QStringLiteral(SIM_LIBRARY)};
    qint64 nanoseconds = 0;

    QString unavailableReason() override { return library.unavailableReason(); }
    int write(const QByteArray& frame) override {
        return timed([&] { return library.write(frame); });
    }
    int read(unsigned char* buffer, int capacity) override {
        return timed([&] { return library.read(buffer, capacity); });
    }
    bool simulated() override { return true; }

  private:
    template <class Call> int timed(Call call) {
        QElapsedTimer timer;
        timer.start();
        const int result = call();
        nanoseconds += timer.nsecsElapsed();
        return result;
    }
};

constexpr int tags = 300;
// Tags issued in process on each journal.
constexpr int ownTags = 100;

void toolRate(const QTemporaryDir& dir) {
    QProcess cli;
    QElapsedTimer timer;
    timer.start();
    cli.start(cliProgram(),
              {"issue", "--simulate", "--pause", "0", "--count", QString::number(tags), "--start",
               firstNumber, "--journal", dir.filePath("cli.sqlite")});
    cli.waitForFinished(600000);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("rfid-setup-cli issue, %d tags, --pause 0, SQLite journal: %.1f s, %.0f tags/min "
                "(exit %d)\n",
                tags, seconds, tags * 60 / seconds, cli.exitCode());
}

double childrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// rfid-setup-cli issuing 200 tags into an SQLite journal that already holds
// this many records of its series (written by an earlier run, every
// hundredth number released once before), CPU of the process per tag.
void sqliteGrowth(const QTemporaryDir& dir, int before) {
    const QString file = dir.filePath(QStringLiteral("grown-%1.sqlite").arg(before));
    const QStringList issue = {"issue",     "--simulate", "--pause",   "0",
                               "--start",   firstNumber,  "--journal", file,
                               "--station", "bench",      "--count"};
    QProcess cli;
    cli.start(cliProgram(), issue + QStringList{"1"});
    cli.waitForFinished(60000);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "grow");
        db.setDatabaseName(file);
        db.open();
        QSqlQuery query(db);
        const QString insert = QStringLiteral(
            "INSERT INTO tags (series, epc, tid, station, time, outcome) WITH RECURSIVE n(i) AS "
            "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) SELECT 1, printf('%024X', "
            "i), '%2' || printf('%016X', i), 'earlier', '2026-01-01T00:00:00.000Z', '%3' FROM n "
            "%4");
        query.exec(QStringLiteral("DELETE FROM tags"));
        query.exec(insert.arg(before).arg("FF000002", "released", "WHERE i % 100 = 50"));
        query.exec(insert.arg(before).arg("FF000001", "written", ""));
        query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    QSqlDatabase::removeDatabase("grow");
    // What the records cost to write out is not the run's.
    ::sync();
    const int count = 200;
    const double cpu0 = childrenCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    cli.start(cliProgram(), issue + QStringList{QString::number(count)});
    cli.waitForFinished(600000);
    std::printf("rfid-setup-cli issue, %d tags, SQLite journal with %6d records before: %.2f ms "
                "CPU per tag (process start included), %.0f tags/min (exit %d)\n",
                count, before, (childrenCpuSeconds() - cpu0) * 1e3 / count,
                count * 60e3 / timer.elapsed(), cli.exitCode());
}

void ownTime(const QString& journalFile, const char* what) {
    TimedDevice device;
    RecordingLog log;
    SystemClock clock;
    ReaderLink link(device, log, clock);
    EpcOperations operations(link);
    IssuingJournal journal;
    if (!journal.open(journalFile) ||
        journal.hold(QStringLiteral("bench")) != IssuingJournal::Status::Ok) {
        std::printf("%s: %s\n", what, qPrintable(journal.errorText()));
        return;
    }
    const auto series = journal.openSeries(firstNumber, "1", false);
    EpcIssuer issuer(operations, journal, *series, QStringLiteral("bench"));
    issuer.tagDone = device.library.tagRemover();
    int issued = 0;
    int attempts = 0;
    QElapsedTimer timer;
    timer.start();
    const double cpu0 = cpuSeconds();
    while (issued < ownTags && attempts < 10 * ownTags) {
        ++attempts;
        issued += issuer.attempt().event == EpcIssuer::Event::Issued;
    }
    const qint64 total = timer.nsecsElapsed();
    const double cpu = cpuSeconds() - cpu0;
    std::printf("%s: %d tags in %d attempts; per tag %.2f ms in all, %.3f ms in the reader "
                "library, %.2f ms the tool's own, %.2f ms CPU\n",
                what, issued, attempts, total / 1e6 / issued, device.nanoseconds / 1e6 / issued,
                (total - device.nanoseconds) / 1e6 / issued, cpu * 1e3 / issued);
}

// CPU seconds of the server: its live processes and the sessions it has reaped.
double serverCpuSeconds(qint64 postmaster) {
    const double tick = double(sysconf(_SC_CLK_TCK));
    double seconds = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray stat = file.readAll();
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 15)
            continue;
        const bool server = pid.toLongLong() == postmaster;
        if (!server && fields[1].toLongLong() != postmaster)
            continue;
        seconds += (fields[11].toDouble() + fields[12].toDouble()) / tick;
        if (server)
            seconds += (fields[13].toDouble() + fields[14].toDouble()) / tick;
    }
    return seconds;
}

// Stations as separate rfid-setup-cli processes issuing one series of a
// fresh database at once.
void stationsOnPostgres(const QString& url, int stations) {
    const QString database = QStringLiteral("bench_%1_%2").arg(getpid()).arg(stations);
    QProcess psql;
    psql.start(QStringLiteral("psql"), {url, "-qc", "CREATE DATABASE " + database});
    psql.waitForFinished(30000);
    psql.start(QStringLiteral("psql"),
               {url, "-qAtc", "SELECT setting FROM pg_settings WHERE name = 'data_directory'"});
    psql.waitForFinished(30000);
    QFile pidFile(QString::fromUtf8(psql.readAllStandardOutput()).trimmed() +
                  QStringLiteral("/postmaster.pid"));
    const qint64 postmaster =
        pidFile.open(QIODevice::ReadOnly) ? pidFile.readLine().trimmed().toLongLong() : 0;
    const QString journal = url.section('/', 0, -2) + '/' + database;
    // The series and the tables exist before the stations start.
    QProcess first;
    first.start(cliProgram(), {"issue", "--simulate", "--pause", "0", "--count", "1", "--start",
                               firstNumber, "--journal", journal, "--station", "setup"});
    first.waitForFinished(60000);
    const int each = 200;
    QList<QProcess*> running;
    const double cpu0 = serverCpuSeconds(postmaster);
    const double stationsCpu0 = childrenCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < stations; ++i) {
        auto* station = new QProcess;
        station->start(cliProgram(), {"issue", "--simulate", "--pause", "0", "--count",
                                      QString::number(each), "--start", firstNumber, "--journal",
                                      journal, "--station", QStringLiteral("s%1").arg(i)});
        running << station;
    }
    int failed = 0;
    for (QProcess* station : running) {
        station->waitForFinished(600000);
        if (station->exitCode() != 0 && !failed++)
            std::printf("%s", station->readAllStandardError().constData());
        delete station;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double cpu = serverCpuSeconds(postmaster) - cpu0;
    const double stationsCpu = childrenCpuSeconds() - stationsCpu0;
    const int total = stations * each;
    std::printf("PostgreSQL, %2d stations x %d tags: %.1f s, %6.0f tags/min in all, server CPU "
                "%.2f ms per tag, stations' CPU %.2f ms per tag%s\n",
                stations, each, seconds, total * 60 / seconds, cpu * 1e3 / total,
                stationsCpu * 1e3 / total, failed ? " (a station failed)" : "");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    qputenv("READERHID_SIM_SWAP_MS", "0");
    QTemporaryDir dir;
    toolRate(dir);
    ownTime(dir.filePath(QStringLiteral("own.sqlite")),
            "EpcIssuer in process, SQLite journal (WAL)");
    for (int before : {1, 10000, 100000})
        sqliteGrowth(dir, before);
    const QString postgres = QString::fromLocal8Bit(qgetenv("RFID_TEST_POSTGRES_URL"));
    if (!postgres.isEmpty()) {
        ownTime(postgres, "EpcIssuer in process, PostgreSQL journal");
        for (int stations : {1, 4, 8, 16})
            stationsOnPostgres(postgres, stations);
    }
    return 0;
}
