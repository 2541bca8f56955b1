#include "support/issue_cli.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

// 00 01 02 ... 1F.
const QByteArray testKey = "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f";

QString writeKey(const QTemporaryDir& dir, const QString& name, const QByteArray& key,
                 mode_t mode = 0600) {
    const QString file = dir.filePath(name);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(key + '\n') != key.size() + 1)
        return QString();
    out.close();
    ::chmod(QFile::encodeName(file).constData(), mode);
    return file;
}

QString derivedPassword(const QByteArray& key, const QString& tid) {
    return QString::fromLatin1(QMessageAuthenticationCode::hash(QByteArray::fromHex(tid.toLatin1()),
                                                                QByteArray::fromHex(key),
                                                                QCryptographicHash::Sha256)
                                   .left(4)
                                   .toHex()
                                   .toUpper());
}

// A simulated field file that holds one fresh tag of a known TID (StoredCRC
// 0000, PC 3000, EPC E2 00 ... 00 01, User memory of 32 words, the TID bank
// permalocked).
QByteArray oneTagField(const QString& tid) {
    return "present 82 0000000000000000 00003000E20000000000000000000001" + QByteArray(8, '0') +
           ' ' + tid.toLatin1() + ' ' + QByteArray(128, '0') + " 00030 0\n";
}

// The last state of every tag the simulated reader had in its field, by TID.
struct TagState {
    QString epc;
    QString password;
    bool locked = false; // the EPC bank and the access password locked
};
QHash<QString, TagState> fieldTags(const QString& fieldFile) {
    QHash<QString, TagState> tags;
    QFile file(fieldFile);
    if (!file.open(QIODevice::ReadOnly))
        return tags;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() != 8)
            continue;
        const QByteArray epcBank = f[3];
        const int words = QByteArray::fromHex(epcBank.mid(4, 2)).at(0) >> 3;
        tags.insert(QString::fromLatin1(f[4]),
                    {QString::fromLatin1(epcBank.mid(8, 4 * words)),
                     QString::fromLatin1(f[2].mid(8, 8)), f[6].at(1) == '2' && f[6].at(2) == '2'});
    }
    return tags;
}

// The journal's records: epc, tid, outcome, lock, keyId.
QList<QJsonObject> journalRecords(const Cli& cli) {
    QByteArray out;
    cli.run({"journal", "export", "--json", "--journal", cli.journal()}, &out);
    QList<QJsonObject> records;
    for (const QByteArray& line : out.split('\n'))
        if (!line.isEmpty())
            records << QJsonDocument::fromJson(line).object();
    return records;
}

// The UHF frames a --debug run sent, out of their tunnel frames (AA 00 LL CE ... XX BB).
QStringList sentModuleFrames(const QByteArray& err) {
    QStringList frames;
    const QString sent = QString::fromUtf8("发送...");
    for (const QString& line : QString::fromUtf8(err).split('\n'))
        if (line.startsWith(sent) && line.mid(sent.size() + 6, 2).toUpper() == "CE")
            frames << line.mid(sent.size() + 8, line.size() - sent.size() - 12).toUpper();
    return frames;
}

const QStringList lockOptions(const QString& key, const QStringList& more = {}) {
    return QStringList{"--lock", "epc,access", "--access-key", key} + more;
}

} // namespace

// Issuing that locks each tag with its own password, from the command line.
class IssueLockCliTest : public QObject {
    Q_OBJECT

  private slots:
    // One tag of a known TID: the exact frames of its lock steps, what the
    // operator reads, and the journal's lock column.
    void locksEachTagWithItsOwnPassword() {
        QTemporaryDir dir;
        Cli cli(dir);
        const QString tid = QStringLiteral("E2801105200000000000ABCD");
        const QString field = dir.filePath("field.txt");
        QFile file(field);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(oneTagField(tid));
        file.close();
        cli.environment.insert("READERHID_SIM_FIELD_FILE", field);
        const QString key = writeKey(dir, "line.key", testKey);
        QCOMPARE(derivedPassword(testKey, tid), QStringLiteral("75DC107C"));

        QByteArray out;
        QByteArray err;
        QCOMPARE(cli.run(cli.issue(QStringList{"--start", number(1), "--count", "1", "--debug"} +
                                   lockOptions(key)),
                         &out, &err),
                 0);
        QCOMPARE(QString::fromUtf8(out),
                 "issued " + number(1) + ' ' + tid + ": access=lock,epc=lock verified\n");
        QVERIFY2(err.contains("\nissued 1 of 1, failed 0, locked 1, verified 1, "),
                 err.constData());
        // After the read back: select the tag by its TID before every command,
        // its password into Reserved word 2, lock EPC and access password
        // (02 80 A0) with it, then without it a write of the same EPC and a
        // read of the password, which the tag refuses (B4, A4).
        const QStringList sent = sentModuleFrames(err);
        const qsizetype at = sent.indexOf("BB0012000102157E") - 1;
        QVERIFY2(at >= 0, qPrintable(sent.join('\n')));
        QCOMPARE(
            sent.mid(at),
            (QStringList{"BB000C001302000000006000E2801105200000000000ABCD917E", "BB0012000102157E",
                         "BB0049000D00000000000002000275DC107C377E", "BB0082000775DC107C0280A0887E",
                         "BB00490015000000000100020006000000000000000000000001687E",
                         "BB00390009000000000000020002467E"}));
        const QString received = QString::fromUtf8(err);
        QVERIFY2(received.contains("BB01FF0001B4B57E") && received.contains("BB01FF0001A4A57E"),
                 err.constData());

        const TagState tag = fieldTags(field).value(tid);
        QCOMPARE(tag.epc, number(1));
        QCOMPARE(tag.password, QStringLiteral("75DC107C"));
        QVERIFY(tag.locked);
        QCOMPARE(cli.run({"journal", "list", "--journal", cli.journal()}, &out), 0);
        QVERIFY2(out.contains(" written ") && out.endsWith("  access=lock,epc=lock verified\n"),
                 out.constData());
        QCOMPARE(cli.run({"journal", "export", "--csv", "--journal", cli.journal()}, &out), 0);
        QVERIFY2(out.contains(",written,,\"access=lock,epc=lock verified\",630dcd2966c43366\n"),
                 out.constData());
        // The password is never in the journal.
        QVERIFY(!out.contains("75DC107C"));
        QCOMPARE(cli.run({"journal", "check", "--journal", cli.journal()}, &out), 0);
        QCOMPARE(out, QByteArray("0 problems, 0 pending, 0 uncertain\n"));
    }

    // Refused before the journal or the reader is touched, exit 2.
    void refusals_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("says");
        QTest::newRow("no key") << QStringList{"--lock", "epc,access"}
                                << "issue: --lock needs --access-key FILE (make one with issue "
                                   "--make-key FILE)";
        QTest::newRow("key readable by others")
            << lockOptions("@open.key") << "（权限 0644）：请让它只有属主能读：chmod 600 @open.key";
        QTest::newRow("no key file") << lockOptions("@missing.key") << "@missing.key: ";
        QTest::newRow("not a key") << lockOptions("@short.key") << "里不是密钥";
        QTest::newRow("tid") << QStringList{"--lock", "tid", "--access-key", "@good.key"}
                             << "issue: --lock takes epc, access or epc,access, not 'tid'";
        QTest::newRow("twice") << QStringList{"--lock", "epc,epc", "--access-key", "@good.key"}
                               << "not 'epc,epc'";
        QTest::newRow("permalock alone")
            << QStringList{"--permalock"} << "issue: --permalock and --access-key go with --lock";
        QTest::newRow("key alone") << QStringList{"--access-key", "@good.key"}
                                   << "issue: --permalock and --access-key go with --lock";
    }
    void refusals() {
        QFETCH(QStringList, options);
        QFETCH(QString, says);
        QTemporaryDir dir;
        Cli cli(dir);
        writeKey(dir, "good.key", testKey);
        writeKey(dir, "open.key", testKey, 0644);
        writeKey(dir, "short.key", testKey.left(60));
        for (QString& option : options)
            option.replace('@', dir.path() + '/');
        says.replace('@', dir.path() + '/');
        QByteArray err;
        QCOMPARE(cli.run(cli.issue(QStringList{"--start", number(1), "--count", "1", "--debug"} +
                                   options),
                         nullptr, &err),
                 2);
        QVERIFY2(err.startsWith("rfid-setup-cli: ") && err.contains(says.toUtf8()),
                 err.constData());
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(!QFile::exists(cli.journal()));
    }

    // A series locked with one key is not continued with another.
    void anotherKeyIsRefusedForTheSeries() {
        QTemporaryDir dir;
        Cli cli(dir);
        const QString first = writeKey(dir, "first.key", testKey);
        const QString second = writeKey(dir, "second.key", QByteArray(64, 'f'));
        QCOMPARE(cli.run(cli.issue(QStringList{"--start", number(1), "--count", "1"} +
                                   lockOptions(first))),
                 0);
        QByteArray err;
        QCOMPARE(cli.run(cli.issue(QStringList{"--count", "1", "--debug"} + lockOptions(second)),
                         nullptr, &err),
                 2);
        const QByteArray secondId =
            QCryptographicHash::hash(QByteArray(32, char(0xFF)), QCryptographicHash::Sha256)
                .toHex()
                .left(16);
        QCOMPARE(err, "rfid-setup-cli: issue: series 1 was locked with key id 630dcd2966c43366, "
                      "not with key id " +
                          secondId + " of " + second.toUtf8() +
                          ": give --access-key the file of key 630dcd2966c43366 (see "
                          "'rfid-setup-cli issue --help')\n");
        QCOMPARE(journalRecords(cli).size(), 1);
    }

    // kill -9 between each pair of a tag's steps, then a restart with the
    // tag still on the antenna (the simulated field outlives the process),
    // then kills at random moments: every tag the reader wrote is locked and
    // verified with a record that says so, or has a record that says what
    // is missing; no tag is locked without its record.
    void killedBetweenStepsLeavesNothingLockedUnrecorded() {
        QTemporaryDir dir;
        Cli cli(dir);
        const QString field = dir.filePath("field.txt");
        cli.environment.insert("READERHID_SIM_FIELD_FILE", field);
        const QString key = writeKey(dir, "line.key", testKey);
        QCOMPARE(cli.run(cli.issue(QStringList{"--start", number(1), "--count", "1"} +
                                   lockOptions(key))),
                 0);
        int kills = 0;
        QByteArray out;
        for (const char* step : {"reserve", "write", "read-back", "password", "lock", "verify"}) {
            cli.environment.insert("RFID_SETUP_CLI_KILL_AT", QString::fromLatin1(step) + ":2");
            QCOMPARE(cli.run(cli.issue(QStringList{"--count", "5"} + lockOptions(key))), -1);
            ++kills;
            cli.environment.remove("RFID_SETUP_CLI_KILL_AT");
            // The restart finishes what the kill left while the tag lies there.
            QCOMPARE(cli.run(cli.issue(QStringList{"--count", "1"} + lockOptions(key)), &out), 0);
            const bool released = step == QLatin1String("reserve");
            QVERIFY2(out.startsWith(released ? "settled : 0 written, 1 released, 0 uncertain\n"
                                             : "settled : 1 written, 0 released, 0 uncertain\n"
                                               "lock-settled ") ||
                         (!released && out.startsWith("lock-settled ")),
                     (step + (": " + out)).data());
            QCOMPARE(cli.run({"journal", "check", "--journal", cli.journal()}, &out), 0);
            QVERIFY2(out == "0 problems, 0 pending, 0 uncertain\n", (step + (": " + out)).data());
        }
        int settled = 0;
        QElapsedTimer bound;
        bound.start();
        while (kills < 26 && bound.elapsed() < 30000) {
            QProcess station;
            cli.start(station, cli.issue(QStringList{"--count", "1000"} + lockOptions(key)));
            QTest::qWait(int(QRandomGenerator::global()->bounded(40, 400)));
            if (station.state() == QProcess::Running) {
                ::kill(pid_t(station.processId()), SIGKILL);
                ++kills;
            }
            QVERIFY(station.state() == QProcess::NotRunning || station.waitForFinished(10000));
            // What each start found left by the kill before it.
            const QByteArray said = station.readAllStandardOutput();
            settled += int(said.count("\nsettled : ") + said.startsWith("settled : ") +
                           said.count("lock-settled "));
        }
        QCOMPARE(cli.run(cli.issue(QStringList{"--count", "1"} + lockOptions(key))), 0);

        const QHash<QString, TagState> tags = fieldTags(field);
        QSet<QString> written;
        for (const QString& write : cli.writes())
            written << write.section(' ', 0, 0);
        QHash<QString, QJsonObject> byTid;
        int records = 0;
        int verified = 0;
        int left = 0;
        for (const QJsonObject& record : journalRecords(cli)) {
            if (record.value("outcome") == QLatin1String("released"))
                continue;
            ++records;
            const QString tid = record.value("tid").toString();
            byTid.insert(tid, record);
            const QString lock = record.value("lock").toString();
            QVERIFY2(lock.startsWith("access=lock,epc=lock"), qPrintable(tid + ' ' + lock));
            if (lock.endsWith(" verified")) {
                ++verified;
                // Verified means locked, with that tag's own password.
                const TagState tag = tags.value(tid);
                QVERIFY2(tag.locked && tag.epc == record.value("epc").toString() &&
                             tag.password == derivedPassword(testKey, tid),
                         qPrintable(tid));
            } else {
                ++left;
            }
        }
        for (const QString& tid : written) {
            const TagState tag = tags.value(tid);
            QVERIFY2(byTid.contains(tid), qPrintable("written without a record: " + tid));
            if (tag.locked)
                QVERIFY2(byTid.value(tid).value("keyId") == QLatin1String("630dcd2966c43366"),
                         qPrintable("locked without its record: " + tid));
        }
        QVERIFY2(kills >= 15, qPrintable(QString::number(kills)));
        QCOMPARE(cli.run({"journal", "check", "--journal", cli.journal()}, &out), 0);
        QCOMPARE(out.contains("lock not verified"), left > 0);
        // The closing note's table.
        qInfo("kills | records | locked and verified | left for settling | settled by a restart");
        qInfo("%5d | %7d | %19d | %17d | %20d", kills, records, verified, left,
              settled + 6); // each step's restart above settled its tag
    }
};

QTEST_GUILESS_MAIN(IssueLockCliTest)
#include "issue_lock_cli_test.moc"
