#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// rfid-setup-cli with its simulated library offering `readers` readers, one
// of them perhaps unplugged after some exchanges.
struct Cli {
    QTemporaryDir dir;
    QByteArray out;
    QByteArray err;

    QString file(const char* name, const QByteArray& content = {}) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile f(path);
        if (!content.isEmpty() && f.open(QIODevice::WriteOnly))
            f.write(content);
        return path;
    }

    // Commands that take a reader get --simulate.
    int run(QStringList arguments, int readers = 1, const QString& unplug = {}) {
        if (arguments.first() == QLatin1String("profile") && arguments.size() > 2)
            arguments << "--simulate";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("READERHID_SIM_READERS", QString::number(readers));
        environment.insert("READERHID_SIM_UNPLUG", unplug);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(CLI_PROGRAM),
                      arguments << "--journal" << file("journal.sqlite"));
        if (!process.waitForFinished(60000))
            return -1;
        out = process.readAllStandardOutput();
        err = process.readAllStandardError();
        return process.exitCode();
    }

    // Per reader its summary, then "setting=outcome" for every failure.
    QStringList summaries() const {
        QStringList list;
        for (const QByteArray& line : out.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o["event"].toString() == "error")
                list << "error " + QString::number(o["exitCode"].toInt());
            else if (o.contains("summary"))
                list << o["reader"].toString() + ' ' + o["summary"].toString();
            else if (!o.isEmpty() && o["outcome"].toString() != "success")
                list << o["setting"].toString() + '=' + o["outcome"].toString();
        }
        return list;
    }
};

const QByteArray kProfile = "[uhf_machine]\nrf_power = 5\nterminator = 1\n"
                            "[wifi]\nname = Warehouse\npassword = \"hunter22\"\n"
                            "[check]\nversion = UHF915-OUT V3.2 2023-06\n";

} // namespace

class ProfileCliTest : public QObject {
    Q_OBJECT
  private slots:
    void everyReaderIsSetUpAndRecorded();
    void readerGoneMidwayOthersGoOn();
    void readerErrorWinsOverNoReply_data();
    void readerErrorWinsOverNoReply();
    void badFileIsRefusedAndPasswordNeverPrinted();
};

void ProfileCliTest::everyReaderIsSetUpAndRecorded() {
    Cli cli;
    const QString profile = cli.file("site.ini", kProfile);
    QCOMPARE(cli.run({"profile", "apply", profile, "--all-readers", "--json"}, 2), 0);
    QCOMPARE(cli.summaries(),
             QStringList({"0483:5750 SIM0001 configured", "0483:5750 SIM0002 configured"}));
    QCOMPARE(cli.run({"journal", "configured", "--csv"}), 0);
    const QList<QByteArray> lines = cli.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 1 + 2 * 4);
    QVERIFY(lines[1].contains(",0483:5750 SIM0001,site,"));
    QVERIFY(lines[8].contains(",0483:5750 SIM0002,site,") &&
            lines[8].endsWith(",version,success,"));
}

void ProfileCliTest::readerGoneMidwayOthersGoOn() {
    Cli cli;
    const QString profile = cli.file("site.ini", kProfile);
    QCOMPARE(cli.run({"profile", "apply", profile, "--all-readers", "--json", "--keep-going"}, 2,
                     "SIM0001:1"),
             4);
    QCOMPARE(cli.summaries(),
             QStringList({"rf_power=no reply", "wifi=not sent", "version=not sent",
                          "0483:5750 SIM0001 failed", "0483:5750 SIM0002 configured", "error 4"}));
    QVERIFY(QString::fromUtf8(cli.out).contains("读卡器 simulated 已断开"));
}

void ProfileCliTest::readerErrorWinsOverNoReply_data() {
    QTest::addColumn<QString>("unplug");
    QTest::newRow("no reply first") << "SIM0001:1";
    QTest::newRow("no reply last") << "SIM0002:1";
}

// One reader gone, the other reporting the wrong version: 3, in either order.
void ProfileCliTest::readerErrorWinsOverNoReply() {
    QFETCH(QString, unplug);
    Cli cli;
    const QString profile = cli.file("site.ini", "[relay]\nstate = on\n[check]\nversion = V9\n");
    QCOMPARE(cli.run({"profile", "apply", profile, "--all-readers", "--json"}, 2, unplug), 3);
    QCOMPARE(cli.summaries().constLast(), "error 3");
}

void ProfileCliTest::badFileIsRefusedAndPasswordNeverPrinted() {
    Cli cli;
    const QString bad =
        cli.file("bad.ini", "[wifi]\npassword = hunter22\n[uhf_machine]\nrf_power = 10\n");
    QCOMPARE(cli.run({"profile", "apply", bad}), 2);
    QCOMPARE(QString::fromUtf8(cli.err),
             "rfid-setup-cli: " + bad +
                 ":4: uhf_machine.rf_power 须为 0 到 9 的十进制数，不能是“10”\n");
    // Refused before the journal was opened: there is none yet.
    QCOMPARE(cli.run({"journal", "configured"}), 6);
    QCOMPARE(cli.out, QByteArray());

    const QString good = cli.file("site.ini", kProfile);
    QCOMPARE(cli.run({"profile", "apply", good, "--dry-run", "--address", "01"}), 0);
    QVERIFY(cli.out.contains("rf_power             AA 01 02 CC 05 CA BB\n"));
    QVERIFY(cli.out.contains("wifi                 AA 01 13 8A 57 61 72 65 68 6F 75 73 65 2C "
                             "** ** ** ** ** ** ** ** ** BB\n"));
    for (const QStringList& arguments :
         {QStringList{"profile", "check", good}, QStringList{"profile", "apply", good}})
        QCOMPARE(cli.run(arguments), 0);
    QVERIFY(!cli.out.contains("hunter22") && !cli.out.contains("68 75 6E") &&
            !cli.err.contains("hunter22"));
    // Nor in the frames that --debug shows.
    QCOMPARE(cli.run({"profile", "apply", good, "--debug"}), 0);
    QVERIFY2(cli.err.contains("发送...AA00138a57617265686F7573652c" + QByteArray(18, '*') + "BB"),
             cli.err.constData());
    QVERIFY(!cli.err.toUpper().contains("68756E746572"));
    QCOMPARE(cli.run({"profile", "template"}), 0);
    QCOMPARE(cli.run({"profile", "check", cli.file("template.ini", cli.out)}), 0);
}

QTEST_GUILESS_MAIN(ProfileCliTest)
#include "profile_cli_test.moc"
