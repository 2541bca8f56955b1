#include "journal_command.h"

#include "cli_support.h"
#include "epcis_command.h"
#include "settings/configuration_record.h"
#include "uhf/gs1_epc.h"
#include "uhf/issuing_journal.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <unistd.h>

namespace {

// The profiles applied: one line per application, or one CSV line per setting.
int configuredCommand(const IssuingJournal& journal, bool csv) {
    ConfigurationRecord record(journal.database());
    const QList<ConfigurationRecord::Application> applications = record.applications();
    if (!record.isReady())
        return failWith(exitJournalError, record.errorText());
    QTextStream out(stdout);
    if (csv) {
        out << ConfigurationRecord::csv(applications);
        return exitOk;
    }
    for (const ConfigurationRecord::Application& a : applications) {
        QStringList failures;
        for (const settings::SettingResult& r : a.results)
            if (r.outcome != settings::SettingResult::Outcome::Success)
                failures << r.setting + QLatin1Char('=') + settings::outcomeName(r.outcome);
        out << QStringList{QString::number(a.id),
                           a.time,
                           a.reader,
                           a.profile,
                           a.profileHash.left(12),
                           failures.isEmpty() ? QStringLiteral("configured")
                                              : failures.join(QLatin1Char(','))}
                   .join(QLatin1String("  "))
            << '\n';
    }
    return exitOk;
}

QJsonObject recordObject(const IssuingJournal::Record& r) {
    return {{QStringLiteral("event"), QStringLiteral("record")},
            {QStringLiteral("id"), r.id},
            {QStringLiteral("series"), r.series},
            {QStringLiteral("epc"), r.epc},
            {QStringLiteral("tid"), r.tid},
            {QStringLiteral("station"), r.station},
            {QStringLiteral("time"), r.time},
            {QStringLiteral("outcome"), outcomeName(r.outcome)},
            {QStringLiteral("uri"), gs1::tagUriOf(r.epc)},
            {QStringLiteral("lock"), lockText(r.lock)},
            {QStringLiteral("keyId"), r.lock.keyId}};
}

// Writes the whole output, every write, flush and close checked: to stdout,
// or to the file through a temporary one renamed over it, so that a failure
// never leaves a partial file that looks complete. A device or a pipe named
// as the file is written directly. A failure is one line and exitJournalError.
int writeOutput(const QString& command, const QString& fileName, const QByteArray& bytes) {
    auto failed = [&](const QString& where, const QString& reason) {
        return failWith(exitJournalError, QStringLiteral("%1: cannot write %2: %3 (check the "
                                                         "free space and the permissions)")
                                              .arg(command, where, reason));
    };
    const QFileInfo target(fileName);
    if (fileName.isEmpty() || (target.exists() && !target.isFile())) {
        QFile file;
        const bool opened = fileName.isEmpty()
                                ? file.open(STDOUT_FILENO, QIODevice::WriteOnly)
                                : (file.setFileName(fileName), file.open(QIODevice::WriteOnly));
        const bool written = opened && file.write(bytes) == bytes.size() && file.flush();
        const QString reason = file.errorString();
        // Closing a file Qt did not open leaves the descriptor to stdout.
        file.close();
        if (!written || file.error() != QFileDevice::NoError)
            return failed(fileName.isEmpty() ? QStringLiteral("stdout") : fileName, reason);
        return exitOk;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return failed(fileName, file.errorString());
    return exitOk;
}

} // namespace

int journalCommand(const QStringList& arguments) {
    const QString action = arguments.value(1);
    const QList<CommandAction> actions = {
        {"list", "[--last N]: the records, oldest first"},
        {"export", "--csv [--output FILE]: every record as CSV (--json: as JSON lines)"},
        {"series", "every series with its last number, stations and outcomes"},
        {"check", "damage, numbers or TIDs held twice, gaps, and the records still open"},
        {"configured", "[--csv]: the profiles applied to readers"},
    };
    const auto known = std::find_if(actions.begin(), actions.end(),
                                    [&](const auto& a) { return action == QLatin1String(a.name); });
    if (known == actions.end())
        return actionHelp(QStringLiteral("journal"), actions, action);
    CommandParser command(
        QStringLiteral("journal ") + action,
        QStringLiteral("journal %1: %2.").arg(action, QLatin1String(known->summary)));
    addJournalOption(command.parser());
    if (action == QLatin1String("list"))
        command.parser().addOption({QStringLiteral("last"),
                                    QStringLiteral("Only the last N records."), QStringLiteral("n"),
                                    QStringLiteral("0")});
    if (action == QLatin1String("configured"))
        command.parser().addOption(
            {QStringLiteral("csv"), QStringLiteral("As CSV, a line per setting.")});
    if (action == QLatin1String("export"))
        command.parser().addOptions({
            {QStringLiteral("csv"), QStringLiteral("As CSV.")},
            {QStringLiteral("output"), QStringLiteral("Write to FILE instead of stdout."),
             QStringLiteral("file")},
        });
    if (action == QLatin1String("export"))
        addEpcisOptions(command.parser());
    int parsed = command.parse(arguments.mid(1), 0, 0);
    qint64 last = 0;
    if (parsed < 0 && action == QLatin1String("list"))
        parsed = decimalArgument(command.name(), QStringLiteral("--last"),
                                 command.value(QStringLiteral("last")), 0, 1000000000, &last);
    if (parsed >= 0)
        return parsed;
    if (action == QLatin1String("export") && epcisRequested(command))
        return epcisExportCommand(command);
    const bool json = globaloptions::json();
    if (action == QLatin1String("export") && !command.isSet(QStringLiteral("csv")) && !json)
        return usageError(command.name(), QStringLiteral("journal export: give --csv or --json"));

    // The journal is only read: never created, repaired or indexed here.
    IssuingJournal journal;
    if (!openJournal(journal, command, IssuingJournal::Access::Read))
        return action == QLatin1String("check") && journal.damaged() ? exitJournalConflict
                                                                     : exitJournalError;
    if (action == QLatin1String("configured"))
        return configuredCommand(journal, command.isSet(QStringLiteral("csv")));
    if (action == QLatin1String("check")) {
        const IssuingJournal::Check check = journal.check();
        for (const QString& problem : check.problems)
            printResult(problem, {{QStringLiteral("event"), QStringLiteral("problem")},
                                  {QStringLiteral("message"), problem}});
        for (const QString& open : check.open)
            printResult(open, {{QStringLiteral("event"), QStringLiteral("open")},
                               {QStringLiteral("message"), open}});
        // Journals without locked tags keep the line they always had.
        const QString locks =
            check.lockNotVerified > 0
                ? QStringLiteral(", %1 lock not verified").arg(check.lockNotVerified)
                : QString();
        printResult(QStringLiteral("%1 problems, %2 pending, %3 uncertain%4")
                        .arg(check.problems.size())
                        .arg(check.pending)
                        .arg(check.uncertain)
                        .arg(locks),
                    {{QStringLiteral("event"), QStringLiteral("check")},
                     {QStringLiteral("problems"), int(check.problems.size())},
                     {QStringLiteral("pending"), check.pending},
                     {QStringLiteral("uncertain"), check.uncertain},
                     {QStringLiteral("lockNotVerified"), check.lockNotVerified}});
        if (check.problems.isEmpty())
            return exitOk;
        return failWith(exitJournalConflict,
                        QCoreApplication::translate(
                            "cli", "发卡记录有 %1 个问题：请按上面各行查明原因，修正之前不要"
                                   "再用这个号段发卡")
                            .arg(check.problems.size()));
    }
    if (action == QLatin1String("series")) {
        const QList<IssuingJournal::SeriesSummary> summaries = journal.seriesSummaries();
        if (!journal.errorText().isEmpty())
            return failWith(exitJournalError, journal.errorText());
        for (const IssuingJournal::SeriesSummary& summary : summaries)
            printResult(seriesLine(summary), {{QStringLiteral("event"), QStringLiteral("series")},
                                              {QStringLiteral("message"), seriesLine(summary)}});
        return exitOk;
    }
    const QList<IssuingJournal::Record> records = journal.records(int(last));
    if (!journal.errorText().isEmpty())
        return failWith(exitJournalError, journal.errorText());
    QString text;
    if (action == QLatin1String("export") && command.isSet(QStringLiteral("csv"))) {
        text = IssuingJournal::csv(records);
    } else {
        for (const IssuingJournal::Record& r : records)
            text += (json ? jsonLine(recordObject(r))
                          : QStringList{QString::number(r.id), QString::number(r.series), r.epc,
                                        r.tid, r.station, r.time, outcomeName(r.outcome),
                                        gs1::tagUriOf(r.epc), lockText(r.lock)}
                                .join(QLatin1String("  "))
                                .trimmed()) +
                    QLatin1Char('\n');
    }
    QString output =
        action == QLatin1String("export") ? command.value(QStringLiteral("output")) : QString();
    // A CSV file named without an extension gets one; a device or pipe stays as named.
    if (!json && !output.isEmpty() && QFileInfo(output).suffix().isEmpty() &&
        !QFileInfo::exists(output))
        output += QStringLiteral(".csv");
    return writeOutput(command.name(), output, text.toUtf8());
}
