#include "support/cli_run.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// rfid-setup-cli to its end; the simulated reader swaps a tag at once.
Run cli(const QStringList& arguments, const QTemporaryDir& home, QMap<QString, QString> env = {}) {
    if (!env.contains(QStringLiteral("READERHID_SIM_SWAP_MS")))
        env.insert(QStringLiteral("READERHID_SIM_SWAP_MS"), QStringLiteral("1"));
    return runCli(arguments, home, env);
}

const QString kNoLibrary = QStringLiteral("/nonexistent/libreaderhid.so");

} // namespace

// The command-line tool's reader commands, its options and what it says when
// something stands in the way.
class ReaderCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;

  private slots:
    // A value the reader would get unchecked is refused before the library is
    // even loaded (a missing library would give 3), naming the option and the text.
    void badValuesAreRefusedBeforeAnythingIsSent_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        auto row = [](const char* name, QStringList arguments, const char* error) {
            QTest::newRow(name) << arguments << QString::fromUtf8(error);
        };
        row("bank one digit", {"read-mode", "set", "area", "--bank", "3"},
            "read-mode set: --bank takes 1 byte of hex digits, not '3'");
        row("bank not hex", {"read-mode", "set", "area", "--bank", "ZZ"},
            "read-mode set: --bank takes 1 byte of hex digits, not 'ZZ'");
        row("password short", {"read-mode", "set", "area", "--password", "00 00"},
            "read-mode set: --password takes 4 bytes of hex digits, not '00 00'");
        row("words wide", {"read-mode", "set", "area", "--words", "0008"},
            "read-mode set: --words takes 1 byte of hex digits, not '0008'");
        row("raw odd digit", {"raw", "8"}, "raw: HEX takes 1 to 250 bytes of hex digits, not '8'");
        row("raw not hex", {"raw", "ZZ"}, "raw: HEX takes 1 to 250 bytes of hex digits, not 'ZZ'");
        row("raw blank inside a pair", {"raw", "87", "0", "1"},
            "raw: HEX takes 1 to 250 bytes of hex digits, not '87 0 1'");
        row("epc letters", {"epc", "write", "E2000000000000000000GG0001"},
            "epc write: EPC takes 1 to 250 bytes of hex digits, not "
            "'E2000000000000000000GG0001'");
        row("epc half word", {"epc", "write", "E20000"},
            "epc write: EPC E20000: EPC号长度须为 2 到 62 之间的偶数个字节，现为 3 字节");
        row("epc password", {"epc", "write", "E2000001", "--password", "0000000G"},
            "epc write: --password takes 4 bytes of hex digits, not '0000000G'");
        row("format code", {"format", "set", "7"},
            "format set: CODE takes 1 byte of hex digits, not '7'");
        row("address", {"version", "--address", "1"},
            "version: --address takes 1 byte of hex digits, not '1'");
        row("relay state", {"relay", "1"}, "relay: STATE is on or off, not '1'");
        row("read mode", {"read-mode", "set", "fast"},
            "read-mode set: MODE is single, passive, multi, tid or area, not 'fast'");
    }
    void badValuesAreRefusedBeforeAnythingIsSent() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const Run run = cli(arguments + QStringList{"--library", kNoLibrary}, home);
        QCOMPARE(run.code, 2);
        const QString command = error.section(':', 0, 0);
        QCOMPARE(run.err, QStringLiteral("rfid-setup-cli: %1 (see 'rfid-setup-cli %2 --help')\n")
                              .arg(error, command));
        QCOMPARE(run.out, QString());
    }

    // Good values reach the reader as the exact frame, blanks between pairs allowed.
    void goodValuesMakeTheFrame() {
        const Run run = cli({"read-mode", "set", "area", "--password", "00 00 00 00", "--words",
                             "08", "--simulate", "--debug"},
                            home);
        QCOMPARE(run.code, 0);
        QVERIFY2(run.err.startsWith(QStringLiteral("发送...AA0008BC03000000000008BFBB\n")),
                 qPrintable(run.err));
        QCOMPARE(run.out, QStringLiteral("read mode set: area\n"));
    }

    // What stands in the way of the reader, in one line, exit 3: the same
    // reasons the window gives.
    void sayWhyThereIsNoReader_data() {
        QTest::addColumn<QStringList>("arguments");
        for (const char* command : {"version", "epc read", "tid read", "raw 83"})
            QTest::newRow(command) << QString::fromLatin1(command).split(' ');
    }
    void sayWhyThereIsNoReader() {
        QFETCH(QStringList, arguments);
        // A reader the user may not open, whose id the installed rule does not cover.
        Run run = cli(arguments + QStringList{"--library", STANDIN_OPTIONAL}, home);
        QCOMPARE(run.code, 3);
        QCOMPARE(run.err,
                 QString::fromUtf8(
                     "rfid-setup-cli: 没有读写 /dev/hidraw7 的权限：udev 规则 70-rfid-setup.rules "
                     "不包括读卡器 1a86:e010；请以 root 把这一行写入 "
                     "/etc/udev/rules.d/70-rfid-setup-local.rules：SUBSYSTEM==\"hidraw\", "
                     "ATTRS{idVendor}==\"1a86\", ATTRS{idProduct}==\"e010\", TAG+=\"uaccess\"，"
                     "再运行 sudo udevadm control --reload && sudo udevadm trigger，"
                     "然后拔下读卡器再插上\n"));

        // No reader at all: the ids looked for.
        run = cli(arguments + QStringList{"--library", REAL_LIBRARY}, home,
                  {{"READERHID_DEVICE", "ffff:fffe,ffff:fffd"}});
        QCOMPARE(run.code, 3);
        QCOMPARE(run.err, QString::fromUtf8(
                              "rfid-setup-cli: 未找到读卡器（查找的 USB ID：ffff:fffe,ffff:fffd）："
                              "请插上读卡器，用 lsusb 查看它的 USB ID；别的 ID 可在窗口的"
                              "“系统 → 选择读卡器...”中添加，或用环境变量 READERHID_DEVICE "
                              "指定\n"));
    }

    // The tool looks for the ids added in the window as well.
    void idsAddedInTheWindowAreLookedFor() {
        QTemporaryDir own;
        QVERIFY(QDir().mkpath(own.filePath(QStringLiteral("config/rfid-setup"))));
        QFile settings(own.filePath(QStringLiteral("config/rfid-setup/rfid-setup.conf")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[reader]\naddedIds=1a86:e010\n");
        settings.close();
        const Run run = cli({"version", "--library", REAL_LIBRARY}, own);
        QCOMPARE(run.code, 3);
        QVERIFY2(run.err.contains(QString::fromUtf8("（查找的 USB ID：0483:5750,1a86:e010）")),
                 qPrintable(run.err));
    }

    // --json on every command, an error as one object on stdout; the common
    // options also before the command.
    void jsonAndCommonOptions() {
        Run run = cli({"--simulate", "--json", "version"}, home);
        QCOMPARE(run.code, 0);
        QCOMPARE(json(run.out).value("event").toString(), QStringLiteral("version"));
        QVERIFY(!json(run.out).value("version").toString().isEmpty());

        run = cli({"--json", "--library=" + kNoLibrary, "tid", "read"}, home);
        QCOMPARE(run.code, 3);
        const QJsonObject error = json(run.out);
        QCOMPARE(error.value("event").toString(), QStringLiteral("error"));
        QCOMPARE(error.value("exitCode").toInt(), 3);
        QVERIFY(error.value("message").toString().startsWith(
            QString::fromUtf8("无法加载读卡器库 ") + kNoLibrary));
        QCOMPARE(run.out.count('\n'), 1);

        run = cli({"raw", "ZZ", "--json"}, home);
        QCOMPARE(run.code, 2);
        QCOMPARE(json(run.out).value("exitCode").toInt(), 2);
        QCOMPARE(json(run.out).value("message").toString(),
                 QStringLiteral("raw: HEX takes 1 to 250 bytes of hex digits, not 'ZZ' (see "
                                "'rfid-setup-cli raw --help')"));

        // A library's message of several lines is still one line, and one object.
        run =
            cli({"--json", "journal", "list", "--journal", "postgresql://u@127.0.0.1:1/db"}, home);
        QCOMPARE(run.code, 6);
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.err.startsWith(QString::fromUtf8("rfid-setup-cli: 发卡记录")));
        QCOMPARE(json(run.out).value("exitCode").toInt(), 6);

        run = cli({"--debug", "version"}, home);
        QCOMPARE(run.code, 2);
        QVERIFY(run.err.startsWith(
            QStringLiteral("rfid-setup-cli: unknown option '--debug' before the command")));
        QCOMPARE(cli({"--library"}, home).code, 2);

        // Journal and station before the command reach the journal.
        const QString journal = home.filePath(QStringLiteral("common.sqlite"));
        run = cli({"--simulate", "--journal", journal, "--station=line-2", "--json", "issue",
                   "--start", "E2000001", "--count", "1", "--pause", "0"},
                  home);
        QCOMPARE(run.code, 0);
        run = cli({"--journal", journal, "journal", "list", "--json"}, home);
        QCOMPARE(run.code, 0);
        const QJsonObject record = json(run.out.section('\n', 0, 0));
        QCOMPARE(record.value("epc").toString(), QStringLiteral("E2000001"));
        QCOMPARE(record.value("station").toString(), QStringLiteral("line-2"));
        QCOMPARE(record.value("outcome").toString(), QStringLiteral("written"));
    }

    // A command made of actions lists them for --help; an action's help has
    // only its own options.
    void helpOfCommandsWithActions_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("epc") << "epc" << QStringList{"read", "write"};
        QTest::newRow("tid") << "tid" << QStringList{"read"};
        QTest::newRow("format") << "format" << QStringList{"show", "set"};
        QTest::newRow("read-mode") << "read-mode" << QStringList{"set"};
        QTest::newRow("journal") << "journal"
                                 << QStringList{"list", "export", "series", "check", "configured"};
    }
    void helpOfCommandsWithActions() {
        QFETCH(QString, command);
        QFETCH(QStringList, actions);
        const Run run = cli({command, "--help"}, home);
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.startsWith(QStringLiteral("Usage: rfid-setup-cli %1 ACTION").arg(command)));
        for (const QString& action : actions)
            QVERIFY2(run.out.contains(QStringLiteral("\n  ") + action + ' '), qPrintable(run.out));
        const Run missing = cli({command}, home);
        QCOMPARE(missing.code, 2);
        QCOMPARE(missing.err.count('\n'), 1);
        QVERIFY(missing.err.startsWith(QStringLiteral("rfid-setup-cli: %1: give an action: %2")
                                           .arg(command, actions.join(QStringLiteral(", ")))));
    }
    void actionHelpHasOnlyItsOwnOptions() {
        const Run run = cli({"journal", "check", "--help"}, home);
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.contains(QStringLiteral("--journal")));
        for (const char* other : {"--last", "--csv", "--output"})
            QVERIFY2(!run.out.contains(QLatin1String(other)), other);
    }
};

QTEST_GUILESS_MAIN(ReaderCliTest)
#include "reader_cli_test.moc"
