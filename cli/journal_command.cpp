#include "journal_command.h"

#include "cli_support.h"
#include "protocol/conversion.h"
#include "uhf/gs1_epc.h"
#include "uhf/issuing_journal.h"

#include <QFile>
#include <QTextStream>

int journalCommand(const QStringList& arguments) {
    const QString action = arguments.value(1);
    CommandParser command(QStringLiteral("journal ") + action,
                          QStringLiteral("journal list [--last N]: the records, oldest first; "
                                         "journal export --csv [--output FILE]: every record as "
                                         "CSV; journal check: no number and no TID twice."));
    addJournalOption(command.parser());
    command.parser().addOptions({
        {QStringLiteral("last"), QStringLiteral("list: only the last N records."),
         QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("csv"), QStringLiteral("export: as CSV (the one export format).")},
        {QStringLiteral("output"), QStringLiteral("export: write to FILE instead of stdout."),
         QStringLiteral("file")},
    });
    const int parsed = command.parse(arguments.mid(1), 0, 0);
    if (parsed >= 0)
        return parsed;
    if (action != QLatin1String("list") && action != QLatin1String("export") &&
        action != QLatin1String("check"))
        return failWith(exitUsage, QStringLiteral("journal: list, export --csv or check"));
    if (action == QLatin1String("export") && !command.isSet(QStringLiteral("csv")))
        return failWith(exitUsage, QStringLiteral("journal export: give --csv"));
    int last = 0;
    if (!tryStrToInt(command.value(QStringLiteral("last")), &last) || last < 0)
        return failWith(exitUsage, QStringLiteral("journal list: --last takes a number"));

    IssuingJournal journal;
    if (!openJournal(journal, command))
        return exitJournalError;
    if (action == QLatin1String("check")) {
        const IssuingJournal::Check check = journal.check();
        for (const QString& problem : check.problems)
            printOut(problem);
        printOut(QStringLiteral("%1 problems, %2 pending, %3 uncertain")
                     .arg(check.problems.size())
                     .arg(check.pending)
                     .arg(check.uncertain));
        return check.problems.isEmpty() ? exitOk : exitJournalConflict;
    }
    const QList<IssuingJournal::Record> records = journal.records(last);
    if (!journal.errorText().isEmpty())
        return failWith(exitJournalError, journal.errorText());
    QFile file;
    if (command.isSet(QStringLiteral("output"))) {
        file.setFileName(command.value(QStringLiteral("output")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return failWith(exitUsage, file.fileName() + QStringLiteral(": ") + file.errorString());
    } else if (!file.open(stdout, QIODevice::WriteOnly)) {
        return exitUsage;
    }
    QTextStream out(&file);
    if (action == QLatin1String("export")) {
        out << IssuingJournal::csv(records);
        return exitOk;
    }
    for (const IssuingJournal::Record& r : records)
        out << QStringList{QString::number(r.id),
                           QString::number(r.series),
                           r.epc,
                           r.tid,
                           r.station,
                           r.time,
                           outcomeName(r.outcome),
                           gs1::tagUriOf(r.epc)}
                   .join(QLatin1String("  "))
                   .trimmed()
            << '\n';
    return exitOk;
}
