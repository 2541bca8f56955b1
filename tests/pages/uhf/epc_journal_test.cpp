#include "app/journal_window.h"
#include "settings/configuration_record.h"
#include "support/form_fixture.h"
#include "support/installer_device.h"
#include "uhf/issuing_journal.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <ctime>

namespace {

QString number(int n) {
    return QString::number(n, 16).toUpper().rightJustified(24, QLatin1Char('0'));
}

sim::Gen2Tag blankTag(std::uint64_t serial) {
    return sim::Gen2Tag({0xE2, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xBE, 0xEF},
                        serial);
}

// Automatic issuing in the window for as many tags as given, each found by
// two inventories (written, then the same tag again); the lines logged.
QStringList issue(InstallerDevice& device, FormFixture& f, const QList<sim::Gen2Tag>& tags) {
    auto* box = f.find<QCheckBox>("CheckBox20");
    device.inventories = 0;
    device.beforeInventory = [&](int inventory) {
        if (inventory % 2 == 1 && inventory / 2 < tags.size()) {
            device.field().clear();
            device.field().present(tags[inventory / 2]);
        }
        if (inventory == 2 * tags.size())
            box->click();
    };
    f.clearLog();
    box->click();
    return f.lines();
}

} // namespace

// Automatic issuing through the journal, opted into under "系统".
class EpcJournalTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QDir(QFileInfo(IssuingJournal::defaultLocation()).absolutePath()).removeRecursively();
    }

    void continuesTheSeriesAfterARestart() {
        {
            InstallerDevice device;
            FormFixture f(device);
            f.find<QLineEdit>("Edit61")->setText("0");
            f.form.findChild<QAction*>("JournalOptIn")->trigger();
            QCOMPARE(issue(device, f, {blankTag(1), blankTag(2), blankTag(3)}),
                     (QStringList{"写卡成功,卡号" + number(1), "写卡成功,卡号" + number(2),
                                  "写卡成功,卡号" + number(3)}));
            QCOMPARE(f.find<QLineEdit>("Edit54")->text(), number(4));
        }
        // The window starts again: without the journal the series starts over,
        // with it the series goes on, and a tag issued before is not written again.
        InstallerDevice device;
        FormFixture f(device);
        f.find<QLineEdit>("Edit61")->setText("0");
        QCOMPARE(f.find<QLineEdit>("Edit54")->text(), number(1));
        f.form.findChild<QAction*>("JournalOptIn")->trigger();
        QCOMPARE(f.find<QLineEdit>("Edit54")->text(), number(4));

        sim::Bytes one(12, 0);
        one[11] = 1;
        const QStringList lines =
            issue(device, f, {sim::Gen2Tag(one, 1), blankTag(4), blankTag(5)});
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("标签 E28011052000000000000001 已发卡号 " + number(1) +
                                    "，不再写   " + FormFixture::time()));
        QCOMPARE(lines.mid(1), (QStringList{QString(), "写卡成功,卡号" + number(4),
                                            "写卡成功,卡号" + number(5)}));
        QVERIFY(f.errors.isEmpty());

        IssuingJournal journal;
        QVERIFY(journal.open(QString()));
        QCOMPARE(journal.records().size(), 5);
        QVERIFY(journal.check().problems.isEmpty());

        // The journal view exports every record.
        QTemporaryDir dir;
        JournalWindow view(journal, [](const QString&) {});
        QStringList logged;
        view.setLog([&logged](const QString& line) { logged << line; });
        QVERIFY(view.exportTo(dir.filePath("journal.csv")));
        QCOMPARE(logged,
                 QStringList{"已导出 5 条发卡记录到 " + dir.filePath("journal.csv") + "   "});
        QFile csv(dir.filePath("journal.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = csv.readAll().split('\n');
        QCOMPARE(rows.first(),
                 QByteArray("id,series,epc,tid,station,time,outcome,uri,lock,key_id"));
        QCOMPARE(rows.size(), 7); // header, five records, the empty end
        QVERIFY(rows[5].contains(number(5).toLatin1() + ",E28011052000000000000005,"));

        // It shows the stored UTC times in the local zone (here 8 hours
        // east), and its columns fill its width.
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "UTC-8");
        tzset();
        JournalWindow local(journal, [](const QString&) {});
        local.show();
        const auto* table = local.findChild<QTableWidget*>("JournalTable");
        const QDateTime stored =
            QDateTime::fromString(journal.records().constLast().time, Qt::ISODateWithMs);
        QCOMPARE(table->item(table->rowCount() - 1, 3)->text(),
                 stored.toUTC().addSecs(8 * 3600).toString("yyyy-MM-dd HH:mm:ss"));
        int widths = 0;
        for (int column = 0; column < table->columnCount(); ++column)
            widths += table->columnWidth(column);
        QCOMPARE(widths, table->viewport()->width());
        if (zone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", zone);
        tzset();
    }

    // Every window action takes the journal that $RFID_JOURNAL names, and a
    // step typed with leading zeros is the series' own step.
    void everyActionFollowsTheAddressRule() {
        QTemporaryDir dir;
        const QString address = dir.filePath("site.sqlite");
        qputenv("RFID_JOURNAL", address.toLocal8Bit());
        InstallerDevice device;
        FormFixture f(device);
        QFile profile(dir.filePath("relay.ini"));
        QVERIFY(profile.open(QIODevice::WriteOnly));
        profile.write("[relay]\nstate = on\n");
        profile.close();
        QTimer::singleShot(0, [] {
            QWidget* window = QApplication::activeModalWidget();
            window->findChild<QPushButton*>("ProfileApply")->click();
            window->close();
        });
        f.form.applyProfileFile(profile.fileName());
        QVERIFY(f.errors.isEmpty());

        f.find<QLineEdit>("Edit61")->setText("0");
        f.form.findChild<QAction*>("JournalOptIn")->trigger();
        f.find<QLineEdit>("Edit54")->setText(number(0x100));
        f.find<QLineEdit>("Edit62")->setText("01");
        QCOMPARE(issue(device, f, {blankTag(0x100), blankTag(0x101)}),
                 (QStringList{"写卡成功,卡号" + number(0x100), "写卡成功,卡号" + number(0x101)}));
        f.form.findChild<QAction*>("JournalOptIn")->trigger();
        qunsetenv("RFID_JOURNAL");

        IssuingJournal journal;
        QVERIFY(journal.open(address, IssuingJournal::Access::Read));
        QCOMPARE(ConfigurationRecord(journal.database()).applications().size(), 1);
        QCOMPARE(journal.records().size(), 2);
    }

    // "写后锁定": each tag issued gets its own password and is locked and
    // verified, one line each; it needs the journal and a usable key file.
    void lockAfterWriteLocksEachTag() {
        QTemporaryDir dir;
        const QString key = dir.filePath("line.key");
        QFile file(key);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f\n");
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QSettings settings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"));
        settings.setValue("issuing/accessKeyFile", key);
        settings.sync();
        qputenv("RFID_JOURNAL", dir.filePath("lock.sqlite").toLocal8Bit());
        const auto restore = qScopeGuard([] {
            qunsetenv("RFID_JOURNAL");
            QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"))
                .remove("issuing/accessKeyFile");
        });
        InstallerDevice device;
        FormFixture f(device);
        QCOMPARE(f.find<QLabel>("AccessKeyPath")->text(), key);
        auto* lock = f.find<QCheckBox>("LockAfterWriteCheck");
        QVERIFY(!lock->isChecked());
        lock->setChecked(true);
        f.find<QLineEdit>("Edit61")->setText("0");
        // Without the journal the locks could not be recorded: refused.
        f.click("CheckBox20");
        QVERIFY(!f.find<QCheckBox>("CheckBox20")->isChecked());
        QCOMPARE(f.errors, QStringList{"写后锁定要把每个标签的锁定记入发卡记录：请先勾选“系统 → "
                                       "自动发卡使用发卡记录”"});
        f.errors.clear();

        f.form.findChild<QAction*>("JournalOptIn")->trigger();
        f.find<QLineEdit>("Edit54")->setText(number(1));
        const QStringList lines = issue(device, f, {blankTag(0x41), blankTag(0x42)});
        QVERIFY(f.errors.isEmpty());
        QCOMPARE(
            lines,
            (QStringList{"写卡成功,卡号" + number(1),
                         "标签 E28011052000000000000041 已锁定并验证（access=lock,epc=lock）   " +
                             FormFixture::time(),
                         "", "写卡成功,卡号" + number(2),
                         "标签 E28011052000000000000042 已锁定并验证（access=lock,epc=lock）   " +
                             FormFixture::time(),
                         ""}));
        const sim::Gen2Tag& last = device.field().tag(0);
        QCOMPARE(int(last.lockBits(sim::LockArea::Epc)), 0b10);
        QCOMPARE(int(last.lockBits(sim::LockArea::AccessPassword)), 0b10);
        IssuingJournal journal;
        QVERIFY(journal.open(dir.filePath("lock.sqlite"), IssuingJournal::Access::Read));
        QCOMPARE(lockText(journal.records().at(0).lock), "access=lock,epc=lock verified");
        f.form.findChild<QAction*>("JournalOptIn")->trigger();
    }

    // The window issues as the station named in its settings, held while the
    // journal is in use and shown in the status bar.
    void theStationIsHeldShownAndKept() {
        InstallerDevice device;
        FormFixture f(device);
        QVERIFY(f.form.setJournalStation("line 2"));
        IssuingJournal twin;
        QVERIFY(twin.open(QString()));
        QCOMPARE(int(twin.hold("line 2")), int(IssuingJournal::Status::Ok));
        auto* optIn = f.form.findChild<QAction*>("JournalOptIn");
        optIn->trigger();
        QVERIFY(!optIn->isChecked());
        QVERIFY(f.errors.value(0).startsWith("工位 line 2 正被另一个进程使用"));

        QVERIFY(f.form.setJournalStation("line 3"));
        f.clearLog();
        optIn->trigger();
        QVERIFY(optIn->isChecked());
        QCOMPARE(f.lines(), QStringList{"自动发卡使用发卡记录 " + twin.displayAddress() +
                                        "，工位 line 3   " + FormFixture::time()});
        const auto* label = f.find<QLabel>("JournalStationLabel");
        QCOMPARE(label->text(), QString("发卡工位：line 3"));
        QVERIFY(!label->isHidden());
        QVERIFY(!f.form.setJournalStation(QString(65, 'x')));
        QCOMPARE(f.form.journalStation(), QString("line 3"));
        QVERIFY(f.form.setJournalStation(IssuingJournal::defaultStation()));
    }
};

QTEST_MAIN(EpcJournalTest)
#include "epc_journal_test.moc"
