#include "sim/uhf_environment.h"
#include "sim/uhf_module.h"
#include "support/cli_run.h"
#include "support/sim_serial_port.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

// rfid-setup-cli against the simulated reader with a field of 50 tags that
// answer every round.
Run cli(const QStringList& arguments, const QTemporaryDir& home) {
    return runCli(arguments, home,
                  {{QStringLiteral("READERHID_SIM_TAGS"), QStringLiteral("50")},
                   {QStringLiteral("READERHID_SIM_ROUND"), QStringLiteral("every")}});
}

const QMap<QString, QString> fiftyTags{
    {QStringLiteral("READERHID_SIM_TAGS"), QStringLiteral("50")}};

// One read as the tool prints it, without its time.
QString readText(const QString& epc, const QString& pc, int rssi) {
    return QStringLiteral("%1 %2 %3").arg(epc, pc).arg(rssi);
}

// What the simulated module of the serial port sends for rounds of a multiple
// inventory (after the mask's Select and select mode 00, when given): the
// same field, so the same reads in the same order.
QStringList expectedReads(int rounds, const QByteArray& mask) {
    for (auto it = fiftyTags.begin(); it != fiftyTags.end(); ++it)
        qputenv(it.key().toLatin1(), it.value().toLatin1());
    sim::UhfModule module;
    sim::setUpFromEnvironment(module);
    const auto frame = [](const QByteArray& typeToLast) {
        sim::Bytes bytes{0xBB};
        unsigned sum = 0;
        for (char c : typeToLast) {
            bytes.push_back(std::uint8_t(c));
            sum += std::uint8_t(c);
        }
        bytes.push_back(std::uint8_t(sum));
        bytes.push_back(0x7E);
        return bytes;
    };
    if (!mask.isEmpty()) {
        module.answer(frame(QByteArray::fromHex("000C00") + char(7 + mask.size()) +
                            QByteArray::fromHex("0100000020") + char(8 * mask.size()) + '\0' +
                            mask));
        module.answer(frame(QByteArray::fromHex("0012000100")));
    }
    QStringList reads;
    for (int round = 0; round < rounds; ++round)
        for (const sim::Bytes& notice : module.inventoryNotices()) {
            // BB 02 22 PL(2) RSSI PC(2) EPC CRC(2) checksum 7E
            const QByteArray bytes(reinterpret_cast<const char*>(notice.data()),
                                   qsizetype(notice.size()));
            reads << readText(bytes.mid(8, bytes.size() - 12).toHex().toUpper(),
                              bytes.mid(6, 2).toHex().toUpper(), qint8(bytes[5]));
        }
    return reads;
}

} // namespace

class InventoryCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;

  private slots:
    // One object per read, then a summary whose counts are those reads.
    void jsonReadsAddUpToTheSummary() {
        const Run run = cli({"inventory", "--simulate", "--rounds", "5", "--json"}, home);
        QCOMPARE(run.code, 0);
        QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
        const QJsonObject summary = json(lines.takeLast());
        QCOMPARE(summary.value("event").toString(), QStringLiteral("summary"));
        QSet<QString> epcs;
        for (const QString& line : lines) {
            const QJsonObject read = json(line);
            QCOMPARE(read.value("event").toString(), QStringLiteral("read"));
            QVERIFY(QRegularExpression("^[0-9A-F]{24}$")
                        .match(read.value("epc").toString())
                        .hasMatch());
            QVERIFY(read.value("rssi").toInt() < 0);
            QCOMPARE(read.value("pc").toString().size(), 4);
            QVERIFY(!read.value("time").toString().isEmpty());
            epcs.insert(read.value("epc").toString());
        }
        QVERIFY(lines.size() > 5);
        QCOMPARE(summary.value("reads").toInt(), lines.size());
        QCOMPARE(summary.value("tags").toInt(), epcs.size());
        int counted = 0;
        for (const QJsonValue& tag : summary.value("tagList").toArray())
            counted += tag.toObject().value("count").toInt();
        QCOMPARE(counted, lines.size());
    }

    // Without a terminal: the summary only, and the CSV holds every tag.
    void summaryAndCsvWithoutATerminal() {
        const QString csv = home.filePath(QStringLiteral("tags.csv"));
        const Run run = cli({"inventory", "--simulate", "--rounds", "3", "--csv", csv}, home);
        QCOMPARE(run.code, 0);
        const QRegularExpressionMatch totals =
            QRegularExpression("^(\\d+) tags, (\\d+) reads in ").match(run.out);
        QVERIFY2(totals.hasMatch(), qPrintable(run.out));
        QVERIFY(!run.out.contains("\x1b"));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList rows = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.first(), QStringLiteral("epc,pc,count,rssi_last_dbm,rssi_peak_dbm,"
                                              "rssi_average_dbm,first_seen,last_seen"));
        QCOMPARE(rows.size() - 1, totals.captured(1).toInt());
        // One reply holds 9 notices; the other tags take their turn in the next rounds.
        QCOMPARE(totals.captured(1).toInt(), 27);
        QVERIFY2(
            QRegularExpression("^[0-9A-F]{24},3000,1,-\\d+\\.\\d,").match(rows.value(1)).hasMatch(),
            qPrintable(rows.value(1)));
    }

    // The summary says why the run stopped, in the table and in JSON alike.
    void theSummarySaysWhyTheRunStopped_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("variable"); // NAME=VALUE, or empty
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("stopped");
        QTest::newRow("rounds") << QStringList{"--rounds", "2"} << "" << 0
                                << "stopped after 2 rounds";
        QTest::newRow("seconds") << QStringList{"--seconds", "1"} << "" << 0 << "stopped after 1 s";
        QTest::newRow("missed reply") << QStringList{"--rounds", "2"} << "READERHID_SIM_SILENT=1"
                                      << 4 << "stopped: the reader did not answer";
        QTest::newRow("reader unplugged")
            << QStringList{"--seconds", "30"} << "READERHID_SIM_UNPLUG=SIM0001:3" << 3
            << "stopped: the reader is gone";
    }
    void theSummarySaysWhyTheRunStopped() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, variable);
        QFETCH(int, code);
        QFETCH(QString, stopped);
        QMap<QString, QString> env = fiftyTags;
        if (!variable.isEmpty())
            env.insert(variable.section('=', 0, 0), variable.section('=', 1));
        const QStringList command = QStringList{"inventory", "--simulate"} + arguments;
        const Run table = runCli(command, home, env);
        QCOMPARE(table.code, code);
        QVERIFY2(QRegularExpression("^\\d+ tags, \\d+ reads in [0-9.]+ s, \\d+ reads/s now, "
                                    "[0-9.]+ on average, " +
                                    QRegularExpression::escape(stopped) + "\n")
                     .match(table.out)
                     .hasMatch(),
                 qPrintable(table.out));
        const Run asJson = runCli(command + QStringList{"--json"}, home, env);
        QCOMPARE(asJson.code, code);
        const QStringList lines = asJson.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        // The failed run's error object comes after the summary.
        const QJsonObject summary = json(lines.value(code ? lines.size() - 2 : lines.size() - 1));
        QCOMPARE(summary.value("event").toString(), QStringLiteral("summary"));
        QCOMPARE(summary.value("stopped").toString(), stopped);
    }

    // Ctrl-C (or a TERM) ends the run as a run's end: the summary, exit 0.
    void aSignalStopsTheRunWithItsSummary_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("stopped");
        QTest::newRow("SIGINT") << int(SIGINT) << "stopped by Ctrl-C";
        QTest::newRow("SIGTERM") << int(SIGTERM) << "stopped by signal 15";
    }
    void aSignalStopsTheRunWithItsSummary() {
        QFETCH(int, signal);
        QFETCH(QString, stopped);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath("config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath("data"));
        environment.insert(QStringLiteral("READERHID_SIM_TAGS"), QStringLiteral("50"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(CLI_PROGRAM), {"inventory", "--simulate", "--json"});
        QByteArray out;
        while (!out.contains("\"event\":\"read\"") && process.waitForReadyRead(30000))
            out += process.readAllStandardOutput();
        QVERIFY2(out.contains("\"event\":\"read\""), out.constData());
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        out += process.readAllStandardOutput();
        const QJsonObject summary =
            json(QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts).constLast());
        QCOMPARE(summary.value("event").toString(), QStringLiteral("summary"));
        QCOMPARE(summary.value("stopped").toString(), stopped);
    }

    // Over the simulated reader's serial port: every notice of the rounds as
    // a JSON line, in order, and a summary that adds them up; with a mask only
    // the tags the module's Select lets answer.
    void jsonOverTheSerialPort_data() {
        QTest::addColumn<QByteArray>("mask");
        QTest::newRow("every tag") << QByteArray();
        QTest::newRow("mask") << QByteArray::fromHex("E200");
    }
    void jsonOverTheSerialPort() {
        QFETCH(QByteArray, mask);
        SimulatedSerialPort port(fiftyTags);
        QStringList arguments{"inventory", "--simulate", "--serial", port.path,
                              "--rounds",  "3",          "--json"};
        if (!mask.isEmpty())
            arguments << "--mask" << QString::fromLatin1(mask.toHex());
        const Run run = cli(arguments, home);
        QCOMPARE(run.code, 0);
        QCOMPARE(run.err, QString());
        QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        const QJsonObject summary = json(lines.takeLast());
        QStringList reads;
        QMap<QString, int> counts;
        for (const QString& line : lines) {
            const QJsonObject read = json(line);
            QCOMPARE(read.keys(), (QStringList{"epc", "event", "pc", "rssi", "time"}));
            QCOMPARE(read.value("event").toString(), QStringLiteral("read"));
            QVERIFY(
                QDateTime::fromString(read.value("time").toString(), Qt::ISODateWithMs).isValid());
            reads << readText(read.value("epc").toString(), read.value("pc").toString(),
                              read.value("rssi").toInt());
            ++counts[read.value("epc").toString()];
        }
        const QStringList expected = expectedReads(3, mask);
        QVERIFY(expected.size() >= 3);
        QCOMPARE(reads, expected);
        QCOMPARE(summary.value("event").toString(), QStringLiteral("summary"));
        QCOMPARE(summary.value("reads").toInt(), expected.size());
        QCOMPARE(summary.value("tags").toInt(), counts.size());
        QCOMPARE(summary.value("damagedFrames").toInt(), 0);
        QCOMPARE(summary.value("errorResponses").toInt(), 0);
        QMap<QString, int> summed;
        for (const QJsonValue& tag : summary.value("tagList").toArray())
            summed[tag.toObject().value("epc").toString()] = tag.toObject().value("count").toInt();
        QCOMPARE(summed, counts);
        if (!mask.isEmpty())
            for (const QString& epc : counts.keys())
                QVERIFY(epc.startsWith(QString::fromLatin1(mask.toHex().toUpper())));
    }

    void moduleSetAndShow() {
        Run run = cli({"module", "set", "power", "20", "region", "us", "channel", "3", "hopping",
                       "on", "session", "1", "target", "a", "q", "4", "--simulate"},
                      home);
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QStringLiteral("set and read back: region us, channel 3, hopping on, "
                                         "power 20 dBm, query S1 A Q=4\n"));
        run = cli({"module", "show", "--simulate", "--json"}, home);
        QCOMPARE(run.code, 0);
        const QJsonObject shown = json(run.out.trimmed());
        QCOMPARE(shown.value("event").toString(), QStringLiteral("module"));
        QVERIFY(shown.contains("hardware"));
        QCOMPARE(shown.value("channelMHz").toDouble(), 920.125);
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::newRow("seconds and rounds")
            << QStringList{"inventory", "--seconds", "1", "--rounds", "1"} << 2;
        QTest::newRow("mask not hex") << QStringList{"inventory", "--mask", "3G"} << 2;
        QTest::newRow("RF option over serial")
            << QStringList{"inventory", "--serial", "/dev/null", "--power", "20"} << 2;
        QTest::newRow("power out of range")
            << QStringList{"module", "set", "power", "40", "--simulate"} << 2;
        QTest::newRow("unknown setting")
            << QStringList{"module", "set", "speed", "1", "--simulate"} << 2;
        QTest::newRow("odd words") << QStringList{"module", "set", "power", "--simulate"} << 2;
        QTest::newRow("channel the module refuses")
            << QStringList{"module", "set", "channel", "200", "--simulate"} << 3;
        QTest::newRow("no such port")
            << QStringList{"inventory", "--simulate", "--serial", "/nonexistent/tty"} << 3;
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        const Run run = cli(arguments, home);
        QCOMPARE(run.code, code);
        QVERIFY(!run.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(InventoryCliTest)
#include "inventory_cli_test.moc"
