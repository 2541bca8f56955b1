#include "support/cli_run.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

const QMap<QString, QString> kEnglish = {{QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8")}};

bool hasChinese(const QString& text) {
    static const QRegularExpression han(QStringLiteral("[\\x{3000}-\\x{303F}\\x{4E00}-\\x{9FFF}"
                                                       "\\x{FF00}-\\x{FFEF}]"));
    return text.contains(han);
}

} // namespace

// The tool's own lines follow the locale; its usage stays English. What a new
// user ran into: profile actions and their help, file extensions, a journal
// made for a run that cannot start, advice that does not fit, a silent stop,
// and a mistyped option.
class LanguageCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;

    Run cli(QStringList arguments, const QMap<QString, QString>& env = {}) {
        return runCli(arguments, home, env);
    }

  private slots:
    // English mode: the reader, journal and profile lines carry no Chinese;
    // Chinese mode (the default) prints them as ever.
    void failureLinesFollowTheLocale_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("chinese");
        QTest::addColumn<QString>("english");
        QTest::newRow("odd EPC")
            << QStringList{"epc", "write", "E20000", "--simulate"} << 2
            << "epc write: EPC E20000: EPC号长度须为 2 到 62 之间的偶数个字节，"
               "现为 3 字节 (see 'rfid-setup-cli epc write --help')"
            << "epc write: EPC E20000: An EPC must be an even number of "
               "bytes, 2 to 62; the number of bytes given is 3 (see "
               "'rfid-setup-cli epc write --help')";
        QTest::newRow("issue start")
            << QStringList{"issue", "--start", "01", "--count", "1", "--simulate"} << 2
            << "issue: --start '01': EPC号长度须为 2 到 62 之间的偶数个"
               "字节，现为 1 字节 (see 'rfid-setup-cli issue --help')"
            << "issue: --start '01': An EPC must be an even number of "
               "bytes, 2 to 62; the number of bytes given is 1 (see "
               "'rfid-setup-cli issue --help')";
        QTest::newRow("EPC beyond the tag memory")
            << QStringList{"epc", "write", QString(39, '0') + '1', "--simulate"} << 3
            << "没有写入：写超出标签存储区.....：EPC 号比标签的存储区长，请用较短的 EPC 号或"
               "存储区更大的标签"
            << "Not written: The write goes beyond the tag memory.....: the EPC is longer than "
               "the tag memory; use a shorter EPC or a tag with more memory";
        QTest::newRow("serial port gone")
            << QStringList{"inventory", "--serial", "/dev/no-such-port",
                           "--seconds", "1",        "--simulate"}
            << 3 << "串口 /dev/no-such-port 打不开：the com is not exist!..."
            << "Cannot open serial port /dev/no-such-port: the com is not exist!...";
        QTest::newRow("not GS1")
            << QStringList{"epc", "decode", "E20047139020602107401234"} << 2
            << "epc decode: not a GS1 EPC: 头部 E2 不是 GS1 EPC 的头部 (see 'rfid-setup-cli epc "
               "decode --help')"
            << "epc decode: not a GS1 EPC: header E2 is not a GS1 EPC header (see "
               "'rfid-setup-cli epc decode --help')";
        QTest::newRow("GS1 check digit")
            << QStringList{"epc", "encode", "(01)80614141123457(21)6789", "--company-prefix-length",
                           "7"}
            << 2
            << "epc encode: GTIN 80614141123457 的校验位应为 8，不是 7 (see 'rfid-setup-cli epc "
               "encode --help')"
            << "epc encode: the check digit of GTIN 80614141123457 is 8, not 7 (see "
               "'rfid-setup-cli epc encode --help')";
        const QString station(65, 'x');
        QTest::newRow("station name")
            << QStringList{"issue",    "--station", station, "--start",
                           "E2000001", "--count",   "1",     "--simulate"}
            << 2
            << "issue: --station: 工位名称须为 1 到 64 个可打印字符，不能是“" + station +
                   "”：请换一个工位名称 (see 'rfid-setup-cli issue --help')"
            << "issue: --station: a station name is 1 to 64 printable characters, not '" + station +
                   "'; choose another name (see 'rfid-setup-cli issue --help')";
        // A file of the test's own: a profile with a bad value, and so a file
        // that a new key may not replace.
        const QString profile = home.filePath(QStringLiteral("bad.ini"));
        QFile bad(profile);
        if (bad.open(QIODevice::WriteOnly | QIODevice::Truncate))
            bad.write("[uhf_machine]\nrf_power = 10\n");
        bad.close();
        QTest::newRow("profile value")
            << QStringList{"profile", "check", profile} << 2
            << profile + ":2: uhf_machine.rf_power 须为 0 到 9 的十进制数，不能是“10”"
            << profile + ":2: uhf_machine.rf_power takes a decimal number from 0 to 9, not '10'";
        QTest::newRow("key file exists")
            << QStringList{"issue", "--make-key", profile} << 2
            << "issue --make-key: " + profile + " 已经存在，密钥文件不会被覆盖：请另给一个文件名"
            << "issue --make-key: " + profile +
                   " exists already; a key file is never replaced: give another file name";
        // A folder where the journal's file should be: the step and the
        // advice in the language, the driver's own words as they come.
        QTest::newRow("journal cannot be opened")
            << QStringList{"issue",    "--journal", home.path(), "--start",
                           "E2000001", "--count",   "1",         "--simulate"}
            << 6
            << "发卡记录打开失败：unable to open database file Error opening database：请检查 "
               "--journal 给出的发卡记录位置、权限或数据库连接"
            << "The journal could not open: unable to open database file Error opening database: "
               "check the journal location given with --journal, its permissions or the database "
               "connection";
        QTest::newRow("no library")
            << QStringList{"epc", "read", "--library", "/nonexistent/libreaderhid.so"} << 3 << ""
            << "";
    }
    void failureLinesFollowTheLocale() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, chinese);
        QFETCH(QString, english);
        const Run zh = cli(arguments);
        const Run en = cli(arguments, kEnglish);
        QCOMPARE(zh.code, exitCode);
        QCOMPARE(en.code, exitCode);
        QVERIFY2(hasChinese(zh.err), qPrintable(zh.err));
        QVERIFY2(!hasChinese(en.err) && !en.err.isEmpty(), qPrintable(en.err));
        if (!chinese.isEmpty()) {
            QCOMPARE(zh.err, "rfid-setup-cli: " + chinese + '\n');
            QCOMPARE(en.err, "rfid-setup-cli: " + english + '\n');
        }
    }

    void profileActionsAndTheirOwnHelp() {
        const Run actions = cli({"profile", "--help"});
        QCOMPARE(actions.code, 0);
        for (const char* action : {"apply", "check", "template"})
            QVERIFY2(actions.out.contains(QStringLiteral("\n  %1 ").arg(action)),
                     qPrintable(actions.out));
        const Run check = cli({"profile", "check", "--help"});
        QCOMPARE(check.code, 0);
        QVERIFY(check.out.contains("--address"));
        for (const char* other :
             {"--all-readers", "--keep-going", "--dry-run", "--simulate", "--journal", "--debug"})
            QVERIFY2(!check.out.contains(other), qPrintable(check.out));
        const Run apply = cli({"profile", "apply", "--help"});
        QVERIFY(apply.out.contains("--all-readers") && apply.out.contains("--journal"));
        QCOMPARE(cli({"profile"}).code, 2);
        // The options common to every command are still taken.
        QCOMPARE(cli({"profile", "template", "--simulate"}).code, 0);
    }

    void profileCheckRefusesAWifiPasswordTheModuleCannotTake_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("problem");
        QTest::newRow("7") << "1234567"
                           << ":3: wifi.password 须为空或 8 到 63 个字符，不能是 7 个";
        QTest::newRow("64") << QString(64, 'p')
                            << ":3: wifi.password 须为空或 8 到 63 个字符，不能是 64 个";
        QTest::newRow("8") << "12345678"
                           << "";
        QTest::newRow("63") << QString(63, 'p') << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void profileCheckRefusesAWifiPasswordTheModuleCannotTake() {
        QFETCH(QString, password);
        QFETCH(QString, problem);
        const QString file = home.filePath(QStringLiteral("wifi.ini"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(("[wifi]\nname = Warehouse\npassword = \"" + password + "\"\n").toUtf8());
        out.close();
        const Run run = cli({"profile", "check", file});
        QCOMPARE(run.code, problem.isEmpty() ? 0 : 2);
        if (!problem.isEmpty())
            QCOMPARE(run.err, "rfid-setup-cli: " + file + problem + '\n');
        QVERIFY(password.isEmpty() || !run.err.contains(password));
    }

    // English counts one record and several apart; Chinese says both alike.
    void theEpcisLeftOutLineFollowsTheLocale_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("chinese");
        QTest::addColumn<QString>("english");
        QTest::newRow("one") << "1"
                             << "略去 1 条记录：1 条不是 GS1"
                             << "left out 1 record: 1 not GS1";
        QTest::newRow("two") << "2"
                             << "略去 2 条记录：2 条不是 GS1"
                             << "left out 2 records: 2 not GS1";
    }
    void theEpcisLeftOutLineFollowsTheLocale() {
        QFETCH(QString, count);
        QFETCH(QString, chinese);
        QFETCH(QString, english);
        QTemporaryDir dir;
        const QString journal = dir.filePath(QStringLiteral("j.sqlite"));
        QCOMPARE(cli({"issue", "--simulate", "--start", "0001", "--count", count, "--pause", "0",
                      "--journal", journal})
                     .code,
                 0);
        const QStringList exportIt = {"journal", "export", "--epcis", "--journal", journal};
        QCOMPARE(cli(exportIt).err, chinese + '\n');
        QCOMPARE(cli(exportIt, kEnglish).err, english + '\n');
    }

    void aRunThatCannotStartCreatesNoJournal() {
        QTemporaryDir dir;
        const QString journal = dir.filePath(QStringLiteral("new/journal.sqlite"));
        const Run run = cli({"issue", "--simulate", "--count", "1", "--journal", journal});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains("give --start"), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("new"))));
    }

    void anExportedJournalGetsItsExtension() {
        QTemporaryDir dir;
        const QString journal = dir.filePath(QStringLiteral("journal.sqlite"));
        QCOMPARE(cli({"issue", "--simulate", "--start", "E2000001", "--count", "1", "--pause", "0",
                      "--journal", journal})
                     .code,
                 0);
        const QString records = dir.filePath(QStringLiteral("records"));
        QCOMPARE(
            cli({"journal", "export", "--csv", "--output", records, "--journal", journal}).code, 0);
        QVERIFY(!QFileInfo::exists(records));
        QFile csv(records + ".csv");
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(
            csv.readAll().startsWith("id,series,epc,tid,station,time,outcome,uri,lock,key_id\n"));
    }

    void aMistypedOptionGetsTheNearestOne_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("suggestion");
        QTest::newRow("adress") << QStringList{"epc", "read", "--adress", "01"}
                                << " Did you mean --address?";
        QTest::newRow("simulte") << QStringList{"version", "--simulte"}
                                 << " Did you mean --simulate?";
        QTest::newRow("far from all") << QStringList{"version", "--zzzzzzzz"} << "";
    }
    void aMistypedOptionGetsTheNearestOne() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, suggestion);
        const Run run = cli(arguments);
        QCOMPARE(run.code, 2);
        const QString option = arguments.at(arguments.size() > 3 ? 2 : 1).mid(2);
        QCOMPARE(run.err, QStringLiteral("rfid-setup-cli: %1: Unknown option '%2'.%3 (see "
                                         "'rfid-setup-cli %1 --help')\n")
                              .arg(arguments.first() == "epc" ? "epc read" : arguments.first(),
                                   option, suggestion));
    }
};

QTEST_GUILESS_MAIN(LanguageCliTest)
#include "language_cli_test.moc"
