#include "issue_command.h"

#include "cli_support.h"
#include "gs1_commands.h"
#include "protocol/conversion.h"
#include "protocol/hex_text.h"
#include "uhf/epc_issuer.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <QTextStream>
#include <csignal>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

// The first Ctrl-C stops after the current tag; a second one ends at once.
void requestStop(int signal) {
    stopRequested = 1;
    std::signal(signal, SIG_DFL);
}

// A wait while no new tag is in the field, so that an idle station does not
// keep the reader and a core busy.
constexpr int idlePoll = 20;
// Replies missed in a row after which the reader counts as gone.
constexpr int noReplyLimit = 3;

const char* eventName(EpcIssuer::Event event) {
    switch (event) {
    case EpcIssuer::Event::Issued:
        return "issued";
    case EpcIssuer::Event::Skipped:
        return "skipped";
    case EpcIssuer::Event::NotWritten:
        return "not-written";
    case EpcIssuer::Event::Uncertain:
        return "uncertain";
    case EpcIssuer::Event::Conflict:
        return "conflict";
    case EpcIssuer::Event::JournalFailed:
        return "journal-error";
    case EpcIssuer::Event::NoReply:
        return "no-reply";
    case EpcIssuer::Event::Unreadable:
        return "unreadable";
    case EpcIssuer::Event::NoTag:
    case EpcIssuer::Event::SameTag:
        break;
    }
    return "waiting";
}

// What the operator sees: one line per event on stdout (one JSON object
// with --json), and a progress line on a terminal.
class Report {
  public:
    Report(bool json, int count) : json_(json), count_(count), progress_(isatty(2)) {
        clock_.start();
    }

    void event(const QString& name, const QString& epc, const QString& tid,
               const QString& detail = {}) {
        clearProgress();
        if (json_) {
            QJsonObject object{{QStringLiteral("event"), name}};
            if (!epc.isEmpty())
                object.insert(QStringLiteral("epc"), epc);
            if (!tid.isEmpty())
                object.insert(QStringLiteral("tid"), tid);
            if (!detail.isEmpty())
                object.insert(QStringLiteral("detail"), detail);
            object.insert(QStringLiteral("time"),
                          QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
            printOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
        } else {
            QString line = name + ' ' + epc + (tid.isEmpty() ? QString() : ' ' + tid);
            if (!detail.isEmpty())
                line += QStringLiteral(": ") + detail;
            printOut(line.trimmed());
        }
        showProgress();
    }

    void counted(bool issued) { (issued ? issued_ : failed_)++; }
    int issued() const { return issued_; }
    double perMinute() const {
        const qint64 ms = clock_.elapsed();
        return ms > 0 ? issued_ * 60000.0 / ms : 0.0;
    }

    void summary() {
        clearProgress();
        const QString text = QStringLiteral("issued %1 of %2, failed %3, %4 tags per minute")
                                 .arg(issued_)
                                 .arg(count_)
                                 .arg(failed_)
                                 .arg(perMinute(), 0, 'f', 1);
        if (json_)
            printOut(QString::fromUtf8(
                QJsonDocument(QJsonObject{{QStringLiteral("event"), QStringLiteral("summary")},
                                          {QStringLiteral("issued"), issued_},
                                          {QStringLiteral("count"), count_},
                                          {QStringLiteral("failed"), failed_},
                                          {QStringLiteral("tagsPerMinute"), perMinute()}})
                    .toJson(QJsonDocument::Compact)));
        else
            QTextStream(stderr) << text << Qt::endl;
    }

    void showProgress() {
        if (progress_)
            QTextStream(stderr) << QStringLiteral("\rissued %1/%2  failed %3  %4 tags/min ")
                                       .arg(issued_)
                                       .arg(count_)
                                       .arg(failed_)
                                       .arg(perMinute(), 0, 'f', 1)
                                << Qt::flush;
    }

  private:
    void clearProgress() {
        if (progress_)
            QTextStream(stderr) << "\r\033[K" << Qt::flush;
    }

    bool json_;
    int count_;
    bool progress_;
    int issued_ = 0;
    int failed_ = 0;
    QElapsedTimer clock_;
};

bool positiveNumber(const QString& text, int* value) {
    return tryStrToInt(text, value) && *value > 0;
}

} // namespace

int issueCommand(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("issue"),
        QStringLiteral("Issue EPC numbers to the tags presented one after another: each new tag "
                       "gets the next number, is read back and recorded in the journal. --start "
                       "joins the series with the same start, step and direction if the journal "
                       "has one, so that stations share it; without --start the journal's last "
                       "series goes on after its last number."));
    command.parser().addOptions({
        {QStringLiteral("start"),
         QStringLiteral("First number of a series: hex, or a GS1 tag URI or element string, "
                        "whose serial field the series counts (the step is then decimal)."),
         QStringLiteral("hex|uri")},
        {QStringLiteral("count"), QStringLiteral("Number of tags to issue."), QStringLiteral("n")},
        {QStringLiteral("step"), QStringLiteral("Added to each number, hex (default 1)."),
         QStringLiteral("hex"), QStringLiteral("1")},
        {QStringLiteral("reverse"),
         QStringLiteral("Add the step with the number's first byte least significant.")},
        {QStringLiteral("pause"), QStringLiteral("Pause after each tag in ms (default 100)."),
         QStringLiteral("ms"), QStringLiteral("100")},
        {QStringLiteral("password"), QStringLiteral("Access password, 4 bytes (default 00000000)."),
         QStringLiteral("hex"), QStringLiteral("00000000")},
        {QStringLiteral("station"),
         QStringLiteral("This station's name in the journal (default: the host name). Two "
                        "stations that run at once need two names."),
         QStringLiteral("name"), QSysInfo::machineHostName()},
        {QStringLiteral("json"), QStringLiteral("One JSON object per event on stdout.")},
    });
    addGs1StartOptions(command.parser());
    addJournalOption(command.parser());
    CliReader::addOptions(command.parser());
    const int parsed = command.parse(arguments, 0, 0);
    if (parsed >= 0)
        return parsed;

    int count = 0;
    int pause = 0;
    if (!positiveNumber(command.value(QStringLiteral("count")), &count))
        return failWith(exitUsage, QStringLiteral("issue: --count takes a number above 0"));
    if (!tryStrToInt(command.value(QStringLiteral("pause")), &pause) || pause < 0)
        return failWith(exitUsage, QStringLiteral("issue: --pause takes milliseconds"));
    const QString password = hex::digitsOf(command.value(QStringLiteral("password")));
    if (password.size() != 8)
        return failWith(exitUsage, QStringLiteral("issue: --password takes 4 bytes of hex digits"));
    const bool newSeries = command.isSet(QStringLiteral("start"));
    if (!newSeries &&
        (command.isSet(QStringLiteral("step")) || command.isSet(QStringLiteral("reverse"))))
        return failWith(exitUsage, QStringLiteral("issue: --step and --reverse go with --start"));

    IssuingJournal journal;
    if (!openJournal(journal, command))
        return exitJournalError;
    std::optional<IssuingJournal::Series> series;
    // A GS1 series ends at the largest value of its serial field.
    QString last;
    if (newSeries) {
        QString start = hex::digitsOf(command.value(QStringLiteral("start"))).toUpper();
        QString step = hex::digitsOf(command.value(QStringLiteral("step")));
        if (isGs1Start(command.value(QStringLiteral("start")))) {
            const int refused = gs1Series(command, &start, &step, &last);
            if (refused >= 0)
                return refused;
        }
        const QString problem = epcNumberProblem(start);
        if (!problem.isEmpty())
            return failWith(exitUsage, QStringLiteral("issue: --start: ") + problem);
        series = journal.openSeries(start, step, command.isSet(QStringLiteral("reverse")));
        if (!series)
            return failWith(exitUsage, journal.errorText());
    } else {
        series = journal.lastSeries();
        if (!series)
            return failWith(
                journal.errorText().isEmpty() ? exitUsage : exitJournalError,
                journal.errorText().isEmpty()
                    ? QStringLiteral("issue: the journal has no series yet; give --start")
                    : journal.errorText());
    }

    CliReader reader;
    int exitCode = exitOk;
    if (!reader.open(command, &exitCode))
        return exitCode;
    EpcOperations operations(reader.link());
    EpcIssuer issuer(operations, journal, *series, command.value(QStringLiteral("station")),
                     password);
    issuer.tagDone = [&reader] { reader.device().takeTagAway(); };

    Report report(command.isSet(QStringLiteral("json")), count);
    // Records a crash left pending are settled before any new number is taken.
    const EpcIssuer::Settlement settled = issuer.settlePending();
    if (settled.written + settled.released + settled.uncertain.size() > 0)
        report.event(QStringLiteral("settled"), QString(), QString(),
                     QStringLiteral("%1 written, %2 released, %3 uncertain")
                         .arg(settled.written)
                         .arg(settled.released)
                         .arg(settled.uncertain.size()));
    for (const IssuingJournal::Record& record : settled.uncertain)
        report.event(QStringLiteral("uncertain"), record.epc, record.tid,
                     QStringLiteral("left pending and not in the field: number skipped"));

    stopRequested = 0;
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    int noReplies = 0;
    exitCode = exitIncomplete;
    while (report.issued() < count && !stopRequested) {
        if (!last.isEmpty() && journal.nextNumber(*series).value_or(QString()) > last) {
            printError(QStringLiteral("series exhausted after ") + last);
            break;
        }
        const EpcIssuer::Attempt attempt = issuer.attempt();
        noReplies = attempt.event == EpcIssuer::Event::NoReply ? noReplies + 1 : 0;
        int wait = pause;
        switch (attempt.event) {
        case EpcIssuer::Event::Issued:
        case EpcIssuer::Event::NotWritten:
        case EpcIssuer::Event::Uncertain:
            report.counted(attempt.event == EpcIssuer::Event::Issued);
            report.event(QLatin1String(eventName(attempt.event)), attempt.epc, attempt.tid,
                         attempt.detail);
            break;
        case EpcIssuer::Event::Skipped:
            report.event(QLatin1String(eventName(attempt.event)), attempt.epc, attempt.tid,
                         QStringLiteral("already in the journal"));
            break;
        case EpcIssuer::Event::Conflict:
        case EpcIssuer::Event::JournalFailed:
            report.event(QLatin1String(eventName(attempt.event)), attempt.epc, attempt.tid,
                         attempt.detail);
            printError(attempt.detail);
            report.summary();
            return attempt.event == EpcIssuer::Event::Conflict ? exitJournalConflict
                                                               : exitJournalError;
        case EpcIssuer::Event::NoReply:
            if (noReplies >= noReplyLimit) {
                printError(attempt.detail);
                report.summary();
                return exitNoReply;
            }
            [[fallthrough]];
        case EpcIssuer::Event::NoTag:
        case EpcIssuer::Event::SameTag:
        case EpcIssuer::Event::Unreadable:
            wait = std::max(pause, idlePoll);
            break;
        }
        reader.link().Delayy(wait);
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    report.summary();
    return report.issued() == count ? exitOk : exitCode;
}
