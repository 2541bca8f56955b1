#include "issue_command.h"

#include "cli_support.h"
#include "gs1_commands.h"
#include "protocol/hex_text.h"
#include "uhf/access_key.h"
#include "uhf/epc_issuer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTextStream>
#include <algorithm>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <utility>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
int stopPipe[2] = {-1, -1};

// The first Ctrl-C stops after the current tag, and at once during a pause; a
// second one ends the program.
void requestStop(int signal) {
    stopRequested = signal;
    std::signal(signal, SIG_DFL);
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &wake, 1);
}

// While it lives, SIGINT and SIGTERM ask the run to stop, and wake the wait in
// progress through a pipe that the event loop watches.
class StopOnSignal {
  public:
    explicit StopOnSignal(ReaderLink& link) {
        stopRequested = 0;
        if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
            notifier_ = std::make_unique<QSocketNotifier>(stopPipe[0], QSocketNotifier::Read);
            QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                             [&link] {
                                 char drained[16];
                                 while (::read(stopPipe[0], drained, sizeof drained) > 0) {
                                 }
                                 link.recheckWaits();
                             });
        }
        std::signal(SIGINT, requestStop);
        std::signal(SIGTERM, requestStop);
    }
    ~StopOnSignal() {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        notifier_.reset();
        for (int& end : stopPipe)
            if (end >= 0)
                ::close(std::exchange(end, -1));
    }
    bool stopped() const { return stopRequested; }
    // Why the run stopped, for the summary.
    static QString reason() { return runEndText(RunEnd::Signal, stopRequested); }

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

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
    case EpcIssuer::Event::Exhausted:
        return "exhausted";
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
    Report(bool json, int count, bool locking)
        : json_(json), count_(count), progress_(isatty(2)), locking_(locking) {
        clock_.start();
    }

    // With a lock, its text ("epc=lock,access=lock verified") follows the
    // EPC and TID, the detail after it.
    void event(const QString& name, const QString& epc, const QString& tid,
               const QString& detail = {}, const QString& lock = {}) {
        clearProgress();
        if (json_) {
            QJsonObject object{{QStringLiteral("event"), name}};
            if (!epc.isEmpty())
                object.insert(QStringLiteral("epc"), epc);
            if (!tid.isEmpty())
                object.insert(QStringLiteral("tid"), tid);
            if (!lock.isEmpty())
                object.insert(QStringLiteral("lock"), lock);
            if (!detail.isEmpty())
                object.insert(QStringLiteral("detail"), detail);
            object.insert(QStringLiteral("time"),
                          QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
            printJson(object);
        } else {
            QString line = name + ' ' + epc + (tid.isEmpty() ? QString() : ' ' + tid);
            const QString said = lock.isEmpty() || detail.isEmpty()
                                     ? lock + detail
                                     : lock + QStringLiteral(": ") + detail;
            if (!said.isEmpty())
                line += QStringLiteral(": ") + said;
            printOut(line.trimmed());
        }
        showProgress();
    }

    void counted(bool issued) { (issued ? issued_ : failed_)++; }
    // A run that locks says how many tags were locked and verified.
    void countLock(const IssuingJournal::Lock& lock) {
        locked_ += lock.locked == IssuingJournal::Step::Done;
        verified_ += lock.verified == IssuingJournal::Step::Done;
    }
    int issued() const { return issued_; }
    double perMinute() const {
        const qint64 ms = clock_.elapsed();
        return ms > 0 ? issued_ * 60000.0 / ms : 0.0;
    }

    // Why the run ended before its count, when the operator or the reader
    // stopped it.
    void stopped(const QString& reason) { stopReason_ = reason; }

    void summary() {
        clearProgress();
        const QString locks =
            locking_ ? QStringLiteral(", locked %1, verified %2").arg(locked_).arg(verified_)
                     : QString();
        QString text = QStringLiteral("issued %1 of %2, failed %3%4, %5 tags per minute")
                           .arg(issued_)
                           .arg(count_)
                           .arg(failed_)
                           .arg(locks)
                           .arg(perMinute(), 0, 'f', 1);
        if (!stopReason_.isEmpty())
            text += QStringLiteral(", ") + stopReason_;
        if (json_) {
            QJsonObject object{{QStringLiteral("event"), QStringLiteral("summary")},
                               {QStringLiteral("issued"), issued_},
                               {QStringLiteral("count"), count_},
                               {QStringLiteral("failed"), failed_},
                               {QStringLiteral("tagsPerMinute"), perMinute()}};
            if (locking_) {
                object.insert(QStringLiteral("locked"), locked_);
                object.insert(QStringLiteral("verified"), verified_);
            }
            if (!stopReason_.isEmpty())
                object.insert(QStringLiteral("stopped"), stopReason_);
            printJson(object);
        } else {
            QTextStream(stderr) << text << Qt::endl;
        }
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
    bool locking_;
    int issued_ = 0;
    int failed_ = 0;
    int locked_ = 0;
    int verified_ = 0;
    QElapsedTimer clock_;
    QString stopReason_;
};

// What the operator asked for, read strictly.
struct IssueOptions {
    int count = 0;
    int pause = 0;
    QString password;
    // Empty without --start: the journal's series goes on.
    QString start;
    QString step;
    // The series' last number: a GS1 serial field's largest value, else empty.
    QString last;
    bool reverse = false;
    QString station;
    bool json = false;
    // With --lock: the plan and the key.
    std::optional<EpcIssuer::LockSetup> lock;
    QString keyFile;
};

// The longest pause between tags: an hour.
constexpr qint64 maxPause = 3600000;

void addIssueOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {QStringLiteral("start"),
         QStringLiteral("First number of a series: hex, or a GS1 tag URI or element string, "
                        "whose serial field the series counts (the step is then decimal)."),
         QStringLiteral("hex|uri")},
        {QStringLiteral("count"), QStringLiteral("Number of tags to issue."), QStringLiteral("n")},
        {QStringLiteral("step"),
         QStringLiteral("Added to each number, hex, by value no wider than --start (default 1)."),
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
         QStringLiteral("name"), IssuingJournal::defaultStation()},
        {QStringLiteral("lock"),
         QStringLiteral("After writing and reading back each tag, give it its own access "
                        "password (derived from --access-key and its TID), lock these areas "
                        "(epc, access, or both: epc,access) and verify the lock."),
         QStringLiteral("areas")},
        {QStringLiteral("permalock"),
         QStringLiteral("With --lock: lock the areas permanently; they can never be changed "
                        "again, not even with the password.")},
        {QStringLiteral("access-key"),
         QStringLiteral("With --lock: the key file the access passwords are derived from "
                        "(readable by its owner only; see --make-key)."),
         QStringLiteral("file")},
        {QStringLiteral("make-key"),
         QStringLiteral("Create a new access key file (mode 0600) from the system's random "
                        "source and stop; an existing file is never replaced."),
         QStringLiteral("file")},
    });
}

// issue --make-key FILE: nothing else is done.
int makeKey(const QString& file) {
    QString why;
    const std::optional<AccessKey> key =
        AccessKey::make(file, &why) ? AccessKey::load(file, &why) : std::nullopt;
    if (!key)
        return failWith(exitUsage, QStringLiteral("issue --make-key: ") + why);
    printResult(QStringLiteral("created the access key %1 (key id %2); keep a copy in a safe "
                               "place: without it no locked tag can be changed")
                    .arg(file, key->id()),
                {{QStringLiteral("event"), QStringLiteral("key")},
                 {QStringLiteral("file"), file},
                 {QStringLiteral("keyId"), key->id()}});
    return exitOk;
}

// The areas issuing may lock: those whose lock can be verified without
// changing the tag.
const uhf::LockArea lockableAreas[] = {uhf::LockArea::Epc, uhf::LockArea::AccessPassword};

// --lock, --permalock and --access-key: -1 when good (or not given), else the
// exit code, the refusal printed. Nothing is sent without a key that can be used.
int readLockOptions(const CommandParser& command, IssueOptions* options) {
    const QString issue = QStringLiteral("issue");
    if (!command.isSet(QStringLiteral("lock"))) {
        if (command.isSet(QStringLiteral("permalock")) ||
            command.isSet(QStringLiteral("access-key")))
            return usageError(issue,
                              QStringLiteral("issue: --permalock and --access-key go with --lock"));
        return -1;
    }
    const uhf::LockAction action = command.isSet(QStringLiteral("permalock"))
                                       ? uhf::LockAction::Permalock
                                       : uhf::LockAction::Lock;
    uhf::LockPlan plan;
    const QString areas = command.value(QStringLiteral("lock"));
    for (const QString& name : areas.split(',')) {
        uhf::LockArea area;
        if (!uhf::lockAreaFromName(name.trimmed(), &area) ||
            std::find(std::begin(lockableAreas), std::end(lockableAreas), area) ==
                std::end(lockableAreas) ||
            plan.action(area))
            return usageError(issue,
                              QStringLiteral("issue: --lock takes epc, access or epc,access, not "
                                             "'%1'")
                                  .arg(areas));
        plan.set(area, action);
    }
    if (!command.isSet(QStringLiteral("access-key")))
        return usageError(issue, QStringLiteral("issue: --lock needs --access-key FILE (make one "
                                                "with issue --make-key FILE)"));
    options->keyFile = command.value(QStringLiteral("access-key"));
    QString why;
    const std::optional<AccessKey> key = AccessKey::load(options->keyFile, &why);
    if (!key)
        return failWith(exitUsage, QStringLiteral("issue: ") + why);
    options->lock = EpcIssuer::LockSetup{plan, *key};
    return -1;
}

// -1 when the options are good, else the exit code, the refusal printed.
int readIssueOptions(const CommandParser& command, IssueOptions* options) {
    const QString issue = QStringLiteral("issue");
    qint64 count = 0;
    qint64 pause = 0;
    int refused = decimalArgument(issue, QStringLiteral("--count"),
                                  command.value(QStringLiteral("count")), 1, INT_MAX, &count);
    if (refused < 0)
        refused = decimalArgument(issue, QStringLiteral("--pause"),
                                  command.value(QStringLiteral("pause")), 0, maxPause, &pause);
    if (refused < 0)
        refused = hexArgument(issue, QStringLiteral("--password"),
                              command.value(QStringLiteral("password")), 4, 4, &options->password);
    if (refused >= 0)
        return refused;
    options->count = int(count);
    options->pause = int(pause);
    options->reverse = command.isSet(QStringLiteral("reverse"));
    options->station = command.value(QStringLiteral("station"));
    if (const QString problem = IssuingJournal::stationProblem(options->station);
        !problem.isEmpty())
        return usageError(issue, QStringLiteral("issue: --station: ") + problem);
    options->json = command.isSet(QStringLiteral("json"));
    refused = readLockOptions(command, options);
    if (refused >= 0)
        return refused;
    if (!command.isSet(QStringLiteral("start"))) {
        if (command.isSet(QStringLiteral("step")) || options->reverse)
            return usageError(QStringLiteral("issue"),
                              QStringLiteral("issue: --step and --reverse go with --start"));
        return -1;
    }

    const QString startText = command.value(QStringLiteral("start"));
    if (isGs1Start(startText)) {
        refused = gs1Series(command, &options->start, &options->step, &options->last);
    } else {
        const QString stepText = command.value(QStringLiteral("step"));
        // A step is a number: an odd count of digits reads as if a 0 led.
        QString padded;
        const QString step =
            stepText.size() % 2 && hex::strictDigits('0' + stepText, &padded) ? padded : stepText;
        refused = hexArgument(issue, QStringLiteral("--start"), startText, 1, 64, &options->start);
        if (refused < 0)
            refused = hexArgument(issue, QStringLiteral("--step"), step, 1, 64, &options->step);
        // The journal reads the step by value; refusals quote it as typed.
        if (refused < 0 && step != stepText)
            options->step.remove(0, 1);
        if (refused < 0)
            if (const QString problem = epcNumberProblem(options->start); !problem.isEmpty())
                refused = usageError(
                    issue, QStringLiteral("issue: --start '%1': %2").arg(startText, problem));
    }
    if (refused >= 0)
        return refused;
    // The journal's rule, before it is opened: a step of 1 or more, by value
    // no wider than the start.
    if (const QString problem = IssuingJournal::seriesProblem(options->start, options->step,
                                                              options->reverse, options->last);
        !problem.isEmpty())
        return usageError(issue, QStringLiteral("issue: ") + problem);
    return -1;
}

// The series to issue from: the one --start names (joined if the journal has
// it), else the journal's last one. -1 when found, else the exit code.
int openIssueSeries(IssuingJournal& journal, const IssueOptions& options,
                    std::optional<IssuingJournal::Series>* series) {
    if (!options.start.isEmpty()) {
        *series = journal.openSeries(options.start, options.step, options.reverse, options.last);
        return *series ? -1 : failWith(exitJournalError, journal.errorText());
    }
    *series = journal.lastSeries(options.station);
    if (*series)
        return -1;
    if (!journal.errorText().isEmpty())
        return failWith(exitJournalError, journal.errorText());
    // A station without a series of its own is told which series the journal has.
    for (const IssuingJournal::SeriesSummary& summary : journal.seriesSummaries())
        printError(seriesLine(summary));
    return usageError(QStringLiteral("issue"),
                      QStringLiteral("issue: station %1 has no series to continue; give --start "
                                     "(the journal's series are listed above)")
                          .arg(options.station));
}

// A series is locked with one key: another key would leave the operator
// with tags whose passwords no single key gives back. -1 when it may go on,
// else the exit code, the refusal printed.
int checkSeriesKey(IssuingJournal& journal, const IssuingJournal::Series& series,
                   const IssueOptions& options) {
    const QStringList keys = journal.keyIds(series.id);
    if (!journal.errorText().isEmpty())
        return failWith(exitJournalError, journal.errorText());
    if (!options.lock) {
        if (!keys.isEmpty())
            printError(QStringLiteral("series %1's tags were locked (key id %2), but this run does "
                                      "not lock: give --lock and --access-key to lock these too")
                           .arg(series.id)
                           .arg(keys.join(QStringLiteral(", "))));
        return -1;
    }
    const QString id = options.lock->key.id();
    for (const QString& key : keys)
        if (key != id)
            return usageError(QStringLiteral("issue"),
                              QStringLiteral("issue: series %1 was locked with key id %2, not "
                                             "with key id %3 of %4: give --access-key the file "
                                             "of key %2")
                                  .arg(series.id)
                                  .arg(key, id, options.keyFile));
    return -1;
}

// Records a crash left pending are settled before any new number is taken,
// and the locks left unfinished are finished where their tags are here.
void settlePending(EpcIssuer& issuer, Report& report) {
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
    for (const IssuingJournal::Record& record : settled.locked)
        report.event(QStringLiteral("lock-settled"), record.epc, record.tid, {},
                     lockText(record.lock));
    if (!issuer.lockSetup()) {
        if (!settled.lockLeft.isEmpty())
            printError(QStringLiteral("%1 tags wait for their lock to be finished (journal check "
                                      "lists them): give --lock and --access-key")
                           .arg(settled.lockLeft.size()));
        return;
    }
    for (const IssuingJournal::Record& record : settled.lockLeft)
        report.event(
            QStringLiteral("lock-unfinished"), record.epc, record.tid,
            record.lock.keyId == issuer.lockSetup()->key.id()
                ? QStringLiteral("not finished now; journal check lists it")
                : QStringLiteral("locked with key id %1, not this key").arg(record.lock.keyId),
            lockText(record.lock));
}

// For the crash tests: RFID_SETUP_CLI_KILL_AT=STEP:N makes this process kill
// itself (SIGKILL, as a power cut would stop it) the Nth time it has done that
// step (reserve, write, read-back, password, lock, verify). Honoured only with
// --simulate, so that a stray variable cannot stop a station at work.
void killAtStepForTests(EpcIssuer& issuer, bool simulate) {
    static const char* const stepNames[] = {"reserve",  "write", "read-back",
                                            "password", "lock",  "verify"};
    const QString wanted = qEnvironmentVariable("RFID_SETUP_CLI_KILL_AT");
    if (wanted.isEmpty() || !simulate)
        return;
    const QString name = wanted.section(':', 0, 0);
    const int times = wanted.section(':', 1).toInt();
    auto count = std::make_shared<int>(0);
    issuer.stepDone = [name, times, count](EpcIssuer::Step step) {
        if (name == QLatin1String(stepNames[int(step)]) && ++*count >= times)
            ::raise(SIGKILL);
    };
}

// What the operator can do about a refusal that comes back tag after tag.
QString refusalAdvice(const QString& refusal) {
    if (refusal == uhfErrorText(QStringLiteral("B3")))
        return QStringLiteral("the EPC is longer than the tags' memory; use a shorter number or "
                              "other tags");
    if (refusal == uhfErrorText(QStringLiteral("16")))
        return QStringLiteral("the tags have another access password; give it with --password");
    return QStringLiteral("check the tags and the reader");
}

// Tags the reader refused the same way in a row before the run stops.
constexpr int sameRefusalLimit = 3;

// Issues until the count is reached, the operator stops, or something stops
// the run; the exit code.
int issueTags(EpcIssuer& issuer, CliReader& reader, Report& report, const IssueOptions& options) {
    const StopOnSignal stop(reader.link());
    int noReplies = 0;
    while (report.issued() < options.count && !stop.stopped()) {
        const EpcIssuer::Attempt attempt = issuer.attempt();
        const QString name = QLatin1String(eventName(attempt.event));
        noReplies = attempt.event == EpcIssuer::Event::NoReply ? noReplies + 1 : 0;
        int wait = options.pause;
        const QString lock = lockText(attempt.lock);
        switch (attempt.event) {
        case EpcIssuer::Event::Issued:
            if (attempt.lock.inUse()) {
                // Written but not locked is not a finished tag.
                const bool verified = attempt.lock.verified == IssuingJournal::Step::Done;
                report.countLock(attempt.lock);
                report.counted(verified);
                report.event(verified                ? name
                             : attempt.lock.failed() ? QStringLiteral("lock-failed")
                                                     : QStringLiteral("lock-unfinished"),
                             attempt.epc, attempt.tid, attempt.lockDetail, lock);
                break;
            }
            [[fallthrough]];
        case EpcIssuer::Event::NotWritten:
        case EpcIssuer::Event::Uncertain:
            report.counted(attempt.event == EpcIssuer::Event::Issued);
            report.event(name, attempt.epc, attempt.tid, attempt.detail);
            break;
        case EpcIssuer::Event::Skipped:
            report.event(name, attempt.epc, attempt.tid,
                         attempt.lockDetail.isEmpty()
                             ? QStringLiteral("already in the journal")
                             : QStringLiteral("already in the journal; ") + attempt.lockDetail,
                         lock);
            break;
        case EpcIssuer::Event::Exhausted:
            report.event(name, {}, attempt.tid, attempt.detail);
            return failWith(exitIncomplete, attempt.detail);
        case EpcIssuer::Event::Conflict:
        case EpcIssuer::Event::JournalFailed:
            report.event(name, attempt.epc, attempt.tid, attempt.detail);
            return failWith(attempt.event == EpcIssuer::Event::Conflict ? exitJournalConflict
                                                                        : exitJournalError,
                            attempt.detail);
        case EpcIssuer::Event::NoReply:
            // Three missed replies: say why the reader is not answering.
            if (noReplies >= noReplyLimit) {
                report.stopped(runEndText(RunEnd::NoReply, noReplies));
                return reader.noReply();
            }
            [[fallthrough]];
        case EpcIssuer::Event::NoTag:
        case EpcIssuer::Event::SameTag:
        case EpcIssuer::Event::Unreadable:
            wait = std::max(options.pause, idlePoll);
            break;
        }
        if (issuer.sameRefusals() >= sameRefusalLimit)
            return failWith(exitReaderError,
                            QStringLiteral("issue: the reader refused %1 tags in a row: %2: %3")
                                .arg(issuer.sameRefusals())
                                .arg(issuer.refusal(), refusalAdvice(issuer.refusal())));
        reader.link().waitUntil(wait, [&stop] { return stop.stopped(); });
    }
    if (stop.stopped())
        report.stopped(StopOnSignal::reason());
    return report.issued() == options.count ? exitOk : exitIncomplete;
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
    addIssueOptions(command.parser());
    addGs1StartOptions(command.parser());
    addJournalOption(command.parser());
    CliReader::addOptions(command.parser());
    int exitCode = command.parse(arguments, 0, 0);
    if (exitCode < 0 && command.isSet(QStringLiteral("make-key")))
        return makeKey(command.value(QStringLiteral("make-key")));
    IssueOptions options;
    if (exitCode < 0)
        exitCode = readIssueOptions(command, &options);
    if (exitCode >= 0)
        return exitCode;

    // Without --start only a journal file that is there has a series to go on
    // with: a run that cannot start creates no journal, nor its folder.
    QString addressProblem;
    const std::optional<IssuingJournal::Address> address = IssuingJournal::parseAddress(
        IssuingJournal::configuredAddress(command.value(QStringLiteral("journal"))),
        &addressProblem);
    if (options.start.isEmpty() && address && !address->postgres &&
        !QFileInfo::exists(address->file))
        return usageError(QStringLiteral("issue"),
                          QStringLiteral("issue: there is no journal at %1 yet, so no series to "
                                         "continue: give --start to begin one")
                              .arg(address->file));
    IssuingJournal journal;
    if (!openJournal(journal, command))
        return exitJournalError;
    if (journal.created())
        printError(QStringLiteral("created a new journal at ") + journal.displayAddress());
    // One process at a time under a station's name.
    if (const IssuingJournal::Status held = journal.hold(options.station);
        held != IssuingJournal::Status::Ok)
        return failWith(held == IssuingJournal::Status::Conflict ? exitJournalConflict
                                                                 : exitJournalError,
                        journal.errorText());
    std::optional<IssuingJournal::Series> series;
    exitCode = openIssueSeries(journal, options, &series);
    if (exitCode < 0)
        exitCode = checkSeriesKey(journal, *series, options);
    if (exitCode >= 0)
        return exitCode;

    CliReader reader;
    if (!reader.open(command, &exitCode))
        return exitCode;
    EpcOperations operations(reader.link());
    EpcIssuer issuer(operations, journal, *series, options.station, options.password);
    issuer.tagDone = tagRemover(reader.device());
    issuer.setLock(options.lock);
    killAtStepForTests(issuer, command.isSet(QStringLiteral("simulate")));

    Report report(options.json, options.count, options.lock.has_value());
    settlePending(issuer, report);
    exitCode = issueTags(issuer, reader, report, options);
    report.summary();
    return exitCode;
}
