#include "support/cli_run.h"
#include "support/module_replies.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Environment = QMap<QString, QString>;

namespace {

const QString epc = QStringLiteral("E20047139020602107401234");
// UL, PC and EPC of the tag at start, as the module's replies name it.
const QString identity = QStringLiteral("0E 3000 ") + epc;
// The simulated tag at start as a production line leaves it.
const QMap<QString, QString> finished{
    {QStringLiteral("READERHID_SIM_PASSWORDS"), QStringLiteral("0000FFFF:87654321")}};

// The reader link's --debug lines of one exchange: the module frame as the
// tool builds it, inside the tunnel's frame, and the reader's reply.
QStringList exchange(const QString& sent, const QString& reply) {
    const QString frame = tunnelled(sent);
    return {QStringLiteral("发送...") + frame.left(6) + QStringLiteral("ce") + sent +
                frame.right(4),
            QStringLiteral("接收...") + carrying(reply)};
}

QStringList reply(const QString& command, const QString& answer) {
    return exchange(moduleFrame(command), moduleFrame(answer));
}

// The one tag in the field found (three rounds), selected by its EPC, its TID
// read, then selected by the TID.
QStringList choosing(const QString& tid) {
    QStringList lines;
    for (int round = 0; round < 3; ++round)
        lines << exchange(
            QStringLiteral("bb00220000227e"),
            moduleFrame(QStringLiteral("01 22 00 11 C8 3000 ") + epc + QStringLiteral(" 0E24")));
    return lines << reply("00 0C 00 13 01 00000020 60 00 " + epc, "01 0C 00 01 00")
                 << reply("00 12 00 01 02", "01 12 00 01 00")
                 << reply("00 39 00 09 00000000 02 0000 0006", "01 39 00 1B " + identity + tid)
                 << reply("00 0C 00 13 02 00000000 60 00 " + tid, "01 0C 00 01 00");
}

// The TID of the tag a run acted on: each run's simulated field has its own.
QString tidOf(const Run& run) {
    static const QRegularExpression tid(QStringLiteral("E28011052000[0-9A-F]{12}"));
    return tid.match(run.err).captured();
}

Run tag(const QStringList& arguments, const QTemporaryDir& home,
        const QMap<QString, QString>& env = {}) {
    return runCli(QStringList{QStringLiteral("tag")} + arguments + QStringList{"--simulate"}, home,
                  env);
}

QStringList lines(const QString& text) {
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TagCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;

  private slots:
    // Each operation on the one tag in the field: every frame on the wire,
    // the result line naming the tag, or the module's error in words.
    void operationFrames_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Environment>("env");
        QTest::addColumn<QStringList>("frames"); // after choosing the tag
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("line"); // %1 the TID
        const Environment fresh;
        QTest::newRow("read user")
            << QStringList{"read", "--bank", "user", "--word", "4", "--count", "2"} << fresh
            << reply("00 39 00 09 00000000 03 0004 0002", "01 39 00 13 " + identity + "0000 0000")
            << 0 << "TID %1：user 区第 4 字起 2 个字：0000 0000";
        QTest::newRow("write user")
            << QStringList{"write", "--bank", "user", "--word", "0", "1234", "5678"} << fresh
            << reply("00 49 00 0D 00000000 03 0000 0002 12345678", "01 49 00 10 " + identity + "00")
            << 0 << "TID %1：已写入 user 区第 0 字起 2 个字";
        QTest::newRow("set access password")
            << QStringList{"set-password", "access", "0000FFFF"} << fresh
            << reply("00 49 00 0D 00000000 00 0002 0002 0000FFFF", "01 49 00 10 " + identity + "00")
            << 0 << "TID %1：访问密码已设置";
        QTest::newRow("set kill password with the access password")
            << QStringList{"set-password", "kill", "11112222", "--access-password", "0000FFFF"}
            << finished
            << reply("00 49 00 0D 0000FFFF 00 0000 0002 11112222", "01 49 00 10 " + identity + "00")
            << 0 << "TID %1：灭活密码已设置";
        QTest::newRow("lock")
            << QStringList{"lock", "epc=lock,access=lock"} << fresh
            << reply("00 82 00 07 00000000 0280A0", "01 82 00 10 " + identity + "00") << 0
            << "TID %1：已锁定：access=lock,epc=lock（标签的锁定状态无法读回，请记下这次的设定）";
        QTest::newRow("kill") << QStringList{"kill", "--kill-password", "87654321"} << finished
                              << reply("00 65 00 04 87654321", "01 65 00 10 " + identity + "00")
                              << 0 << "TID %1：已灭活，标签再也不会应答";
        QTest::newRow("wrong access password")
            << QStringList{"read", "--bank", "reserved", "--access-password", "11111111"} << fresh
            << reply("00 39 00 09 11111111 00 0000 0004", "01 FF 00 01 16") << 3
            << "rfid-setup-cli: TID %1：访问失败：访问密码错误 (16)";
        QTest::newRow("locked password without the access password")
            << QStringList{"read", "--bank", "reserved"} << finished
            << reply("00 39 00 09 00000000 00 0000 0004", "01 FF 00 01 A4") << 3
            << "rfid-setup-cli: TID %1：读取失败：标签存储区已锁定 (A4)";
        QTest::newRow("locked User bank")
            << QStringList{"write", "--bank", "user", "--word", "0", "ABCD"} << finished
            << reply("00 49 00 0B 00000000 03 0000 0001 ABCD", "01 FF 00 01 B4") << 3
            << "rfid-setup-cli: TID %1：写入失败：标签存储区已锁定 (B4)";
        QTest::newRow("a kill password of zero on the tag")
            << QStringList{"kill", "--kill-password", "12345678"} << fresh
            << reply("00 65 00 04 12345678", "01 FF 00 01 D0") << 3
            << "rfid-setup-cli: TID %1：灭活失败：灭活密码为零，标签不能灭活 (D0)";
    }
    void operationFrames() {
        QFETCH(QStringList, arguments);
        QFETCH(Environment, env);
        QFETCH(QStringList, frames);
        QFETCH(int, exitCode);
        QFETCH(QString, line);
        const Run run = tag(arguments + QStringList{"--debug"}, home, env);
        const QString tid = tidOf(run);
        QVERIFY2(!tid.isEmpty(), qPrintable(run.err));
        QStringList expected = choosing(tid) + frames;
        if (exitCode)
            expected << line.arg(tid);
        QCOMPARE(lines(run.err), expected);
        QCOMPARE(run.out, exitCode ? QString() : line.arg(tid) + '\n');
        QCOMPARE(run.code, exitCode);
    }

    // A tag named by its EPC has its TID read and is selected by it; one named
    // by its TID is selected at once. Nothing looks for the tags in the field.
    void choosingByEpcOrTid() {
        Run run = tag({"read", "--bank", "user", "--count", "1", "--epc", epc, "--debug"}, home);
        const QString tid = tidOf(run);
        QCOMPARE(run.code, 0);
        const QString readUser = QStringLiteral("00 39 00 09 00000000 03 0000 0001");
        QCOMPARE(lines(run.err),
                 choosing(tid).mid(6) + reply(readUser, "01 39 00 11 " + identity + "0000"));
        const QString model = QStringLiteral("E2801105");
        run = tag({"read", "--bank", "user", "--count", "1", "--tid", model, "--debug"}, home);
        QCOMPARE(run.code, 0);
        QCOMPARE(lines(run.err), reply("00 0C 00 0B 02 00000000 20 00 " + model, "01 0C 00 01 00") +
                                     reply("00 12 00 01 02", "01 12 00 01 00") +
                                     reply(readUser, "01 39 00 11 " + identity + "0000"));
        QCOMPARE(run.out, QStringLiteral("TID E2801105：user 区第 0 字起 1 个字：0000\n"));
    }

    // A TID read shows the class, mask designer and model; --json holds them.
    void tidReadAsJson() {
        const Run run = tag({"read", "--bank", "tid", "--json"}, home);
        QCOMPARE(run.code, 0);
        const QJsonObject read = json(run.out);
        const QString tid = read.value("tid").toString();
        QVERIFY(tid.startsWith("E28011052000"));
        QCOMPARE(read,
                 json(QStringLiteral(R"({"event":"tag-read","tid":"%1","epc":"%2","bank":"tid",
            "word":0,"count":6,"data":"%1","tidClass":"E2","maskDesigner":"801","model":"105"})")
                          .arg(tid, epc)));
        const Run text = tag({"read", "--bank", "tid"}, home);
        QCOMPARE(lines(text.out).value(1),
                 QStringLiteral("TID %1：TID 类别 E2（EPC Gen2），厂商代码 801，型号 105")
                     .arg(lines(text.out).value(0).mid(4, 24)));
    }

    // Refused before any tag command is sent: exit 2 and the reason; where a
    // tag has to be found first, only the inventory went out.
    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("tags"); // READERHID_SIM_TAGS
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("zero kill password")
            << QStringList{"kill", "--kill-password", "00000000"} << "1" << 2
            << "tag kill: a tag whose kill password is 00000000 cannot be killed; nothing sent";
        QTest::newRow("permanent without --permanent")
            << QStringList{"lock", "epc=lock,user=permaopen"} << "1" << 2
            << "tag lock: user=permaopen can never be undone";
        QTest::newRow("unknown area")
            << QStringList{"lock", "bank=lock"} << "1" << 2 << "tag lock: no area 'bank'";
        QTest::newRow("unknown action")
            << QStringList{"lock", "epc=seal"} << "1" << 2 << "tag lock: no action 'seal'";
        QTest::newRow("area twice") << QStringList{"lock", "epc=lock,epc=open"} << "1" << 2
                                    << "tag lock: epc is given twice";
        QTest::newRow("odd hex digits")
            << QStringList{"write", "--bank", "user", "--word", "0", "12345"} << "1" << 2
            << "tag write: HEX takes 2 to 131072 bytes of hex digits, not '12345'";
        QTest::newRow("half a word")
            << QStringList{"write", "--bank", "user", "--word", "0", "123456"} << "1" << 2
            << "tag write: HEX takes whole words";
        QTest::newRow("several tags")
            << QStringList{"read", "--bank", "epc"} << "3" << 2
            << "天线区域内有 3 个标签（EPC E20047139020602107401234, %1, %2）：请用 --tid 或 --epc "
               "选定要操作的标签";
        QTest::newRow("no tag") << QStringList{"read", "--bank", "epc"} << "0" << 4
                                << "天线区域内没有标签：请把标签放到读卡器上再试";
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, tags);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        const Run run = tag(arguments + QStringList{"--debug"}, home,
                            {{"READERHID_SIM_TAGS", tags}, {"READERHID_SIM_ROUND", "every"}});
        QCOMPARE(run.code, exitCode);
        QStringList sent = lines(run.err).filter(QStringLiteral("发送..."));
        sent.removeAll(QStringLiteral("发送...AA0008cebb00220000227e03BB"));
        QCOMPARE(sent, QStringList());
        QString last = lines(run.err).value(lines(run.err).size() - 1);
        // The other tags of the field have random EPCs.
        last.replace(QRegularExpression(", [0-9A-F]{24}, [0-9A-F]{24}）"), ", %1, %2）");
        QVERIFY2(last.startsWith(QStringLiteral("rfid-setup-cli: ") + error), qPrintable(last));
        QCOMPARE(run.out, QString());
    }

    // The password issuing gives a tag, from the key and the TID's bytes; a
    // key file others may read is refused with the chmod to run.
    void passwordFromKey() {
        const QString key = home.filePath("line.key");
        QFile file(key);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f\n");
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        const QStringList arguments{"tag",          "password", "--tid", "E2801105200068678F1EC59B",
                                    "--access-key", key};
        Run run = runCli(arguments, home, {});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QStringLiteral("TID E2801105200068678F1EC59B：访问密码 93895EBC\n"));
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        run = runCli(arguments, home, {});
        QCOMPARE(run.code, 2);
        QCOMPARE(run.err,
                 QStringLiteral("rfid-setup-cli: tag password: 密钥文件 %1 别人也能读取（权限 "
                                "0604）：请让它只有属主能读：chmod 600 %1\n")
                     .arg(key));
        QCOMPARE(run.out, QString());
    }

    // "tag --help" lists the actions; an action's help only its own options.
    void helpPerAction() {
        const Run actions = runCli({"tag", "--help"}, home, {});
        for (const char* action :
             {"read ", "write ", "set-password ", "lock ", "kill ", "password "})
            QVERIFY2(actions.out.contains(QStringLiteral("  ") + action), action);
        const Run kill = runCli({"tag", "kill", "--help"}, home, {});
        QVERIFY(kill.out.contains("--kill-password"));
        QVERIFY(!kill.out.contains("--access-password <") && !kill.out.contains("--bank <"));
        const Run password = runCli({"tag", "password", "--help"}, home, {});
        QVERIFY(password.out.contains("--access-key"));
        QVERIFY(!password.out.contains("--debug") && !password.out.contains("--simulate"));
    }
};

QTEST_GUILESS_MAIN(TagCliTest)
#include "tag_cli_test.moc"
