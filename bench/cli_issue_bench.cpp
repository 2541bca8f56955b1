// Issuing with the journal against the simulated reader: tags per minute of
// rfid-setup-cli with --pause 0 (process start included), and the tool's own
// time per tag beyond the reader's, measured in process around the reader library.
#include "protocol/clock.h"
#include "protocol/reader_device.h"
#include "support/recording_log.h"
#include "uhf/epc_issuer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

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

void toolRate(const QTemporaryDir& dir) {
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("READERHID_SIM_SWAP_MS"), QStringLiteral("0"));
    cli.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    cli.start(QStringLiteral(CLI_PROGRAM),
              {"issue", "--simulate", "--pause", "0", "--count", QString::number(tags), "--start",
               "000000000000000000000001", "--journal", dir.filePath("cli.sqlite")});
    cli.waitForFinished(600000);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("rfid-setup-cli issue, %d tags, --pause 0, SQLite journal: %.1f s, %.0f tags/min "
                "(exit %d)\n",
                tags, seconds, tags * 60 / seconds, cli.exitCode());
}

void ownTime(const QTemporaryDir& dir, const QString& journalFile, const char* what) {
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
    EpcIssuer issuer(operations, journal,
                     *journal.openSeries("000000000000000000000001", "1", false),
                     QStringLiteral("bench"));
    issuer.tagDone = device.library.tagRemover();
    int issued = 0;
    int attempts = 0;
    QElapsedTimer timer;
    timer.start();
    while (issued < tags && attempts < 10 * tags) {
        ++attempts;
        issued += issuer.attempt().event == EpcIssuer::Event::Issued;
    }
    const qint64 total = timer.nsecsElapsed();
    std::printf("%s: %d tags in %d attempts; per tag %.2f ms in all, %.3f ms in the reader "
                "library, %.2f ms the tool's own\n",
                what, issued, attempts, total / 1e6 / issued, device.nanoseconds / 1e6 / issued,
                (total - device.nanoseconds) / 1e6 / issued);
    Q_UNUSED(dir);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    qputenv("READERHID_SIM_SWAP_MS", "0");
    QTemporaryDir dir;
    toolRate(dir);
    ownTime(dir, dir.filePath("own.sqlite"), "EpcIssuer in process, SQLite journal (WAL)");
    const QByteArray postgres = qgetenv("RFID_TEST_POSTGRES_URL");
    if (!postgres.isEmpty())
        ownTime(dir, QString::fromLatin1(postgres), "EpcIssuer in process, PostgreSQL journal");
    return 0;
}
