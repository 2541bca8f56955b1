#pragma once

#include "protocol/clock.h"
#include "protocol/log_sink.h"
#include "protocol/reader_device.h"
#include "protocol/reader_link.h"
#include "uhf/issuing_journal.h"

#include <QCommandLineParser>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

// Exit codes of every subcommand.
enum ExitCode {
    exitOk = 0,
    exitIncomplete = 1,      // issue: stopped before all tags were issued
    exitUsage = 2,           // bad arguments or options
    exitReaderError = 3,     // the reader refused, or its library cannot be used
    exitNoReply = 4,         // the reader did not answer, or no tag was in the field
    exitJournalConflict = 5, // a number or tag held twice, or the journal check failed
    exitJournalError = 6,    // the journal cannot be opened, read or written
    exitNotTaken = 7,        // the EPCIS repository did not take the document
};

// What the exit code means, for the usage text and for an error without a line of its own.
QString exitCodeMeaning(int exitCode);

// Options that every command takes, also before the command as git takes its
// own: --simulate, --library, --journal, --json, --station.
namespace globaloptions {
// Takes the options before the command off the arguments (the program name
// first); false, with the reason printed, for one that is not common to all.
bool take(QStringList& arguments);
// With --json anywhere (before a "--"): results and errors as JSON objects on stdout.
bool json();
void setJson(bool on);
} // namespace globaloptions

// One line on stderr, "rfid-setup-cli: " first. With --json the line is also
// kept for the error object that finishCommand() prints.
void printError(const QString& text);
void printOut(const QString& text);
// printError, then the exit code.
int failWith(int exitCode, const QString& text);
// A usage error of a command: the text and where to read more; gives exitUsage.
int usageError(const QString& command, const QString& text);
// An object as one compact JSON line (no line break), and printed so.
QString jsonLine(const QJsonObject& object);
void printJson(const QJsonObject& object);
// A command's result: the line of text, or with --json the object.
void printResult(const QString& text, const QJsonObject& object);
// With --json, a failed command ends with one object
// {"event":"error","exitCode":N,"message":...} on stdout. Gives the exit code.
int finishCommand(int exitCode);

// Why a run (issue, inventory) ended, as its summary says it: the count or the
// time given was reached, a signal (`number`: which), `number` missed replies
// in a row, the reader or the serial port `name` went away, the module refused.
enum class RunEnd { Count, Time, Signal, NoReply, ReaderGone, PortGone, Refused };
QString runEndText(RunEnd end, qint64 number = 0, const QString& name = QString());

// A command made of actions ("epc read", "epc write"): "COMMAND --help" lists
// them (exit 0); a missing or unknown action is a usage error that lists them.
struct CommandAction {
    const char* name;
    const char* summary;
};
int actionHelp(const QString& command, const QList<CommandAction>& actions, const QString& given);

// The tool's one strict reading of operator values, before anything is sent.
// A refusal prints "COMMAND: NAME takes WHAT, not 'TEXT' (see ...)" and gives exitUsage;
// -1 means the value is good.
// Hex: digits in whole pairs, blanks allowed between pairs, minBytes..maxBytes.
int hexArgument(const QString& command, const QString& name, const QString& text, int minBytes,
                int maxBytes, QString* digits);
// Decimal: plain digits only (no sign, no "$"), min..max.
int decimalArgument(const QString& command, const QString& name, const QString& text, qint64 min,
                    qint64 max, qint64* value);

// A subcommand's own parser: help, a one-line description, the arguments it
// takes. parse() answers help itself and reports bad options as usage errors.
class CommandParser {
  public:
    CommandParser(const QString& command, const QString& description);
    QCommandLineParser& parser() { return parser_; }
    const QString& name() const { return command_; }
    // -1 to go on, or the exit code.
    int parse(const QStringList& arguments, int minPositional, int maxPositional);
    QStringList positional() const { return parser_.positionalArguments(); }
    // Also the common options given before the command.
    bool isSet(const QString& option) const;
    QString value(const QString& option) const;

  private:
    QString command_;
    QCommandLineParser parser_;
};

// --journal: where the issuing journal is.
void addJournalOption(QCommandLineParser& parser);
// Opens the journal --journal (or $RFID_JOURNAL) names; prints why not.
bool openJournal(IssuingJournal& journal, const CommandParser& command,
                 IssuingJournal::Access access = IssuingJournal::Access::Issue);
// One series of the journal in one line: start, step, direction, last number,
// stations, records by outcome.
QString seriesLine(const IssuingJournal::SeriesSummary& summary);

// The log lines of the reader link: kept, and shown on stderr with --debug.
class CliLog : public LogSink {
  public:
    bool echo = false;
    void appendLine(const QString& text) override;
};

// The reader a command talks to: --simulate or --library choose the library,
// --address the reader address, --debug shows every frame.
class CliReader {
  public:
    static void addOptions(QCommandLineParser& parser);
    // False with the exit code when the library cannot be used.
    bool open(const CommandParser& options, int* exitCode);
    ReaderLink& link() { return *link_; }
    ReaderDevice& device() { return *device_; }

    // Send, Delay and the reply judged: success gives the data bytes after the
    // status as hex text; a failure prints the reader's message and gives the
    // exit code.
    int command(const QString& payload, QString* data);
    // The reader did not answer: says what stands in the way (no reader, no
    // permission, unplugged: exit 3), else that nothing came back (exit 4).
    int noReply();

  private:
    std::unique_ptr<ReaderDevice> device_;
    CliLog log_;
    SystemClock clock_;
    std::unique_ptr<ReaderLink> link_;
    QString address_;
};
