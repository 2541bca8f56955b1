#include "inventory_command.h"

#include "cli_support.h"
#include "protocol/csv_text.h"
#include "protocol/hex_text.h"
#include "uhf/hid_inventory.h"
#include "uhf/module_settings.h"
#include "uhf/serial_inventory_port.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTextStream>

#include <QCoreApplication>
#include <csignal>
#include <unistd.h>

namespace {

// The signal that stopped the run, 0 while none came.
volatile std::sig_atomic_t interrupted = 0;

void interrupt(int signal) {
    interrupted = signal;
}

// The table on a terminal is drawn again this often.
constexpr int repaintMs = 250;
// Rows of the table on a terminal, strongest readers first.
constexpr int tableRows = 20;
// With a round count over serial: the rounds are done once nothing came for this long.
constexpr int quietMs = 1000;

QString dbm(double value) {
    return QString::number(value, 'f', 1);
}

QString pcText(quint16 pc) {
    return QStringLiteral("%1").arg(pc, 4, 16, QChar('0')).toUpper();
}

QString timeText(qint64 milliseconds) {
    return QDateTime::fromMSecsSinceEpoch(milliseconds).toString(Qt::ISODateWithMs);
}

QString totalsLine(const uhf::InventoryStatistics& s) {
    return QStringLiteral("%1 tags, %2 reads in %3 s, %4 reads/s now, %5 on average")
        .arg(s.distinctTags())
        .arg(s.reads())
        .arg(dbm(s.runMilliseconds() / 1000.0))
        .arg(s.readsPerSecondNow())
        .arg(dbm(s.readsPerSecondAverage()));
}

// The tags, most read first: a header and one line per tag.
QStringList tableLines(const uhf::InventoryStatistics& s, int rows) {
    QStringList lines{QStringLiteral("%1 %2 %3 %4 %5 %6")
                          .arg(QStringLiteral("EPC"), -24)
                          .arg(QStringLiteral("count"), 8)
                          .arg(QStringLiteral("last dBm"), 9)
                          .arg(QStringLiteral("peak dBm"), 9)
                          .arg(QStringLiteral("mean dBm"), 9)
                          .arg(QStringLiteral("reads/s"), 8)};
    const std::vector<int> order = s.sortedRows(uhf::TagOrder::Reads, true);
    for (int i = 0; i < int(order.size()) && (rows < 0 || i < rows); ++i) {
        const uhf::TagStatistics& t = s.tag(order[size_t(i)]);
        lines << QStringLiteral("%1 %2 %3 %4 %5 %6")
                     .arg(hex::fromBytes(t.epc), -24)
                     .arg(t.reads, 8)
                     .arg(dbm(t.rssiLast), 9)
                     .arg(dbm(t.rssiPeak), 9)
                     .arg(dbm(t.rssiAverage()), 9)
                     .arg(dbm(s.tagReadsPerSecond(order[size_t(i)])), 8);
    }
    if (rows >= 0 && int(order.size()) > rows)
        lines << QStringLiteral("... %1 more").arg(order.size() - size_t(rows));
    return lines;
}

QJsonObject summaryObject(const uhf::InventoryStatistics& s, const QString& stopped) {
    QJsonArray tags;
    for (int row : s.sortedRows(uhf::TagOrder::Reads, true)) {
        const uhf::TagStatistics& t = s.tag(row);
        tags.append(QJsonObject{{QStringLiteral("epc"), hex::fromBytes(t.epc)},
                                {QStringLiteral("pc"), pcText(t.pc)},
                                {QStringLiteral("count"), qint64(t.reads)},
                                {QStringLiteral("rssiLast"), t.rssiLast},
                                {QStringLiteral("rssiPeak"), t.rssiPeak},
                                {QStringLiteral("rssiAverage"), t.rssiAverage()},
                                {QStringLiteral("firstSeen"), timeText(t.firstSeen)},
                                {QStringLiteral("lastSeen"), timeText(t.lastSeen)}});
    }
    QJsonObject summary{{QStringLiteral("event"), QStringLiteral("summary")},
                        {QStringLiteral("tags"), qint64(s.distinctTags())},
                        {QStringLiteral("reads"), qint64(s.reads())},
                        {QStringLiteral("seconds"), s.runMilliseconds() / 1000.0},
                        {QStringLiteral("readsPerSecond"), s.readsPerSecondAverage()},
                        {QStringLiteral("damagedFrames"), qint64(s.damagedFrames())},
                        {QStringLiteral("errorResponses"), qint64(s.errorResponses())},
                        {QStringLiteral("tagList"), tags}};
    // As issue's summary: why the run stopped, once it had begun.
    if (!stopped.isEmpty())
        summary.insert(QStringLiteral("stopped"), stopped);
    return summary;
}

bool writeCsv(const QString& fileName, const uhf::InventoryStatistics& s) {
    QString text = csvLine({QStringLiteral("epc"), QStringLiteral("pc"), QStringLiteral("count"),
                            QStringLiteral("rssi_last_dbm"), QStringLiteral("rssi_peak_dbm"),
                            QStringLiteral("rssi_average_dbm"), QStringLiteral("first_seen"),
                            QStringLiteral("last_seen")});
    for (int row : s.sortedRows(uhf::TagOrder::Reads, true)) {
        const uhf::TagStatistics& t = s.tag(row);
        text += csvLine({hex::fromBytes(t.epc), pcText(t.pc), QString::number(t.reads),
                         dbm(t.rssiLast), dbm(t.rssiPeak), dbm(t.rssiAverage()),
                         timeText(t.firstSeen), timeText(t.lastSeen)});
    }
    QFile file(fileName);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

// What the run shows while it lasts: the table in place on a terminal, or
// one JSON object per read.
class Progress {
  public:
    Progress(const uhf::InventoryStatistics& s, bool json)
        : statistics_(s), json_(json), terminal_(!json && isatty(STDOUT_FILENO)) {
        sinceRepaint_.start();
    }

    void read(const uhf::TagNotice& n) {
        if (!json_)
            return;
        printJson({{QStringLiteral("event"), QStringLiteral("read")},
                   {QStringLiteral("epc"), hex::fromBytes(n.epc)},
                   {QStringLiteral("rssi"), n.rssi},
                   {QStringLiteral("pc"), pcText(n.pc)},
                   {QStringLiteral("time"), timeText(statistics_.now())}});
    }

    void tick() {
        if (!terminal_ || sinceRepaint_.elapsed() < repaintMs)
            return;
        sinceRepaint_.restart();
        QTextStream out(stdout);
        // Home and clear: the table stays in one place.
        out << "\x1b[H\x1b[2J" << totalsLine(statistics_) << '\n'
            << tableLines(statistics_, tableRows).join('\n') << '\n';
        out.flush();
    }

  private:
    const uhf::InventoryStatistics& statistics_;
    bool json_;
    bool terminal_;
    QElapsedTimer sinceRepaint_;
};

struct RunLimits {
    qint64 seconds = 0; // 0: until Ctrl-C
    qint64 rounds = 0;  // 0: no count

    // Why a run that was not cut short ended.
    QString endText() const {
        if (interrupted)
            return runEndText(RunEnd::Signal, interrupted);
        if (rounds)
            return runEndText(RunEnd::Count, rounds);
        return seconds ? runEndText(RunEnd::Time, seconds) : QString();
    }
};

// The RF options for this run, set and read back before it (HID only).
int setRunSettings(const CommandParser& command, CliReader& reader) {
    ModuleSettings settings(reader.link());
    const auto fail = [&](ModuleSettings::Outcome outcome) {
        return outcome == ModuleSettings::Outcome::NoReply
                   ? reader.noReply()
                   : failWith(exitReaderError, settings.errorText());
    };
    if (command.isSet(QStringLiteral("power"))) {
        qint64 power = 0;
        const int refused = decimalArgument(command.name(), QStringLiteral("--power"),
                                            command.value(QStringLiteral("power")),
                                            ModuleSettings::minimumPowerDbm, 33, &power);
        if (refused >= 0)
            return refused;
        const auto outcome = settings.setPower(int(power) * 100);
        if (outcome != ModuleSettings::Outcome::Done)
            return fail(outcome);
    }
    const bool query = command.isSet(QStringLiteral("session")) ||
                       command.isSet(QStringLiteral("target")) ||
                       command.isSet(QStringLiteral("q"));
    if (!query)
        return -1;
    QueryParameters parameters;
    auto outcome = settings.readQuery(&parameters);
    if (outcome != ModuleSettings::Outcome::Done)
        return fail(outcome);
    qint64 value = 0;
    if (command.isSet(QStringLiteral("session"))) {
        const int refused = decimalArgument(command.name(), QStringLiteral("--session"),
                                            command.value(QStringLiteral("session")), 0, 3, &value);
        if (refused >= 0)
            return refused;
        parameters.session = int(value);
    }
    if (command.isSet(QStringLiteral("q"))) {
        const int refused = decimalArgument(command.name(), QStringLiteral("--q"),
                                            command.value(QStringLiteral("q")), 0, 15, &value);
        if (refused >= 0)
            return refused;
        parameters.q = int(value);
    }
    if (command.isSet(QStringLiteral("target"))) {
        const QString target = command.value(QStringLiteral("target")).toLower();
        if (target != QLatin1String("a") && target != QLatin1String("b"))
            return usageError(command.name(), QStringLiteral("--target takes a or b, not '%1'")
                                                  .arg(command.value(QStringLiteral("target"))));
        parameters.targetB = target == QLatin1String("b");
    }
    outcome = settings.setQuery(parameters);
    return outcome == ModuleSettings::Outcome::Done ? -1 : fail(outcome);
}

// Each run sets *stopped to why it ended once it has begun.
int runHid(CliReader& reader, uhf::InventoryStatistics& statistics, const QString& mask,
           const RunLimits& limits, Progress& progress, QString* stopped) {
    HidInventory inventory(reader.link(), statistics);
    inventory.onRead = [&](const uhf::TagNotice& n) { progress.read(n); };
    if (inventory.setMask(mask) != HidInventory::Outcome::Done)
        return failWith(exitReaderError, inventory.errorText());
    QElapsedTimer elapsed;
    elapsed.start();
    statistics.begin();
    const auto outcome = inventory.run(int(limits.rounds), [&] {
        progress.tick();
        return !interrupted && (!limits.seconds || elapsed.elapsed() < limits.seconds * 1000);
    });
    statistics.end();
    if (!mask.isEmpty())
        inventory.clearMask();
    if (outcome == HidInventory::Outcome::Done && statistics.errorResponses())
        printError(QCoreApplication::translate("cli", "模块报错：%1").arg(inventory.errorText()));
    if (outcome == HidInventory::Outcome::NoReply) {
        // The reader unplugged, or present and silent.
        const int code = reader.noReply();
        *stopped = runEndText(code == exitNoReply ? RunEnd::NoReply : RunEnd::ReaderGone);
        return code;
    }
    if (outcome == HidInventory::Outcome::Refused) {
        *stopped = runEndText(RunEnd::Refused);
        return failWith(exitReaderError, inventory.errorText());
    }
    *stopped = limits.endText();
    return exitOk;
}

int runSerial(ReaderLink& link, const QString& port, uhf::InventoryStatistics& statistics,
              const QString& mask, const RunLimits& limits, Progress& progress, QString* stopped) {
    SerialInventoryPort inventory(link, statistics);
    inventory.onRead = [&](const uhf::TagNotice& n) { progress.read(n); };
    statistics.begin();
    QElapsedTimer elapsed;
    elapsed.start();
    if (!inventory.start(port, SerialInventoryPort::defaultBaud,
                         limits.rounds ? int(limits.rounds) : SerialInventory::maxRounds, mask)) {
        statistics.end();
        return failWith(exitReaderError, inventory.errorText());
    }
    inventory.run([&] {
        progress.tick();
        return !interrupted && (!limits.seconds || elapsed.elapsed() < limits.seconds * 1000) &&
               (!limits.rounds || inventory.quietMs() < quietMs);
    });
    const bool answered = inventory.stop();
    statistics.end();
    if (inventory.lost()) {
        *stopped = runEndText(RunEnd::PortGone, 0, port);
        return failWith(exitNoReply, QCoreApplication::translate(
                                         "cli", "串口 %1 的连接已断开（设备已拔出或已切换模式）："
                                                "请把设备插好，再重新开始盘点")
                                         .arg(port));
    }
    *stopped = limits.endText();
    if (!inventory.inventory().errorText().isEmpty())
        printError(QCoreApplication::translate("cli", "模块报错：%1")
                       .arg(inventory.inventory().errorText()));
    if (!answered)
        printError(QCoreApplication::translate("cli", "模块没有回答停止盘点 (28)：它也许还在盘点"));
    return exitOk;
}

} // namespace

int inventoryCommand(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("inventory"),
        QStringLiteral("Inventory the tags in the field: count, RSSI and reads per second of each. "
                       "On a terminal a table refreshed in place until Ctrl-C or the end, then a "
                       "summary; with --json one object per read and a summary object."));
    CliReader::addOptions(command.parser());
    command.parser().addOptions({
        {QStringLiteral("seconds"), QStringLiteral("Run this long."), QStringLiteral("N")},
        {QStringLiteral("rounds"), QStringLiteral("Run this many inventory rounds."),
         QStringLiteral("N")},
        {QStringLiteral("serial"),
         QStringLiteral("Over this serial port (the reader in virtual serial mode, or a module "
                        "on an adapter) instead of USB HID."),
         QStringLiteral("port")},
        {QStringLiteral("mask"), QStringLiteral("Only tags whose EPC starts with these hex bytes."),
         QStringLiteral("hex")},
        {QStringLiteral("power"), QStringLiteral("Set the transmit power for this run (dBm)."),
         QStringLiteral("dbm")},
        {QStringLiteral("session"), QStringLiteral("Set the session S0-S3 for this run."),
         QStringLiteral("N")},
        {QStringLiteral("target"), QStringLiteral("Set the target a or b for this run."),
         QStringLiteral("a|b")},
        {QStringLiteral("q"), QStringLiteral("Set Q 0-15 for this run."), QStringLiteral("N")},
        {QStringLiteral("csv"), QStringLiteral("Write the tag table to this CSV file at the end."),
         QStringLiteral("file")},
    });
    const int parsed = command.parse(arguments, 0, 0);
    if (parsed >= 0)
        return parsed;
    RunLimits limits;
    if (command.isSet(QStringLiteral("seconds")) && command.isSet(QStringLiteral("rounds")))
        return usageError(command.name(), QStringLiteral("give --seconds or --rounds, not both"));
    for (const auto& [name, limit] :
         {std::pair{"seconds", &limits.seconds}, std::pair{"rounds", &limits.rounds}}) {
        if (!command.isSet(QLatin1String(name)))
            continue;
        const int refused = decimalArgument(
            command.name(), QStringLiteral("--") + QLatin1String(name),
            command.value(QLatin1String(name)), 1, SerialInventory::maxRounds, limit);
        if (refused >= 0)
            return refused;
    }
    QString mask;
    if (command.isSet(QStringLiteral("mask"))) {
        const int refused = hexArgument(command.name(), QStringLiteral("--mask"),
                                        command.value(QStringLiteral("mask")), 1, 31, &mask);
        if (refused >= 0)
            return refused;
    }
    const bool serial = command.isSet(QStringLiteral("serial"));
    if (serial) {
        for (const char* option : {"power", "session", "target", "q"})
            if (command.isSet(QLatin1String(option)))
                return usageError(command.name(),
                                  QStringLiteral("--%1 sets the module over USB HID: leave it out "
                                                 "with --serial")
                                      .arg(QLatin1String(option)));
    }

    CliReader reader;
    int exitCode = exitOk;
    if (!reader.open(command, &exitCode))
        return exitCode;
    if (!serial) {
        const int refused = setRunSettings(command, reader);
        if (refused >= 0)
            return refused;
    }
    SystemClock clock;
    uhf::InventoryStatistics statistics(clock);
    const bool json = globaloptions::json();
    Progress progress(statistics, json);
    interrupted = 0;
    std::signal(SIGINT, interrupt);
    std::signal(SIGTERM, interrupt);
    QString stopped;
    exitCode = serial ? runSerial(reader.link(), command.value(QStringLiteral("serial")),
                                  statistics, mask, limits, progress, &stopped)
                      : runHid(reader, statistics, mask, limits, progress, &stopped);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (command.isSet(QStringLiteral("csv")) &&
        !writeCsv(command.value(QStringLiteral("csv")), statistics) && exitCode == exitOk)
        exitCode = failWith(exitUsage, QCoreApplication::translate("cli", "CSV 文件 %1 写不进去")
                                           .arg(command.value(QStringLiteral("csv"))));
    if (json)
        printJson(summaryObject(statistics, stopped));
    else
        printOut(totalsLine(statistics) + (stopped.isEmpty() ? QString() : ", " + stopped) + '\n' +
                 tableLines(statistics, -1).join('\n'));
    return exitCode;
}
