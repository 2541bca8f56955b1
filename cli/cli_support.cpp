#include "cli_support.h"

#include "protocol/conversion.h"
#include "protocol/hex_text.h"
#include "protocol/reader_settings.h"
#include "protocol/status.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

// Most reader commands are answered at once; the pages wait as long.
constexpr int commandWait = 300;

// The common options given before the command: name -> value ("" for a switch).
QMap<QString, QString> givenBefore;
bool jsonOutput = false;
// The failure lines of this run, for the JSON error object.
QStringList errorLines;

const struct {
    const char* name;
    bool takesValue;
} commonOptions[] = {
    {"simulate", false}, {"library", true}, {"journal", true}, {"json", false}, {"station", true},
};

QString seeHelp(const QString& command) {
    return QStringLiteral(" (see 'rfid-setup-cli %1 --help')").arg(command);
}

int editDistance(const QString& a, const QString& b) {
    QList<int> row(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// " Did you mean --NAME?" for the option of the help text nearest to a
// mistyped one; empty when none is near (a third of its letters, at least 2).
QString nearestOption(const QString& unknown, const QString& helpText) {
    static const QRegularExpression option(QStringLiteral("--([a-z][a-z0-9-]*)"));
    QString best;
    int bestDistance = std::max<int>(2, int(unknown.size()) / 3) + 1;
    for (const auto& match : option.globalMatch(helpText)) {
        const int distance = editDistance(unknown, match.captured(1));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = match.captured(1);
        }
    }
    return best.isEmpty() ? QString() : QStringLiteral(" Did you mean --%1?").arg(best);
}

} // namespace

int usageError(const QString& command, const QString& text) {
    return failWith(exitUsage, text + seeHelp(command));
}

QString exitCodeMeaning(int exitCode) {
    static const char* const meanings[] = {"done",
                                           "not all tags issued",
                                           "usage",
                                           "reader error",
                                           "no reply or no tag",
                                           "journal conflict",
                                           "journal cannot be used",
                                           "not taken by the EPCIS repository"};
    return exitCode >= 0 && exitCode < int(std::size(meanings))
               ? QString::fromLatin1(meanings[exitCode])
               : QStringLiteral("failed");
}

namespace globaloptions {

bool take(QStringList& arguments) {
    while (arguments.size() > 1 && arguments[1].startsWith(QLatin1String("--")) &&
           arguments[1] != QLatin1String("--help") && arguments[1] != QLatin1String("--version")) {
        const QString given = arguments.takeAt(1);
        const QString name = given.mid(2).section(QLatin1Char('='), 0, 0);
        const bool inline_ = given.contains(QLatin1Char('='));
        const auto known =
            std::find_if(std::begin(commonOptions), std::end(commonOptions),
                         [&](const auto& o) { return name == QLatin1String(o.name); });
        if (known == std::end(commonOptions)) {
            printError(QStringLiteral("unknown option '%1' before the command: only --simulate, "
                                      "--library, --journal, --json and --station go there "
                                      "(see 'rfid-setup-cli --help')")
                           .arg(given));
            return false;
        }
        if (!known->takesValue && inline_) {
            printError(
                QStringLiteral("--%1 takes no value (see 'rfid-setup-cli --help')").arg(name));
            return false;
        }
        if (known->takesValue && !inline_ && arguments.size() < 2) {
            printError(
                QStringLiteral("--%1 needs a value (see 'rfid-setup-cli --help')").arg(name));
            return false;
        }
        givenBefore[name] = !known->takesValue ? QString()
                            : inline_          ? given.section(QLatin1Char('='), 1)
                                               : arguments.takeAt(1);
    }
    return true;
}

bool json() {
    return jsonOutput;
}

void setJson(bool on) {
    jsonOutput = on;
}

} // namespace globaloptions

void printError(const QString& text) {
    // One line, whatever a library's message holds (the PostgreSQL driver's have several).
    QStringList parts =
        text.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed();
    const QString line = parts.join(QLatin1Char(' '));
    if (jsonOutput)
        errorLines << line;
    QTextStream(stderr) << "rfid-setup-cli: " << line << Qt::endl;
}

QString jsonLine(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void printJson(const QJsonObject& object) {
    printOut(jsonLine(object));
}

void printResult(const QString& text, const QJsonObject& object) {
    printOut(jsonOutput ? jsonLine(object) : text);
}

int finishCommand(int exitCode) {
    if (jsonOutput && exitCode != exitOk)
        printResult(QString(), QJsonObject{{QStringLiteral("event"), QStringLiteral("error")},
                                           {QStringLiteral("exitCode"), exitCode},
                                           {QStringLiteral("message"),
                                            errorLines.isEmpty() ? exitCodeMeaning(exitCode)
                                                                 : errorLines.join('\n')}});
    return exitCode;
}

int actionHelp(const QString& command, const QList<CommandAction>& actions, const QString& given) {
    QStringList names;
    for (const CommandAction& action : actions)
        names << QLatin1String(action.name);
    if (given == QLatin1String("--help") || given == QLatin1String("-h")) {
        QTextStream out(stdout);
        out << "Usage: rfid-setup-cli " << command << " ACTION [options]\n\nActions:\n";
        // A blank at least after the longest name.
        qsizetype width = 11;
        for (const CommandAction& action : actions)
            width = std::max(width, qsizetype(qstrlen(action.name)) + 1);
        for (const CommandAction& action : actions)
            out << "  " << QString::fromLatin1(action.name).leftJustified(width) << action.summary
                << '\n';
        out << "\n'rfid-setup-cli " << command
            << " ACTION --help' describes an action and its options.\n";
        return exitOk;
    }
    const QString problem = given.isEmpty() ? QStringLiteral("give an action")
                                            : QStringLiteral("unknown action '%1'").arg(given);
    return failWith(
        exitUsage,
        QStringLiteral("%1: %2: %3").arg(command, problem, names.join(QLatin1String(", "))) +
            seeHelp(command));
}

QString runEndText(RunEnd end, qint64 number, const QString& name) {
    switch (end) {
    case RunEnd::Count:
        return QStringLiteral("stopped after %1 rounds").arg(number);
    case RunEnd::Time:
        return QStringLiteral("stopped after %1 s").arg(number);
    case RunEnd::Signal:
        return number == SIGINT ? QStringLiteral("stopped by Ctrl-C")
                                : QStringLiteral("stopped by signal %1").arg(number);
    case RunEnd::NoReply:
        return number > 1 ? QStringLiteral("stopped: the reader did not answer %1 times in a row")
                                .arg(number)
                          : QStringLiteral("stopped: the reader did not answer");
    case RunEnd::ReaderGone:
        return QStringLiteral("stopped: the reader is gone");
    case RunEnd::PortGone:
        return QStringLiteral("stopped: the serial port %1 went away").arg(name);
    case RunEnd::Refused:
        return QStringLiteral("stopped: the module refused the inventory");
    }
    return QString();
}

int failWith(int exitCode, const QString& text) {
    printError(text);
    return exitCode;
}

void printOut(const QString& text) {
    QTextStream(stdout) << text << Qt::endl;
}

int hexArgument(const QString& command, const QString& name, const QString& text, int minBytes,
                int maxBytes, QString* digits) {
    QString compact;
    const bool ok = hex::strictDigits(text, &compact);
    const int bytes = int(compact.size()) / 2;
    if (ok && bytes >= minBytes && bytes <= maxBytes) {
        *digits = compact;
        return -1;
    }
    const QString size =
        minBytes == maxBytes
            ? QStringLiteral("%1 byte%2").arg(minBytes).arg(minBytes == 1 ? "" : "s")
            : QStringLiteral("%1 to %2 bytes").arg(minBytes).arg(maxBytes);
    return failWith(
        exitUsage,
        QStringLiteral("%1: %2 takes %3 of hex digits, not '%4'").arg(command, name, size, text) +
            seeHelp(command));
}

int decimalArgument(const QString& command, const QString& name, const QString& text, qint64 min,
                    qint64 max, qint64* value) {
    quint64 number = 0;
    if (plainDecimal(text, quint64(max), &number) && qint64(number) >= min) {
        *value = qint64(number);
        return -1;
    }
    return failWith(exitUsage,
                    QStringLiteral("%1: %2 takes a decimal number from %3 to %4, not '%5'")
                            .arg(command, name)
                            .arg(min)
                            .arg(max)
                            .arg(text) +
                        seeHelp(command));
}

CommandParser::CommandParser(const QString& command, const QString& description)
    : command_(command) {
    parser_.setApplicationDescription(description);
    parser_.addHelpOption();
    parser_.addOption({QStringLiteral("json"),
                       QStringLiteral("Results, and an error, as JSON objects on stdout.")});
}

bool CommandParser::isSet(const QString& option) const {
    return parser_.isSet(option) || givenBefore.contains(option);
}

QString CommandParser::value(const QString& option) const {
    return parser_.isSet(option) || !givenBefore.contains(option) ? parser_.value(option)
                                                                  : givenBefore.value(option);
}

int CommandParser::parse(const QStringList& arguments, int minPositional, int maxPositional) {
    if (!parser_.parse(arguments)) {
        const QStringList unknown = parser_.unknownOptionNames();
        printError(
            command_ + QStringLiteral(": ") + parser_.errorText() +
            (unknown.isEmpty() ? QString() : nearestOption(unknown.first(), parser_.helpText())) +
            seeHelp(command_));
        return exitUsage;
    }
    if (parser_.isSet(QStringLiteral("help"))) {
        // Qt names the program as it was started; the usage line names the command too.
        const QString usage =
            QStringLiteral("rfid-setup-cli ") + command_ + QStringLiteral(" [options]");
        QTextStream(stdout) << parser_.helpText()
                                   .replace(QCoreApplication::arguments().constFirst() +
                                                QStringLiteral(" [options]"),
                                            usage)
                                   .replace(QCoreApplication::applicationName() +
                                                QStringLiteral(" [options]"),
                                            usage);
        return exitOk;
    }
    const int count = int(parser_.positionalArguments().size());
    if (count < minPositional || count > maxPositional) {
        printError(command_ + QStringLiteral(": wrong number of arguments") + seeHelp(command_));
        return exitUsage;
    }
    return -1;
}

void addJournalOption(QCommandLineParser& parser) {
    parser.addOption(
        {QStringLiteral("journal"),
         QStringLiteral("Journal: a file path, sqlite:PATH or "
                        "postgresql://[user[:password]@]host[:port]/database; without a password "
                        "PGPASSWORD or ~/.pgpass apply (default: $RFID_JOURNAL, else "
                        "journal.sqlite in the user's data folder)."),
         QStringLiteral("address")});
}

bool openJournal(IssuingJournal& journal, const CommandParser& command,
                 IssuingJournal::Access access) {
    if (journal.open(IssuingJournal::configuredAddress(command.value(QStringLiteral("journal"))),
                     access))
        return true;
    printError(QCoreApplication::translate(
                   "cli", "%1：请检查 --journal 给出的发卡记录位置、权限或数据库连接")
                   .arg(journal.errorText()));
    return false;
}

QString seriesLine(const IssuingJournal::SeriesSummary& summary) {
    const IssuingJournal::Series& series = summary.series;
    QStringList counts;
    for (int i = 0; i < 4; ++i)
        counts << QStringLiteral("%1 %2")
                      .arg(summary.counts[i])
                      .arg(outcomeName(IssuingJournal::Outcome(i)));
    return QStringLiteral("series %1: start %2, step %3, %4, last %5 (up to %6), stations %7; %8")
        .arg(series.id)
        .arg(series.start, series.step,
             series.reverse ? QStringLiteral("reverse") : QStringLiteral("forward"),
             summary.lastNumber.isEmpty() ? QStringLiteral("none") : summary.lastNumber,
             series.last,
             summary.stations.isEmpty() ? QStringLiteral("none")
                                        : summary.stations.join(QLatin1String(", ")),
             counts.join(QLatin1String(", ")));
}

void CliLog::appendLine(const QString& text) {
    if (echo)
        QTextStream(stderr) << QString(text).remove(QLatin1Char('\r')) << Qt::endl;
}

void CliReader::addOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {QStringLiteral("simulate"), QStringLiteral("Use the simulated reader.")},
        {QStringLiteral("library"),
         QStringLiteral("Reader library to load (default: libreaderhid.so found by the loader)."),
         QStringLiteral("file")},
        {QStringLiteral("address"), QStringLiteral("Reader address, two hex digits (default 00)."),
         QStringLiteral("hex"), QStringLiteral("00")},
        {QStringLiteral("debug"), QStringLiteral("Show every frame sent and received on stderr.")},
    });
}

bool CliReader::open(const CommandParser& options, int* exitCode) {
    const int refused = hexArgument(options.name(), QStringLiteral("--address"),
                                    options.value(QStringLiteral("address")), 1, 1, &address_);
    if (refused >= 0) {
        *exitCode = refused;
        return false;
    }
    QString library = QStringLiteral("libreaderhid.so");
    const bool simulate = options.isSet(QStringLiteral("simulate"));
    if (simulate) {
        library = simulatedReaderLibrary(QCoreApplication::applicationDirPath());
        if (library.isEmpty()) {
            *exitCode = failWith(
                exitReaderError,
                QCoreApplication::translate("cli", "模拟读卡器的库没有安装在本程序旁边：请重新安装 "
                                                   "rfid-setup"));
            return false;
        }
    } else if (options.isSet(QStringLiteral("library"))) {
        library = options.value(QStringLiteral("library"));
    }
    device_ = std::make_unique<LibraryDevice>(library);
    const QString unavailable = device_->unavailableReason();
    if (!unavailable.isEmpty()) {
        *exitCode =
            failWith(exitReaderError,
                     QCoreApplication::translate("cli", "%1：请检查 --library 给出的读卡器库，"
                                                        "或重新安装 rfid-setup")
                         .arg(unavailable));
        return false;
    }
    // The ids added and the reader chosen in the window count here too.
    if (!simulate)
        readersettings::apply(*device_);
    log_.echo = options.isSet(QStringLiteral("debug"));
    link_ = std::make_unique<ReaderLink>(*device_, log_, clock_);
    link_->setAddressSource([this] { return address_; });
    link_->setDebugSource([this] { return log_.echo; });
    return true;
}

int CliReader::noReply() {
    const QString problem = readerProblemText(*device_);
    if (!problem.isEmpty())
        return failWith(exitReaderError, problem);
    return failWith(exitNoReply, QCoreApplication::translate(
                                     "cli", "通讯错误，没有接收到数据..：请检查读卡器的连接和地址"
                                            "（--address），用 --debug 查看收发的数据帧"));
}

int CliReader::command(const QString& payload, QString* data) {
    link_->Send(payload);
    link_->Delay(commandWait);
    const QString reply = link_->ReplyText();
    switch (replyStatus(reply)) {
    case ReplyStatus::Success: {
        bool ok = false;
        const int length = hex::mid(reply, 5, 2).toInt(&ok, 16);
        *data = hex::mid(reply, 9, ok && length > 0 ? 2 * (length - 1) : 0);
        return exitOk;
    }
    case ReplyStatus::NoReply:
        return noReply();
    case ReplyStatus::Failure: {
        const QString code = hex::mid(reply, 9, 2);
        const QString reason = falsereason(code);
        return failWith(
            exitReaderError,
            QCoreApplication::translate("cli",
                                        "读卡器报错 %1：%2：请检查命令和参数是否适合这台读卡器")
                .arg(code, reason.isEmpty() ? QCoreApplication::translate("cli", "未知的错误")
                                            : reason.trimmed()));
    }
    case ReplyStatus::Garbled:
        return failWith(exitReaderError,
                        QCoreApplication::translate(
                            "cli", "数据丢包，流水校验出错：%1：请再试一次，多次出现时请检查"
                                   "读卡器的连接")
                            .arg(reply));
    }
    return exitReaderError;
}
