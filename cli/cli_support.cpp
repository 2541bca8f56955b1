#include "cli_support.h"

#include "protocol/hex_text.h"
#include "protocol/status.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

// Most reader commands are answered at once; the pages wait as long.
constexpr int commandWait = 300;

} // namespace

void printError(const QString& text) {
    QTextStream(stderr) << "rfid-setup-cli: " << QString(text).remove(QLatin1Char('\r')).trimmed()
                        << Qt::endl;
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
        QStringLiteral("%1: %2 takes %3 of hex digits, not '%4'").arg(command, name, size, text));
}

int decimalArgument(const QString& command, const QString& name, const QString& text, qint64 min,
                    qint64 max, qint64* value) {
    bool plain = !text.isEmpty() && text.size() <= 18;
    for (QChar c : text)
        plain = plain && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const qint64 number = plain ? text.toLongLong() : 0;
    if (plain && number >= min && number <= max) {
        *value = number;
        return -1;
    }
    return failWith(exitUsage,
                    QStringLiteral("%1: %2 takes a decimal number from %3 to %4, not '%5'")
                        .arg(command, name)
                        .arg(min)
                        .arg(max)
                        .arg(text));
}

CommandParser::CommandParser(const QString& command, const QString& description)
    : command_(command) {
    parser_.setApplicationDescription(description);
    parser_.addHelpOption();
}

int CommandParser::parse(const QStringList& arguments, int minPositional, int maxPositional) {
    if (!parser_.parse(arguments)) {
        printError(command_ + QStringLiteral(": ") + parser_.errorText());
        return exitUsage;
    }
    if (parser_.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << parser_.helpText().replace(
            QCoreApplication::applicationName() + QStringLiteral(" [options]"),
            QCoreApplication::applicationName() + ' ' + command_ + QStringLiteral(" [options]"));
        return exitOk;
    }
    const int count = int(parser_.positionalArguments().size());
    if (count < minPositional || count > maxPositional) {
        printError(command_ + QStringLiteral(": wrong number of arguments (see --help)"));
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
    printError(journal.errorText());
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
    QString library = QStringLiteral("libreaderhid.so");
    if (options.isSet(QStringLiteral("simulate"))) {
        library = simulatedLibraryPath(QCoreApplication::applicationDirPath());
        if (library.isEmpty()) {
            printError(QStringLiteral("the simulated reader's library is not installed"));
            *exitCode = exitReaderError;
            return false;
        }
    } else if (options.isSet(QStringLiteral("library"))) {
        library = options.value(QStringLiteral("library"));
    }
    address_ = hex::digitsOf(options.value(QStringLiteral("address")));
    if (address_.size() != 2) {
        printError(QStringLiteral("--address takes two hex digits"));
        *exitCode = exitUsage;
        return false;
    }
    device_ = std::make_unique<LibraryDevice>(library);
    const QString unavailable = device_->unavailableReason();
    if (!unavailable.isEmpty()) {
        printError(unavailable);
        *exitCode = exitReaderError;
        return false;
    }
    log_.echo = options.isSet(QStringLiteral("debug"));
    link_ = std::make_unique<ReaderLink>(*device_, log_, clock_);
    link_->setAddressSource([this] { return address_; });
    link_->setDebugSource([this] { return log_.echo; });
    return true;
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
        printError(QStringLiteral("通讯错误，没有接收到数据.."));
        return exitNoReply;
    case ReplyStatus::Failure: {
        const QString code = hex::mid(reply, 9, 2);
        const QString reason = falsereason(code);
        printError(QStringLiteral("reader error %1: %2")
                       .arg(code, reason.isEmpty() ? QStringLiteral("未知的错误") : reason));
        return exitReaderError;
    }
    case ReplyStatus::Garbled:
        printError(QStringLiteral("数据丢包，流水校验出错: ") + reply);
        return exitReaderError;
    }
    return exitReaderError;
}
