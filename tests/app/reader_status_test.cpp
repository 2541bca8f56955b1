// The reader in the status bar, following readers plugged in and out, and
// the dialog that chooses among several; settings kept in a folder of the
// test's own.
#include "app/device_monitor.h"
#include "app/reader_dialog.h"
#include "protocol/reader_settings.h"
#include "support/form_fixture.h"
#include "support/private_settings.h"
#include "support/scripted_device.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const ReaderInfo kFirst{0x0483, 0x5750, "RFID Reader", "A1", "/dev/hidraw3", true};
const ReaderInfo kSecond{0x1a86, 0xe010, "", "", "/dev/hidraw5", false};

QStringList rows(QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class ReaderStatusTest : public QObject {
    Q_OBJECT

    PrivateSettings settings;
    ScriptedDevice device;

  private slots:
    void initTestCase() { settings.use(); }
    void init() {
        PrivateSettings::clear();
        device = ScriptedDevice();
        device.listing = true;
    }

    void panelNamesTheSimulatedReaderInUseAmongSeveral() {
        device.simulating = true;
        device.found = {{0x0483, 0x5750, "", "SIM0001", "sim:1", false},
                        {0x0483, 0x5750, "", "SIM0002", "sim:2", true}};
        FormFixture f(device);
        QCOMPARE(f.form.panelText(2),
                 QString::fromUtf8("RFID   模拟读卡器（没有连接真实设备） 序列号 SIM0002"));
        device.found.removeFirst();
        f.form.readersChanged();
        QCOMPARE(f.form.panelText(2), QString::fromUtf8("RFID   模拟读卡器（没有连接真实设备）"));
    }

    void panelFollowsPluggingAndUnplugging() {
        FormFixture f(device);
        QCOMPARE(f.form.panelText(2), QString::fromUtf8("RFID   未找到读卡器"));
        DeviceMonitor monitor;
        f.form.watch(monitor);

        device.found = {kFirst};
        monitor.handle({"hidraw", "add", "/dev/hidraw3"});
        QCOMPARE(f.form.panelText(2), QString::fromUtf8("RFID   RFID Reader (0483:5750)"));
        // The reader is reopened, with the choice kept (none here: automatic).
        QCOMPARE(device.chosen.size(), 2);
        QCOMPARE(device.chosen.last(), ReaderInfo());

        // Events that are no plugging leave the panel as it is.
        device.found = {};
        monitor.handle({"hidraw", "change", "/dev/hidraw3"});
        monitor.handle({"usb", "remove", "/dev/bus/usb/001/004"});
        QCOMPARE(f.form.panelText(2), QString::fromUtf8("RFID   RFID Reader (0483:5750)"));

        monitor.handle({"hidraw", "remove", "/dev/hidraw3"});
        QCOMPARE(f.form.panelText(2), QString::fromUtf8("RFID   未找到读卡器"));

        // A reader without a product string is named by its kind.
        ReaderInfo unnamed = kSecond;
        unnamed.inUse = true;
        device.found = {unnamed};
        monitor.handle({"hidraw", "add", "/dev/hidraw5"});
        QCOMPARE(f.form.panelText(2), QString::fromUtf8("RFID   USB HID 读卡器 (1a86:e010)"));
    }

    void libraryWithoutListLeavesThePanel() {
        device.listing = false;
        FormFixture f(device);
        DeviceMonitor monitor;
        f.form.watch(monitor);
        monitor.handle({"hidraw", "add", "/dev/hidraw3"});
        QCOMPARE(f.form.panelText(2), QString("RFID"));
        QVERIFY(device.chosen.isEmpty());
    }

    void savedChoiceIsTakenAtStartAndAfterPlugging() {
        readersettings::saveChoice(kSecond);
        FormFixture f(device);
        QCOMPARE(device.chosen, QList<ReaderInfo>{kSecond});
        DeviceMonitor monitor;
        f.form.watch(monitor);
        monitor.handle({"hidraw", "add", "/dev/hidraw5"});
        QCOMPARE(device.chosen, (QList<ReaderInfo>{kSecond, kSecond}));
    }

    void dialogListsTheReadersWithTheOneInUseSelected() {
        device.found = {kFirst, kSecond};
        ReaderDialog dialog(device);
        auto* list = dialog.findChild<QListWidget*>("ReaderList");
        QCOMPARE(
            rows(list),
            (QStringList{QString::fromUtf8("RFID Reader  (0483:5750)  序列号 A1  /dev/hidraw3"),
                         QString::fromUtf8("  (1a86:e010)  /dev/hidraw5")}));
        QCOMPARE(dialog.chosen(), kFirst);
        list->setCurrentRow(1);
        QCOMPARE(dialog.chosen(), kSecond);
    }

    void dialogSaysWhenThereIsNothingToChoose_data() {
        QTest::addColumn<bool>("listing");
        QTest::addColumn<QString>("row");
        QTest::newRow("none found") << true << QString::fromUtf8("未找到读卡器");
        QTest::newRow("library cannot list")
            << false << QString::fromUtf8("读卡器库不能列出读卡器");
    }
    void dialogSaysWhenThereIsNothingToChoose() {
        QFETCH(bool, listing);
        QFETCH(QString, row);
        device.listing = listing;
        ReaderDialog dialog(device);
        auto* list = dialog.findChild<QListWidget*>("ReaderList");
        QCOMPARE(rows(list), QStringList{row});
        list->setCurrentRow(0);
        QCOMPARE(dialog.chosen(), ReaderInfo());
    }

    void dialogAddsAnIdAndKeepsIt() {
        ReaderDialog dialog(device);
        auto* edit = dialog.findChild<QLineEdit*>("ReaderIdEdit");
        auto* note = dialog.findChild<QLabel*>("ReaderIdNote");
        edit->setText("1A86:zz10");
        dialog.addId();
        QCOMPARE(note->text(), QString::fromUtf8("格式为 vvvv:pppp（十六进制）"));
        QVERIFY(device.addedIds.isEmpty());

        edit->setText(" 1A86:E010 ");
        dialog.addId();
        QCOMPARE(device.addedIds, QStringList{"1a86:e010"});
        QCOMPARE(readersettings::addedIds(), QStringList{"1a86:e010"});
        QCOMPARE(edit->text(), QString());
        edit->setText("1a86:e010");
        dialog.addId();
        QCOMPARE(readersettings::addedIds(), QStringList{"1a86:e010"});

        device.listing = false;
        edit->setText("10c4:ea60");
        dialog.addId();
        QCOMPARE(note->text(), QString::fromUtf8("读卡器库不接受此ID"));
        QCOMPARE(readersettings::addedIds(), QStringList{"1a86:e010"});
    }

    // Through the menu: the reader chosen is used and kept for the next start.
    void menuChoiceIsUsedAndKept() {
        device.found = {kFirst, kSecond};
        FormFixture f(device);
        device.chosen.clear();
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<ReaderDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QListWidget*>("ReaderList")->setCurrentRow(1);
            dialog->accept();
        });
        f.find<QAction>("ChooseReader")->trigger();
        QCOMPARE(device.chosen, QList<ReaderInfo>{kSecond});
        QCOMPARE(readersettings::savedChoice(), kSecond);

        // Cancelled: nothing changes.
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        f.find<QAction>("ChooseReader")->trigger();
        QCOMPARE(device.chosen.size(), 1);
        QCOMPARE(readersettings::savedChoice(), kSecond);
    }
};

QTEST_MAIN(ReaderStatusTest)
#include "reader_status_test.moc"
