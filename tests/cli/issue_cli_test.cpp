#include "support/file_size_limit.h"
#include "support/issue_cli.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The command-line tool issuing against the simulated reader, as a script runs it.
class IssueCliTest : public QObject {
    Q_OBJECT

  private slots:
    void issuesConsecutiveNumbersEachOnceAllRecorded() {
        QTemporaryDir dir;
        Cli cli(dir);
        QByteArray out;
        QCOMPARE(cli.run(cli.issue({"--start", number(1), "--count", "20", "--json"}), &out), 0);
        QStringList issued;
        for (const QByteArray& line : out.split('\n')) {
            const QJsonObject event = QJsonDocument::fromJson(line).object();
            if (event.value("event") == QLatin1String("issued"))
                issued << event.value("epc").toString();
        }
        QStringList expected;
        for (int n = 1; n <= 20; ++n)
            expected << number(n);
        QCOMPARE(issued, expected);

        QStringList written;
        for (const QString& record : cli.records()) {
            QVERIFY2(record.endsWith(QLatin1String(" written")), qPrintable(record));
            written << record.section(' ', 0, 0);
        }
        QCOMPARE(written, expected);
        QCOMPARE(cli.writes().size(), 20);

        // Without --start the series goes on after its last number.
        QCOMPARE(cli.run(cli.issue({"--count", "2", "--json"}), &out), 0);
        QVERIFY(out.contains(number(21).toLatin1()));
        QVERIFY(out.contains(number(22).toLatin1()));
        // A step is known by its value: one written wider than the start joins the series.
        QCOMPARE(cli.run(cli.issue({"--start", number(1), "--step", "0000" + number(1), "--count",
                                    "1", "--json"}),
                         &out),
                 0);
        QVERIFY(out.contains(number(23).toLatin1()));
        QCOMPARE(cli.run({"journal", "check", "--journal", cli.journal()}), 0);
    }

    // A key is made once; a second --make-key never replaces it.
    void makeKeyCreatesOnceAndNeverReplaces() {
        QTemporaryDir dir;
        Cli cli(dir);
        const QString key = dir.filePath("line1.key");
        QByteArray out;
        QByteArray err;
        QCOMPARE(cli.run({"issue", "--make-key", key}, &out, &err), 0);
        QVERIFY2(QRegularExpression("^created the access key .*line1.key \\(key id [0-9a-f]{16}\\)")
                     .match(QString::fromUtf8(out))
                     .hasMatch(),
                 out.constData());
        QFile file(key);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray made = file.readAll();
        QCOMPARE(made.size(), 65);
        QCOMPARE(file.permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(cli.run({"issue", "--make-key", key}, &out, &err), 2);
        QVERIFY2(err.contains("已经存在，密钥文件不会被覆盖"), err.constData());
        file.seek(0);
        QCOMPARE(file.readAll(), made);
    }

    // The exit codes that scripts rely on.
    void exitCodes() {
        QTemporaryDir dir;
        Cli cli(dir);
        QCOMPARE(cli.run({"nonsense"}), 2);
        QCOMPARE(cli.run(cli.issue({"--count", "1"})), 2); // no series yet
        QCOMPARE(cli.run({"epc", "read", "--library", "/nonexistent/libreaderhid.so"}), 3);
        QCOMPARE(cli.run({"issue", "--help"}), 0);

        // 5: the series' next number is held by another series' record.
        QCOMPARE(cli.run(cli.issue({"--start", number(1), "--count", "3"})), 0);
        QByteArray err;
        QCOMPARE(cli.run(cli.issue({"--start", number(2), "--step", "2", "--count", "1"}), nullptr,
                         &err),
                 5);
        QVERIFY2(err.contains(number(2).toLatin1()), err.constData());

        // 3: the reader refuses the same way on three tags in a row.
        QCOMPARE(
            cli.run(cli.issue({"--start", QString(39, '0') + '1', "--count", "5"}), nullptr, &err),
            3);
        QVERIFY2(err.endsWith("rfid-setup-cli: issue: the reader refused 3 tags in a row: "
                              "写超出标签存储区.....: the EPC is longer than the tags' memory; "
                              "use a shorter number or other tags\nissued 0 of 5, failed 3, "
                              "0.0 tags per minute\n"),
                 err.constData());

        // 6: the journal cannot be created where a file stands in the way.
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QCOMPARE(cli.run({"issue", "--simulate", "--start", number(1), "--count", "1", "--journal",
                          dir.filePath(QStringLiteral("file/journal.sqlite"))}),
                 6);
    }

    // Operator values are read strictly, before anything is opened; each
    // refusal names the option and the text.
    void refusesLooseInput_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("refusal");
        const QString start = number(1);
        QTest::newRow("count 0") << QStringList{"--start", start, "--count", "0"}
                                 << "issue: --count takes a decimal number from 1 to 2147483647, "
                                    "not '0'";
        QTest::newRow("pause in hex")
            << QStringList{"--start", start, "--count", "1", "--pause", "$10"}
            << "issue: --pause takes a decimal number from 0 to 3600000, not '$10'";
        QTest::newRow("start not hex")
            << QStringList{"--start", "XYZ0001", "--count", "1"}
            << "issue: --start takes 1 to 64 bytes of hex digits, not 'XYZ0001'";
        QTest::newRow("start not whole words")
            << QStringList{"--start", "000001", "--count", "1"}
            << "issue: --start '000001': EPC号长度须为 2 到 62 之间的偶数个字节，现为 3 字节";
        QTest::newRow("step of five digits blames the step")
            << QStringList{"--start", "0001", "--step", "10000", "--count", "1"}
            << "issue: 步长 10000 比起始号 0001 的位数多：请用更短的步长";
        QTest::newRow("step zero") << QStringList{"--start", start, "--step", "0", "--count", "1"}
                                   << "issue: 步长须为 1 或更大的十六进制数，不能是“0”";
        QTest::newRow("step with a blank inside a pair")
            << QStringList{"--start", start, "--step", "0 1", "--count", "1"}
            << "issue: --step takes 1 to 64 bytes of hex digits, not '0 1'";
        QTest::newRow("step wider than the start")
            << QStringList{"--start", "0001", "--step", "00010000", "--count", "1"}
            << "issue: 步长 00010000 比起始号 0001 的位数多：请用更短的步长";
        QTest::newRow("password short")
            << QStringList{"--start", start, "--count", "1", "--password", "0000"}
            << "issue: --password takes 4 bytes of hex digits, not '0000'";
    }
    void refusesLooseInput() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        Cli cli(dir);
        QByteArray err;
        QCOMPARE(cli.run(cli.issue(arguments), nullptr, &err), 2);
        QCOMPARE(QString::fromUtf8(err),
                 "rfid-setup-cli: " + refusal + " (see 'rfid-setup-cli issue --help')\n");
        QVERIFY(!QFile::exists(cli.journal()));
    }

    // A reader that stops answering ends the run after three missed replies.
    void stopsAfterThreeMissedReplies() {
        QTemporaryDir dir;
        Cli cli(dir);
        cli.environment.insert(QStringLiteral("READERHID_SIM_SILENT"), QStringLiteral("1"));
        QByteArray err;
        QCOMPARE(
            cli.run(cli.issue({"--start", number(1), "--count", "1", "--debug"}), nullptr, &err),
            4);
        QCOMPARE(err.toUpper().count("发送...AA0008CEBB00220000227E03BB"), 3);
        QVERIFY(err.contains("rfid-setup-cli: 通讯错误，没有接收到数据.."));
        QVERIFY2(err.endsWith(", stopped: the reader did not answer 3 times in a row\n"),
                 err.constData());
    }

    // SIGINT or SIGTERM ends the pause after a tag at once, with the summary.
    void signalStopsDuringThePause_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }
    void signalStopsDuringThePause() {
        QFETCH(int, signal);
        QTemporaryDir dir;
        Cli cli(dir);
        QProcess process;
        cli.start(process, {"issue", "--simulate", "--journal", cli.journal(), "--start", number(1),
                            "--count", "5", "--pause", "3600000"});
        QVERIFY(process.waitForStarted());
        QByteArray out;
        while (!out.contains("issued") && process.waitForReadyRead(30000))
            out += process.readAllStandardOutput();
        QVERIFY2(out.contains("issued " + number(1).toLatin1()), out.constData());
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(err.contains("\nissued 1 of 5, failed 0"), err.constData());
        // The summary says who stopped the run.
        QVERIFY2(
            err.endsWith(signal == SIGINT ? ", stopped by Ctrl-C\n" : ", stopped by signal 15\n"),
            err.constData());
    }

    // Journal addresses: a mistyped one is refused, reading never creates one.
    void journalAddressesAndReading_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("list of a missing journal")
            << QStringList{"journal", "list", "--journal", "missing/j.sqlite"} << 6
            << "rfid-setup-cli: missing/j.sqlite 处没有发卡记录\n";
        QTest::newRow("check of an empty file")
            << QStringList{"journal", "check", "--journal", "empty.sqlite"} << 6
            << "rfid-setup-cli: empty.sqlite 处没有发卡记录\n";
        QTest::newRow("check of a damaged file")
            << QStringList{"journal", "check", "--journal", "garbage.sqlite"} << 5 << "";
        QTest::newRow("password not shown")
            << QStringList{"issue", "--simulate", "--count", "1", "--journal", " pgsql://u:pw@h/db"}
            << 6
            << "rfid-setup-cli: "
               "不是发卡记录的地址：“pgsql://u:***@h/db”（应为文件路径、sqlite:路径或 "
               "postgresql://[用户[:密码]@]主机[:端口]/数据库）\n";
        QTest::newRow("station name too long")
            << QStringList{"issue", "--simulate", "--count", "1", "--station", QString(65, 'x')}
            << 2 << "";
    }
    void journalAddressesAndReading() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QFile(dir.filePath("empty.sqlite")).open(QIODevice::WriteOnly);
        QFile garbage(dir.filePath("garbage.sqlite"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, 'x'));
        garbage.close();
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(CLI_PROGRAM), arguments);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), exitCode);
        if (!message.isEmpty())
            QCOMPARE(QString::fromUtf8(process.readAllStandardError()),
                     message.chopped(1) +
                         "：请检查 --journal 给出的发卡记录位置、权限或数据库连接\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 (QStringList{"empty.sqlite", "garbage.sqlite"}));
        QCOMPARE(QFileInfo(dir.filePath("empty.sqlite")).size(), 0);
    }

    // A station continues its own series; one without any is shown the
    // journal's series; a series stops at its last number.
    void seriesPerStationAndItsEnd() {
        QTemporaryDir dir;
        Cli cli(dir);
        QByteArray out;
        QByteArray err;
        QCOMPARE(
            cli.run(cli.issue({"--station", "a", "--start", "FFFE", "--count", "5"}), &out, &err),
            1);
        QVERIFY2(err.startsWith("rfid-setup-cli: created a new journal at "), err.constData());
        QVERIFY2(err.contains("rfid-setup-cli: 系列到 FFFF 已用完：请开始一个新的系列\n"),
                 err.constData());
        QVERIFY(out.contains("issued FFFE") && out.contains("issued FFFF"));
        QCOMPARE(cli.run(cli.issue({"--station", "b", "--count", "1"}), &out, &err), 2);
        QVERIFY2(err.startsWith("rfid-setup-cli: series 1: start FFFE, step 1, forward, last FFFF "
                                "(up to FFFF), stations a; 0 pending, 2 written, 0 uncertain, 0 "
                                "released\nrfid-setup-cli: issue: station b has no series to "
                                "continue"),
                 err.constData());
        // The address may come from the environment.
        qputenv("RFID_JOURNAL", cli.journal().toLocal8Bit());
        const int listed = cli.run({"journal", "series"}, &out);
        qunsetenv("RFID_JOURNAL");
        QCOMPARE(listed, 0);
        QVERIFY(out.startsWith("series 1: start FFFE, step 1, forward, last FFFF"));
    }

    // epc decode and encode, offline: exact output, and refusals exit 2.
    void gs1DecodeAndEncode_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        const QString fields = QStringLiteral(
            "urn:epc:tag:sgtin-96:3.0614141.812345.6789\nscheme sgtin-96\nfilter 3\n"
            "partition 5\ncompanyPrefix 0614141\nitemReference 812345\nserial 6789\n"
            "gtin 80614141123458\npureIdentityUri urn:epc:id:sgtin:0614141.812345.6789\n");
        QTest::newRow("decode") << QStringList{"epc", "decode",
                                               "30 74 25 7B F7 19 4E 40 00 00 1A 85"}
                                << 0 << fields;
        QTest::newRow("encode a tag URI")
            << QStringList{"epc", "encode", "urn:epc:tag:sgtin-96:3.0614141.812345.6789"} << 0
            << "3074257BF7194E4000001A85\n" + fields;
        QTest::newRow("encode an element string") << QStringList{"epc",
                                                                 "encode",
                                                                 "(01)80614141123458(21)6789",
                                                                 "--company-prefix-length",
                                                                 "7",
                                                                 "--filter",
                                                                 "3"}
                                                  << 0 << "3074257BF7194E4000001A85\n" + fields;
        QTest::newRow("SSCC as JSON")
            << QStringList{"epc", "decode", "3154257BF4499602D2000000", "--json"} << 0
            << "{\"companyPrefix\":\"0614141\",\"epc\":\"3154257BF4499602D2000000\","
               "\"filter\":2,\"partition\":5,\"pureIdentityUri\":"
               "\"urn:epc:id:sscc:0614141.1234567890\",\"scheme\":\"sscc-96\","
               "\"serialReference\":\"1234567890\",\"sscc\":\"106141412345678908\","
               "\"tagUri\":\"urn:epc:tag:sscc-96:2.0614141.1234567890\"}\n";
        QTest::newRow("read, not GS1")
            << QStringList{"epc", "read", "--simulate"} << 0 << "E20047139020602107401234\n";
        QTest::newRow("read as JSON")
            << QStringList{"epc", "read", "--simulate", "--json"} << 0
            << "{\"epc\":\"E20047139020602107401234\",\"event\":\"epc\"}\n";
        QTest::newRow("not GS1") << QStringList{"epc", "decode", "E20047139020602107401234"} << 2
                                 << "";
        QTest::newRow("not hex") << QStringList{"epc", "decode", "30G4"} << 2 << "";
        QTest::newRow("element string without its prefix length")
            << QStringList{"epc", "encode", "(01)80614141123458(21)6789"} << 2 << "";
        QTest::newRow("wrong check digit")
            << QStringList{"epc", "encode", "(01)80614141123457(21)6789", "--company-prefix-length",
                           "7"}
            << 2 << "";
        QTest::newRow("filter beside a tag URI")
            << QStringList{"epc", "encode", "urn:epc:tag:sgtin-96:3.0614141.812345.6789",
                           "--filter", "1"}
            << 2 << "";
    }
    void gs1DecodeAndEncode() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QTemporaryDir dir;
        QByteArray printed;
        QCOMPARE(Cli(dir).run(arguments, &printed), exitCode);
        QCOMPARE(QString::fromUtf8(printed), out);
    }

    // A series started from a tag URI counts the serial, records hex, lists
    // URIs, and stops at the serial's last value with exit 1.
    void issuesFromATagUriUntilTheSerialRunsOut() {
        QTemporaryDir dir;
        Cli cli(dir);
        const QString prefix = QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.");
        QCOMPARE(
            cli.run(cli.issue({"--start", prefix + "274877906940", "--step", "1", "--count", "5"})),
            1);
        QByteArray out;
        QByteArray err;
        QCOMPARE(cli.run({"journal", "list", "--journal", cli.journal()}, &out, &err), 0);
        QCOMPARE(err, QByteArray());
        QStringList uris;
        for (const QByteArray& line : out.split('\n'))
            if (!line.isEmpty())
                uris << QString::fromLatin1(line.split(' ').constLast());
        QCOMPARE(uris, (QStringList{prefix + "274877906940", prefix + "274877906941",
                                    prefix + "274877906942", prefix + "274877906943"}));
        QVERIFY(out.startsWith("1  1  3074257BF7194E7FFFFFFFFC "));

        // The SSCC's serial reference lies above 24 unused bits.
        QCOMPARE(cli.run(cli.issue({"--start", "(00)106141412345678908", "--company-prefix-length",
                                    "7", "--filter", "2", "--step", "5", "--count", "2"})),
                 0);
        QCOMPARE(cli.run({"journal", "export", "--csv", "--journal", cli.journal()}, &out), 0);
        QVERIFY(out.contains(",3154257BF4499602D7000000,"));
        QVERIFY(out.contains(",urn:epc:tag:sscc-96:2.0614141.1234567895,,\n"));
        QCOMPARE(cli.run(cli.issue({"--start", prefix + "1", "--reverse", "--count", "1"})), 2);
        QCOMPARE(cli.run(cli.issue({"--start", prefix + "1", "--step", "0", "--count", "1"})), 2);
    }

    // kill -9 at random moments, again and again, of two stations issuing one
    // series and of a twin started under one of their names: no tag written
    // without its record, no number on two tags, nothing left pending, no gap.
    void killedAtRandomLosesNothingAndReusesNothing() {
        QTemporaryDir dir;
        Cli cli(dir);
        const QStringList names = {"a", "b"};
        for (const QString& name : names)
            QCOMPARE(cli.run(cli.issue({"--station", name, "--start", number(1), "--count", "1"})),
                     0);
        int kills = 0;
        int twinsRefused = 0;
        QElapsedTimer bound;
        bound.start();
        while (kills < 40 && bound.elapsed() < 90000) {
            QProcess stations[3];
            for (int i = 0; i < 3; ++i)
                cli.start(stations[i], cli.issue({"--station", names[i % 2], "--count", "1000"}));
            QTest::qWait(int(QRandomGenerator::global()->bounded(30, 400)));
            for (QProcess& station : stations)
                if (station.state() == QProcess::Running) {
                    ::kill(pid_t(station.processId()), SIGKILL);
                    ++kills;
                }
            for (QProcess& station : stations)
                QVERIFY(station.state() == QProcess::NotRunning || station.waitForFinished(10000));
            // The twin of "a" either found "a" holding the name or ran alone.
            if (stations[2].exitStatus() == QProcess::NormalExit) {
                QCOMPARE(stations[2].exitCode(), 5);
                QVERIFY(stations[2].readAllStandardError().contains("工位 a 正被另一个进程使用"));
                ++twinsRefused;
            }
        }
        QVERIFY2(kills >= 20, qPrintable(QString::number(kills)));
        QVERIFY(twinsRefused > 0);
        // A last run of each station settles what the last kill left pending.
        for (const QString& name : names)
            QCOMPARE(cli.run(cli.issue({"--station", name, "--count", "3"})), 0);

        const QStringList writes = cli.writes();
        QVERIFY(writes.size() > 20);
        QSet<QString> written;
        for (const QString& write : writes)
            written << write.section(' ', 1, 1);
        QCOMPARE(written.size(), writes.size()); // no number on two tags

        QHash<QString, QString> recorded; // "tid epc" → outcome
        for (const QString& record : cli.records()) {
            const QStringList f = record.split(' ');
            recorded.insert(f[1] + ' ' + f[0], f[2]);
            QVERIFY2(f[2] != QLatin1String("pending"), qPrintable(record));
        }
        for (const QString& write : writes) {
            const QString outcome = recorded.value(write);
            QVERIFY2(outcome == QLatin1String("written") || outcome == QLatin1String("uncertain"),
                     qPrintable(write + " → " + outcome));
        }
        QByteArray out;
        QCOMPARE(cli.run({"journal", "check", "--journal", cli.journal()}, &out), 0);
        QVERIFY2(!out.contains("gap"), out.constData());
        qInfo("%d kills, %d twins refused, %lld records, %lld tags written", kills, twinsRefused,
              qint64(recorded.size()), qint64(writes.size()));
    }

    // A failed write of export or list is one line and exit 6, never a
    // silent loss; a file that --output names is replaced whole or not at all.
    void exportAndListCheckEveryWrite() {
        QTemporaryDir dir;
        Cli cli(dir);
        QCOMPARE(cli.run(cli.issue({"--start", number(1), "--count", "3"})), 0);
        QByteArray csv;
        QCOMPARE(cli.run({"journal", "export", "--csv", "--journal", cli.journal()}, &csv), 0);
        const QString output = writeFile(dir, "export.csv", "kept");
        QCOMPARE(
            cli.run({"journal", "export", "--csv", "--output", output, "--journal", cli.journal()}),
            0);
        QCOMPARE(readFile(output), csv);

        QByteArray err;
        QCOMPARE(cli.run({"journal", "export", "--json", "--output", "/dev/full", "--journal",
                          cli.journal()},
                         nullptr, &err),
                 6);
        QVERIFY2(err.startsWith("rfid-setup-cli: journal export: cannot write /dev/full: ") &&
                     err.count('\n') == 1,
                 err.constData());
        QProcess list;
        list.setStandardOutputFile(QStringLiteral("/dev/full"));
        cli.start(list, {"journal", "list", "--journal", cli.journal()});
        QVERIFY(list.waitForFinished(60000));
        QCOMPARE(list.exitCode(), 6);
        QVERIFY(list.readAllStandardError().startsWith(
            "rfid-setup-cli: journal list: cannot write stdout: "));

        // A disk that fills up during the export: the limit leaves room for
        // what SQLite writes to read the journal (its 32 KiB -shm file), not
        // for the export of 1,000 more records.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "more");
            db.setDatabaseName(cli.journal());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                "INSERT INTO tags (series, epc, tid, station, time, outcome) SELECT 1, "
                "printf('%08X', i), printf('E2%022X', i), 'a', '2026-01-02T03:04:05.000Z', "
                "'written' FROM n"));
        }
        QSqlDatabase::removeDatabase("more");
        writeFile(dir, "export.csv", "kept");
        {
            const FileSizeLimit limit(40000);
            QCOMPARE(cli.run({"journal", "export", "--csv", "--output", output, "--journal",
                              cli.journal()},
                             nullptr, &err),
                     6);
        }
        QVERIFY2(err.startsWith("rfid-setup-cli: journal export: cannot write " + output.toUtf8()),
                 err.constData());
        QCOMPARE(readFile(output), QByteArray("kept"));
        QCOMPARE(QDir(dir.path()).entryList({"export.csv*"}, QDir::Files),
                 QStringList{"export.csv"});
    }

    // Two stations on one PostgreSQL journal, 50 tags each: 100 numbers, none twice.
    void twoStationsShareOneRangeOnPostgres() {
        const QByteArray url = qgetenv("RFID_TEST_POSTGRES_URL");
        if (url.isEmpty())
            QSKIP("RFID_TEST_POSTGRES_URL is not set (scripts/test starts a server)");
        QTemporaryDir dir;
        Cli cli(dir);
        // A database of this test's own, so that runs do not meet.
        const QString database =
            QStringLiteral("issuing_%1").arg(QRandomGenerator::global()->generate());
        QProcess psql;
        psql.start(QStringLiteral("psql"),
                   {QString::fromLatin1(url), "-c", "CREATE DATABASE " + database});
        QVERIFY(psql.waitForFinished(30000));
        QCOMPARE(psql.exitCode(), 0);
        const QString journal = QString::fromLatin1(url).section('/', 0, -2) + '/' + database;

        QProcess stations[2];
        const char* names[] = {"a", "b"};
        for (int i = 0; i < 2; ++i)
            cli.start(stations[i], {"issue", "--simulate", "--pause", "0", "--journal", journal,
                                    "--station", names[i], "--start", number(1), "--count", "50"});
        for (QProcess& station : stations) {
            QVERIFY(station.waitForFinished(120000));
            QVERIFY2(station.exitCode() == 0, station.readAllStandardError().constData());
        }
        QByteArray out;
        QCOMPARE(cli.run({"journal", "export", "--csv", "--journal", journal}, &out), 0);
        QSet<QString> numbers;
        for (const QByteArray& line : out.split('\n').mid(1))
            if (!line.isEmpty())
                numbers << QString::fromLatin1(line.split(',').at(2));
        QCOMPARE(numbers.size(), 100);
        for (int n = 1; n <= 100; ++n)
            QVERIFY(numbers.contains(number(n)));
        QCOMPARE(cli.run({"journal", "check", "--journal", journal}), 0);
    }

    // The journal's server stops under a running station: one line on
    // stderr, which says what to do, and nothing of the driver's or the server's.
    void aStoppedServerIsOneLine() {
        if (qgetenv("RFID_TEST_POSTGRES_URL").isEmpty())
            QSKIP("RFID_TEST_POSTGRES_URL is not set (scripts/test starts a server)");
        const QString script = QStringLiteral(SOURCE_DIR "/scripts/postgres-test-server");
        QProcess server;
        server.start(script, QStringList());
        QVERIFY(server.waitForFinished(60000));
        const QStringList started = QString::fromLatin1(server.readAllStandardOutput()).split(' ');
        QCOMPARE(started.size(), 2);
        // A password in the query reaches libpq, never the terminal.
        const QString journal = started[1].trimmed() + "?password=secret";
        const QByteArray shown = started[1].trimmed().toUtf8() + "?password=***";
        const auto stop = qScopeGuard([&] { QProcess::execute(script, {"stop", started[0]}); });
        QTemporaryDir dir;
        Cli cli(dir);
        QByteArray err;
        QCOMPARE(cli.run({"journal", "list", "--journal", journal}, nullptr, &err), 6);
        QCOMPARE(QString::fromUtf8(err),
                 "rfid-setup-cli: " + shown +
                     " 处没有发卡记录：请检查 --journal 给出的发卡记录位置、权限或数据库连接\n");
        const QStringList issue = {"issue",     "--simulate", "--pause",   "0",
                                   "--journal", journal,      "--station", "a",
                                   "--start",   number(1),    "--count"};
        QCOMPARE(cli.run(issue + QStringList{"1"}, nullptr, &err), 0);
        QVERIFY2(err.startsWith("rfid-setup-cli: created a new journal at " + shown + '\n'),
                 err.constData());
        QProcess station;
        cli.start(station, issue + QStringList{"1000000"});
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += station.readAllStandardOutput()).contains("issued"),
                                 30000);
        QCOMPARE(QProcess::execute(script, {"stop", started[0]}), 0);
        QVERIFY(station.waitForFinished(60000));
        QCOMPARE(station.exitCode(), 6);
        // Beside the run's summary line.
        const QString lines =
            QString::fromUtf8(station.readAllStandardError())
                .remove(QRegularExpression(QStringLiteral("(?m)^issued \\d+ of .*\n")));
        static const QRegularExpression oneLine(
            QStringLiteral("^rfid-setup-cli: 发卡记录\\S+失败：发卡记录的服务器断开了连接：请检查"
                           "服务器是否在运行，然后重新开始\n$"));
        QVERIFY2(oneLine.match(lines).hasMatch(), qPrintable(lines));
    }
};

QTEST_GUILESS_MAIN(IssueCliTest)
#include "issue_cli_test.moc"
