#include "profile_command.h"

#include "cli_support.h"
#include "settings/configuration_record.h"
#include "settings/profile_applier.h"

#include <QJsonObject>
#include <QTextStream>
#include <algorithm>

using settings::Profile;
using settings::SettingResult;

namespace {

const QList<CommandAction> kActions = {
    {"apply", "FILE: send a profile's settings to the reader, read back, record the result"},
    {"check", "FILE: validate a profile and print its frames"},
    {"template", "print a profile with every setting at the window's defaults"},
};

const char* description(const QString& action) {
    if (action == QLatin1String("apply"))
        return "profile apply FILE: send a configuration profile's settings to the reader (or, "
               "with --all-readers, to every reader found), read back what the reader reports, "
               "and record the result in the journal's database.";
    if (action == QLatin1String("check"))
        return "profile check FILE: validate a profile and print the frames it would send.";
    return "profile template: a profile with every setting at the window's defaults.";
}

// The options of an action; the options common to every command are taken by
// the others too, without being described in their help.
void addOptions(QCommandLineParser& parser, const QString& action) {
    if (action == QLatin1String("apply")) {
        CliReader::addOptions(parser);
        addJournalOption(parser);
        parser.addOptions({
            {QStringLiteral("all-readers"), QStringLiteral("Set up every reader found, in turn.")},
            {QStringLiteral("keep-going"),
             QStringLiteral("Send the remaining settings after a failure.")},
            {QStringLiteral("dry-run"),
             QStringLiteral("Print the frames that would be sent; send nothing.")},
        });
        return;
    }
    if (action == QLatin1String("check"))
        parser.addOption(
            {QStringLiteral("address"),
             QStringLiteral("Reader address in the frames, two hex digits (default 00)."),
             QStringLiteral("hex"), QStringLiteral("00")});
    for (const char* name : {"simulate", "library", "journal"}) {
        QCommandLineOption common(QString::fromLatin1(name), QString());
        if (qstrcmp(name, "simulate") != 0)
            common.setValueName(QStringLiteral("value"));
        common.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(common);
    }
}

QString readerName(const ReaderInfo& reader) {
    return reader.id() + QLatin1Char(' ') + (reader.serial.isEmpty() ? reader.path : reader.serial);
}

// Prints results as text or as one JSON object a line.
class Report {
  public:
    explicit Report(bool json) : json_(json) {}

    void result(const QString& reader, const SettingResult& r) {
        if (json_)
            printJson({{QStringLiteral("reader"), reader},
                       {QStringLiteral("setting"), r.setting},
                       {QStringLiteral("outcome"), settings::outcomeName(r.outcome)},
                       {QStringLiteral("detail"), r.detail}});
        else
            printOut(QStringLiteral("  %1 %2 %3")
                         .arg(r.setting.leftJustified(24), settings::outcomeName(r.outcome),
                              r.detail.trimmed())
                         .trimmed()
                         .prepend(QStringLiteral("  ")));
    }

    void summary(const QString& reader, const QList<SettingResult>& results, const QString& note) {
        QMap<QString, int> counts;
        for (const SettingResult& r : results)
            ++counts[settings::outcomeName(r.outcome)];
        const bool ok = settings::allSucceeded(results) && note.isEmpty();
        if (json_) {
            QJsonObject object{{QStringLiteral("reader"), reader},
                               {QStringLiteral("summary"),
                                ok ? QStringLiteral("configured") : QStringLiteral("failed")}};
            for (auto it = counts.cbegin(); it != counts.cend(); ++it)
                object.insert(it.key(), it.value());
            if (!note.isEmpty())
                object.insert(QStringLiteral("detail"), note);
            printJson(object);
            return;
        }
        QStringList parts;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            parts << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
        printOut(
            QStringLiteral("%1: %2%3%4")
                .arg(reader, ok ? QStringLiteral("configured") : QStringLiteral("FAILED"),
                     parts.isEmpty() ? QString() : QStringLiteral(" (") + parts.join(", ") + ')',
                     note.isEmpty() ? QString() : QStringLiteral(": ") + note));
    }

    void heading(const QString& text) {
        if (!json_)
            printOut(text);
    }

  private:
    bool json_;
};

// The exit code of a reader's results: a refusal or a wrong read-back before no reply.
int exitCodeOf(const QList<SettingResult>& results) {
    int code = exitOk;
    for (const SettingResult& r : results) {
        if (r.outcome == SettingResult::Outcome::NoReply && code == exitOk)
            code = exitNoReply;
        if (r.outcome == SettingResult::Outcome::Refused ||
            r.outcome == SettingResult::Outcome::Garbled ||
            r.outcome == SettingResult::Outcome::Mismatch)
            code = exitReaderError;
    }
    return code;
}

// The worse of two readers' exit codes, whatever their order: the journal
// before a reader error, a reader error before no reply.
int worse(int a, int b) {
    for (const int code : {exitJournalError, exitReaderError, exitNoReply})
        if (a == code || b == code)
            return code;
    return exitOk;
}

std::optional<Profile> loadProfile(const QString& fileName) {
    QStringList problems;
    std::optional<Profile> profile = Profile::load(fileName, &problems);
    for (const QString& problem : problems)
        printError(problem);
    return profile;
}

void printFrames(const Profile& profile, const QString& address) {
    for (const settings::ProfileSetting& setting : profile.settings())
        printOut(QStringLiteral("%1 %2").arg(setting.name.leftJustified(20),
                                             settings::displayedFrame(address, setting)));
    // The module's settings go through the tunnel, each read back; the Query
    // word depends on what the module holds, so the values are shown, not frames.
    const QString module = settings::moduleSettingsText(profile.module());
    if (!module.isEmpty())
        printOut(QStringLiteral("%1 %2").arg(QStringLiteral("uhf_module").leftJustified(20),
                                             module + QStringLiteral(" (each read back)")));
}

int apply(CommandParser& command, const Profile& profile) {
    IssuingJournal journal;
    if (!openJournal(journal, command))
        return exitJournalError;
    ConfigurationRecord record(journal.database());
    if (!record.isReady())
        return failWith(exitJournalError, record.errorText());

    CliReader reader;
    int exitCode = exitOk;
    if (!reader.open(command, &exitCode))
        return exitCode;
    ReaderDevice& device = reader.device();
    const bool everyReader = command.isSet(QStringLiteral("all-readers"));
    if (everyReader && !device.listsReaders())
        return failWith(exitReaderError, QStringLiteral("profile apply: the reader library "
                                                        "cannot list readers"));
    const QList<ReaderInfo> readers = settings::EveryReader::targets(device, everyReader);
    if (readers.isEmpty())
        return failWith(exitNoReply, QStringLiteral("profile apply: no reader found"));

    Report report(command.isSet(QStringLiteral("json")));
    settings::ProfileApplier applier(reader.link());
    applier.keepGoing = command.isSet(QStringLiteral("keep-going"));
    settings::EveryReader every;
    every.name = [](const ReaderInfo& target) {
        return target.vendorId == 0 ? QStringLiteral("reader") : readerName(target);
    };
    every.started = [&](const QString& name) {
        report.heading(name + QStringLiteral(": profile ") + profile.name());
    };
    every.progress = [&](const QString& name, const SettingResult& r, int) {
        report.result(name, r);
    };
    every.finished = [&](const settings::EveryReader::Application& a) {
        if (a.gone) {
            report.summary(a.name, {}, QStringLiteral("the reader has gone away"));
            exitCode = worse(exitCode, exitNoReply);
            return;
        }
        report.summary(a.name, a.results, a.recordError);
        exitCode = worse(exitCode,
                         a.recordError.isEmpty() ? exitCodeOf(a.results) : int(exitJournalError));
    };
    every.apply(applier, &record, profile, readers, everyReader);
    return exitCode;
}

} // namespace

int profileCommand(const QStringList& arguments) {
    const QString action = arguments.value(1);
    if (std::none_of(kActions.begin(), kActions.end(),
                     [&](const CommandAction& a) { return action == QLatin1String(a.name); }))
        return actionHelp(QStringLiteral("profile"), kActions, action);
    CommandParser command(QStringLiteral("profile ") + action,
                          QString::fromLatin1(description(action)));
    addOptions(command.parser(), action);
    const bool takesFile = action != QLatin1String("template");
    const int parsed = command.parse(arguments.mid(1), takesFile ? 1 : 0, takesFile ? 1 : 0);
    if (parsed >= 0)
        return parsed;
    if (!takesFile) {
        QTextStream(stdout) << Profile::templateText();
        return exitOk;
    }
    const std::optional<Profile> profile = loadProfile(command.positional().at(0));
    if (!profile)
        return exitUsage;
    QString address;
    const int addressCheck =
        hexArgument(QStringLiteral("profile ") + action, QStringLiteral("--address"),
                    command.value(QStringLiteral("address")), 1, 1, &address);
    if (addressCheck >= 0)
        return addressCheck;
    if (action == QLatin1String("check") || command.isSet(QStringLiteral("dry-run"))) {
        printFrames(*profile, address);
        return exitOk;
    }
    return apply(command, *profile);
}
