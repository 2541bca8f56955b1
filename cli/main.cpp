// rfid-setup-cli: the reader commands, EPC operations and journal-backed
// issuing of rfid-setup, from a shell or a script.

#include "cli_support.h"
#include "inventory_command.h"
#include "issue_command.h"
#include "journal_command.h"
#include "module_command.h"
#include "profile_command.h"
#include "reader_commands.h"
#include "settings/language.h"
#include "tag_command.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

QtMessageHandler qtHandler = nullptr;

// Qt's warnings and the database server's notices (which the PostgreSQL
// driver passes on as warnings) are not for the operator: every failure has
// a line of its own.
void keepOnlyFailures(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        qtHandler(type, context, text);
}

const struct {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& arguments);
} commands[] = {
    {"version", "read the reader's version text", versionCommand},
    {"format", "show | set CODE: the output format of an output-format reader", formatCommand},
    {"read-mode", "set MODE: the UHF machine's read mode", readModeCommand},
    {"relay", "on | off: the UHF machine's relay output", relayCommand},
    {"epc", "read | write EPC | decode HEX | encode URI: EPCs and their GS1 meaning", epcCommand},
    {"tid", "read: the TID of the tag in the field", tidCommand},
    {"tag", "read | write | set-password | lock | kill | password: one tag's memory and locks",
     tagCommand},
    {"inventory", "a live inventory: tags, counts, RSSI, reads per second", inventoryCommand},
    {"module", "show | set ...: the UHF module's information and RF settings", moduleCommand},
    {"issue", "issue a series of EPC numbers, one per tag, recorded in the journal", issueCommand},
    {"journal", "list | export | series | check | configured: the issuing journal", journalCommand},
    {"profile", "apply FILE | check FILE | template: configuration profiles", profileCommand},
    {"raw", "HEX: send one HF payload and print the reply", rawCommand},
};

void printUsage() {
    QTextStream out(stdout);
    out << "Usage: rfid-setup-cli COMMAND [options]\n"
           "Sets up RFID readers and issues UHF tags from the command line.\n\nCommands:\n";
    for (const auto& command : commands)
        out << "  " << QString::fromLatin1(command.name).leftJustified(11) << command.summary
            << '\n';
    out << "\nOptions common to all commands, also before the command:\n"
           "  --simulate, --library FILE, --journal URL, --json, --station NAME\n"
           "\n'rfid-setup-cli COMMAND --help' describes a command and its options.\n"
           "Exit codes:";
    for (int code = exitOk; code <= exitNotTaken; ++code)
        out << (code == exitOk ? " " : ", ") << code << ' ' << exitCodeMeaning(code);
    out << ".\n";
}

// --json anywhere before a "--": errors, too, are JSON objects from the start.
bool jsonAsked(const QStringList& arguments) {
    const qsizetype end = arguments.indexOf(QStringLiteral("--"));
    return arguments.mid(0, end).contains(QStringLiteral("--json"));
}

int runCommand(QStringList arguments) {
    if (!globaloptions::take(arguments))
        return exitUsage;
    const QString first = arguments.value(1);
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        printOut(QStringLiteral("rfid-setup-cli " RFID_SETUP_VERSION));
        return exitOk;
    }
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        printUsage();
        return exitOk;
    }
    if (first.isEmpty()) {
        printUsage();
        return failWith(exitUsage, QStringLiteral("give a command (see 'rfid-setup-cli --help')"));
    }
    for (const auto& command : commands)
        if (first == QLatin1String(command.name))
            return command.run(arguments.mid(1));
    return failWith(
        exitUsage, QStringLiteral("unknown command '%1' (see 'rfid-setup-cli --help')").arg(first));
}

} // namespace

int main(int argc, char* argv[]) {
    qtHandler = qInstallMessageHandler(keepOnlyFailures);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rfid-setup-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RFID_SETUP_VERSION));
    language::install(language::choose(), {QString::fromLatin1(language::kCoreCatalog)});
    const QStringList arguments = QCoreApplication::arguments();
    globaloptions::setJson(jsonAsked(arguments));
    return finishCommand(runCommand(arguments));
}
