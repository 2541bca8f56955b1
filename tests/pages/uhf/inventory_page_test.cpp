#include "pages/page_checks.h"
#include "pages/uhf/inventory_page.h"
#include "serial/port_discovery.h"
#include "serial/pseudo_terminal.h"
#include "support/module_replies.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>

namespace {

constexpr int inventoryPage = 10;
const QString roundFrame = tunnelled(QStringLiteral("BB 00 22 00 00 22 7E"));

// A notice of a tag read: RSSI, PC 30 00, the 12-byte EPC, a CRC.
QString notice(const QString& rssi, const QString& epc) {
    return moduleFrame(QStringLiteral("02 22 00 11 ") + rssi + QStringLiteral(" 30 00 ") + epc +
                       QStringLiteral(" 12 34"));
}

const QString tagA = QStringLiteral("E20047139020602107401234");
const QString tagB = QStringLiteral("300833B2DDD9014000000001");

// Unticks the box as soon as every scripted reply has been taken, so a run
// sends exactly one round per reply.
void stopWhenScriptEnds(ScriptedDevice& device, QCheckBox* box, QTimer& timer) {
    QObject::connect(&timer, &QTimer::timeout, [&device, box] {
        if (device.replies.isEmpty())
            box->setChecked(false);
    });
    timer.start(0);
}

// A module on a serial port: the notices on multiple inventory (27), and the
// answers to Select (0C), select mode (12) and stop (28).
struct SerialModule {
    SerialModule() {
        reader.answer = [this](const QString& frame) {
            const QString command = frame.mid(4, 2);
            if (command == QLatin1String("27"))
                return hex::toBytes(notices);
            return hex::toBytes(moduleFrame(QStringLiteral("01 ") + command + " 00 01 00"));
        };
    }

    ScriptedSerialReader reader;
    QString notices = notice("C9", tagA) + notice("B0", tagB) + notice("C4", tagA);
};

const QString start27 = QStringLiteral("BB0027000322FFFF4A7E");
const QString stop28 = QStringLiteral("BB00280000287E");

// The page set to inventory over the port, with the mask given.
void chooseSerial(FormFixture& f, const QString& port, const QString& mask = {}) {
    qputenv("RFID_SERIAL_PORTS", port.toLocal8Bit());
    f.find<QComboBox>("LinkCombo")->setCurrentIndex(int(InventoryPage::Link::Serial));
    f.find<QLineEdit>("MaskEdit")->setText(mask);
}

// Runs the inventory (inside the click, as the operator starts it) and calls
// during() once the reads are in; a guard unticks the box after 30 s.
void runUntilRead(FormFixture& f, quint64 reads, const std::function<void()>& during) {
    auto* page = f.find<InventoryPage>("InventorySheet");
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (page->statistics().reads() < reads)
            return;
        poll.stop();
        during();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        f.find<QCheckBox>("InventoryRun")->setChecked(false);
        QFAIL("the run did not end");
    });
    poll.start(10);
    guard.start(30000);
    f.click("InventoryRun");
}

} // namespace

class InventoryPageTest : public QObject {
    Q_OBJECT
  private slots:
    void roundsCountEveryNoticeOfEachReply() {
        ScriptedDevice device;
        FormFixture f(device);
        auto* page = f.find<InventoryPage>("InventorySheet");
        device.reply(carrying(notice("C9", tagA) + notice("B0", tagB)));
        device.reply(carrying(moduleFrame("01 FF 00 01 15")));
        device.reply(carrying(notice("C4", tagA)));
        QTimer stopper;
        stopWhenScriptEnds(device, f.find<QCheckBox>("InventoryRun"), stopper);
        f.click("InventoryRun");

        QCOMPARE(device.written, QStringList(3, roundFrame));
        QCOMPARE(page->rounds(), quint64(3));
        const uhf::InventoryStatistics& s = page->statistics();
        QCOMPARE(s.reads(), quint64(3));
        QCOMPARE(s.distinctTags(), quint64(2));
        const uhf::TagStatistics& a = s.tag(s.rowOf(hex::toBytes(tagA)));
        QCOMPARE(a.reads, quint64(2));
        QCOMPARE(a.rssiLast, -60);
        QCOMPARE(a.rssiPeak, -55);
        QCOMPARE(s.tag(s.rowOf(hex::toBytes(tagB))).rssiLast, -80);
        // No tag in one round is no failure: the log has the summary only.
        QCOMPARE(f.lines(), QStringList{QStringLiteral("盘点结束：2 个标签，读到 3 次，3 轮   ") +
                                        FormFixture::time()});
        QCOMPARE(f.find<QCheckBox>("InventoryRun")->text(), QStringLiteral("开始盘点"));

        // The table, sorted by read count, highest first; CSV keeps negative numbers.
        auto* table = f.find<QTableView>("TagTable");
        QCOMPARE(table->model()->rowCount(), 2);
        table->sortByColumn(3, Qt::DescendingOrder);
        QCOMPARE(table->model()->index(0, 0).data().toString(), tagA);
        QCOMPARE(table->model()->index(1, 4).data().toString(), QStringLiteral("-80.0"));
        QTemporaryDir dir;
        const QString file = dir.filePath("tags.csv");
        QVERIFY(page->saveCsv(file));
        QFile csv(file);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList rows = QString::fromUtf8(csv.readAll()).split('\n');
        QCOMPARE(rows.size(), 4);
        QVERIFY(rows[0].startsWith(QStringLiteral("EPC,GS1 标签 URI,PC,次数,RSSI 最近")));
        QVERIFY2(rows[1].startsWith(tagA + QStringLiteral(",,3000,2,-60.0,-55.0,-57.5,")),
                 qPrintable(rows[1]));

        // The next start is a new run, its rounds counted from none.
        f.clearLog();
        device.reply(carrying(notice("C4", tagB)));
        f.click("InventoryRun");
        QCOMPARE(f.lines(), QStringList{QStringLiteral("盘点结束：1 个标签，读到 1 次，1 轮   ") +
                                        FormFixture::time()});
    }

    void aRefusalIsSaidOnceNotEveryRound() {
        ScriptedDevice device;
        FormFixture f(device);
        for (int i = 0; i < 3; ++i)
            device.reply(carrying(moduleFrame("01 FF 00 01 17")));
        QTimer stopper;
        stopWhenScriptEnds(device, f.find<QCheckBox>("InventoryRun"), stopper);
        f.click("InventoryRun");
        QCOMPARE(device.written.size(), 3);
        QCOMPARE(f.lines().size(), 2);
        QCOMPARE(f.lines()[0], QStringLiteral("盘点：") + uhf::errorText(0x17) +
                                   QStringLiteral("   ") + FormFixture::time());
    }

    void pageChangeAndClosingStopTheRun_data() {
        QTest::addColumn<int>("stop");
        QTest::newRow("page change") << int(LoopStop::PageChange);
        QTest::newRow("close") << int(LoopStop::Close);
    }
    void pageChangeAndClosingStopTheRun() {
        QFETCH(int, stop);
        ScriptedDevice device;
        FormFixture f(device);
        QVERIFY(runLoop(f, "InventoryRun", LoopStop(stop), 300));
        QVERIFY(allFramesAre(device.written, roundFrame));
        const int sent = int(device.written.size());
        QTest::qWait(700);
        QCOMPARE(device.written.size(), sent);
    }

    // The filter goes to the module before the rounds and the select mode
    // back to 02 after them.
    void hidMaskIsSetAndRestored() {
        ScriptedDevice device;
        FormFixture f(device);
        auto* page = f.find<InventoryPage>("InventorySheet");
        f.find<QLineEdit>("MaskEdit")->setText(QStringLiteral("30 34"));
        device.reply(carrying(moduleFrame("01 0C 00 01 00")));
        device.reply(carrying(moduleFrame("01 12 00 01 00")));
        device.reply(carrying(notice("C9", tagA)));
        device.reply(carrying(moduleFrame("01 12 00 01 00")));
        // Unticked once only the answer to the restore is left.
        bool shown = false;
        QTimer stopper;
        QObject::connect(&stopper, &QTimer::timeout, [&] {
            if (device.replies.size() != 1)
                return;
            shown = !f.find<QLabel>("FilterLabel")->isHidden() &&
                    f.find<QLabel>("FilterLabel")->text() ==
                        QStringLiteral("过滤中：只盘点 EPC 以 3034 开头的标签");
            f.find<QCheckBox>("InventoryRun")->setChecked(false);
        });
        stopper.start(0);
        f.click("InventoryRun");
        QVERIFY(shown);
        QVERIFY(f.find<QLabel>("FilterLabel")->isHidden());
        QCOMPARE(page->rounds(), quint64(1));
        QCOMPARE(device.written,
                 (QStringList{tunnelled(moduleFrame("00 0C 00 09 01 00 00 00 20 10 00 30 34")),
                              tunnelled(moduleFrame("00 12 00 01 00")), roundFrame,
                              tunnelled(moduleFrame("00 12 00 01 02"))}));
    }

    void refusedBeforeAnythingIsSent_data() {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<QStringList>("lines");
        const QStringList notHex{QStringLiteral("掩码“%1”不是 1 到 31 个字节的十六进制数")};
        QTest::newRow("mask not hex")
            << false << "3G" << QStringList{notHex[0].arg("3G")} << QStringList{};
        QTest::newRow("mask too long")
            << false << QString(64, 'A') << QStringList{notHex[0].arg(QString(64, 'A'))}
            << QStringList{};
        QTest::newRow("no serial port")
            << true << "" << QStringList{}
            << QStringList{QStringLiteral("盘点：没有可用串口   ") + FormFixture::time()};
    }
    void refusedBeforeAnythingIsSent() {
        QFETCH(bool, serial);
        QFETCH(QString, mask);
        QFETCH(QStringList, errors);
        QFETCH(QStringList, lines);
        ScriptedDevice device;
        FormFixture f(device);
        if (serial)
            chooseSerial(f, QString());
        f.find<QLineEdit>("MaskEdit")->setText(mask);
        f.click("InventoryRun");
        QCOMPARE(f.errors, errors);
        QCOMPARE(f.lines(), lines);
        QVERIFY(device.written.isEmpty());
        QVERIFY(!f.find<QCheckBox>("InventoryRun")->isChecked());
        QCOMPARE(f.find<QCheckBox>("InventoryRun")->text(), QStringLiteral("开始盘点"));
    }

    // Over the serial link: the filter, 27 until stopped, every notice
    // counted as it streams in, then 28 and the select mode back.
    void serialRunStreamsUntilStopped() {
        SerialModule module;
        ScriptedDevice device;
        FormFixture f(device);
        chooseSerial(f, module.reader.terminal.path(), QStringLiteral("3034"));
        bool shown = false;
        runUntilRead(f, 3, [&] {
            shown = !f.find<QLabel>("FilterLabel")->isHidden();
            f.find<QCheckBox>("InventoryRun")->click();
        });
        QVERIFY(shown);
        QCOMPARE(module.reader.frames,
                 (QStringList{moduleFrame("00 0C 00 09 01 00 00 00 20 10 00 30 34"),
                              moduleFrame("00 12 00 01 00"), start27, stop28,
                              moduleFrame("00 12 00 01 02")}));
        QVERIFY(device.written.isEmpty());
        const uhf::InventoryStatistics& s = f.find<InventoryPage>("InventorySheet")->statistics();
        QCOMPARE(s.reads(), quint64(3));
        QCOMPARE(s.tag(s.rowOf(hex::toBytes(tagA))).reads, quint64(2));
        QCOMPARE(s.tag(s.rowOf(hex::toBytes(tagB))).rssiLast, -80);
        QCOMPARE(f.lines(),
                 QStringList{QStringLiteral("盘点结束：2 个标签，读到 3 次（串口 %1）   ")
                                 .arg(module.reader.terminal.path()) +
                             FormFixture::time()});
        QVERIFY(f.find<QLabel>("FilterLabel")->isHidden());
        QVERIFY(f.find<QComboBox>("LinkCombo")->isEnabled());
    }

    // However the run ends, the module is told to stop (unless the port is
    // gone) and the port is free again at once: a page change finds it for
    // the serial page's list in the same step.
    void serialRunStops_data() {
        QTest::addColumn<int>("stop");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QStringList>("lines");
        const QString time = FormFixture::time();
        QTest::newRow("untick") << int(LoopStop::Untick) << QStringList{start27, stop28}
                                << QStringList{};
        QTest::newRow("page change")
            << int(LoopStop::PageChange) << QStringList{start27, stop28} << QStringList{};
        QTest::newRow("close") << int(LoopStop::Close) << QStringList{start27, stop28}
                               << QStringList{};
        QTest::newRow("port lost")
            << -1 << QStringList{start27}
            << QStringList{QStringLiteral("盘点：串口 %1 的连接已断开（设备已拔出或已切换模式），"
                                          "盘点已停止   ") +
                           time};
    }
    void serialRunStops() {
        QFETCH(int, stop);
        QFETCH(QStringList, frames);
        QFETCH(QStringList, lines);
        SerialModule module;
        const QString port = module.reader.terminal.path();
        ScriptedDevice device;
        FormFixture f(device);
        chooseSerial(f, port);
        QTabWidget* pages = f.form.pageControl();
        QStringList listedAfterPageChange;
        runUntilRead(f, 3, [&] {
            switch (stop) {
            case int(LoopStop::Untick):
                f.find<QCheckBox>("InventoryRun")->click();
                break;
            case int(LoopStop::PageChange):
                pages->setCurrentIndex(pages->indexOf(f.find("TabSheet9")));
                for (int i = 0; i < f.find<QComboBox>("ComboBox21")->count(); ++i)
                    listedAfterPageChange << f.find<QComboBox>("ComboBox21")->itemText(i);
                break;
            case int(LoopStop::Close):
                f.form.close();
                break;
            default:
                module.reader.hangUp();
            }
        });
        QCOMPARE(module.reader.frames, frames);
        QStringList expected;
        for (const QString& line : lines)
            expected << line.arg(port);
        expected << QStringLiteral("盘点结束：2 个标签，读到 3 次（串口 %1）   ").arg(port) +
                        FormFixture::time();
        QCOMPARE(f.lines(), expected);
        QVERIFY(!f.find<QCheckBox>("InventoryRun")->isChecked());
        if (stop == int(LoopStop::PageChange))
            QVERIFY2(listedAfterPageChange.contains(port),
                     qPrintable(listedAfterPageChange.join(' ')));
        if (stop != -1)
            QVERIFY(surveySerialPorts().available.contains(port));
    }

    // One owner of a port at a time: the terminal's open port is not taken.
    void theTerminalsOpenPortIsNotTaken() {
        SerialModule module;
        const QString port = module.reader.terminal.path();
        ScriptedDevice device;
        FormFixture f(device);
        f.form.serialLink().Comm1().setCommName(port);
        f.click("Button73");
        QVERIFY(f.form.serialLink().Comm1().isOpen());
        chooseSerial(f, port);
        QCOMPARE(f.find<QComboBox>("PortCombo")->currentText(), port);
        f.click("InventoryRun");
        QCOMPARE(f.lines(),
                 QStringList{QStringLiteral("盘点：串口 %1 已在“串口功能”页打开，由终端使用；"
                                            "请先在那里点“COM关闭”，再开始盘点   ")
                                 .arg(port) +
                             FormFixture::time()});
        QVERIFY(!f.find<QCheckBox>("InventoryRun")->isChecked());
        QTest::qWait(100);
        QVERIFY(module.reader.frames.isEmpty());
        QVERIFY(f.form.serialLink().Comm1().isOpen());
    }

    void settingsAreReadWhenThePageOpensAndSetsReadBack() {
        // No real ports: one this user may not open would be said on the page change.
        qputenv("RFID_SERIAL_PORTS", "");
        ScriptedDevice device;
        FormFixture f(device);
        const QStringList answers{
            moduleFrame(QStringLiteral("01 03 00 10 00") + GetAscii("M100 26dBM V1.0")),
            moduleFrame(QStringLiteral("01 03 00 07 01") + GetAscii("V2.3.5")),
            moduleFrame(QStringLiteral("01 03 00 08 02") + GetAscii("MagicRf")),
            moduleFrame("01 B7 00 02 07 D0"),
            moduleFrame("01 08 00 01 02"),
            moduleFrame("01 AA 00 01 03"),
            moduleFrame("01 0D 00 02 11 A0")};
        for (const QString& answer : answers)
            device.reply(carrying(answer));
        f.form.pageControl()->setCurrentIndex(inventoryPage);
        QCOMPARE(
            device.written,
            (QStringList{tunnelled("BB 00 03 00 01 00 04 7E"), tunnelled("BB 00 03 00 01 01 05 7E"),
                         tunnelled("BB 00 03 00 01 02 06 7E"), tunnelled("BB 00 B7 00 00 B7 7E"),
                         tunnelled("BB 00 08 00 00 08 7E"), tunnelled("BB 00 AA 00 00 AA 7E"),
                         tunnelled("BB 00 0D 00 00 0D 7E")}));
        QCOMPARE(f.find<QSpinBox>("PowerSpin")->value(), 20);
        QCOMPARE(f.find<QComboBox>("RegionCombo")->currentText(), QStringLiteral("美国"));
        QCOMPARE(f.find<QComboBox>("ChannelCombo")->currentText(),
                 QStringLiteral("3: 903.750 MHz"));
        QCOMPARE(f.find<QComboBox>("SessionCombo")->currentText(), QStringLiteral("S1"));
        QCOMPARE(f.find<QComboBox>("TargetCombo")->currentText(), QStringLiteral("B"));
        QVERIFY(f.find<QLabel>("SessionLabel")->text().startsWith(QStringLiteral("S1 B Q=4：S1")));
        QCOMPARE(f.lines(),
                 QStringList{QStringLiteral("模块：M100 26dBM V1.0 · V2.3.5 · MagicRf，功率 20.00 "
                                            "dBm，美国，信道 3: 903.750 MHz，S1 B Q=4   ") +
                             FormFixture::time()});

        // Power 23 dBm, read back as 22: the mismatch is the failure's reason.
        device.written.clear();
        f.clearLog();
        f.find<QSpinBox>("PowerSpin")->setValue(23);
        device.reply(carrying(moduleFrame("01 B6 00 01 00")));
        device.reply(carrying(moduleFrame("01 B7 00 02 08 98")));
        f.click("PowerSetButton");
        QCOMPARE(device.written, (QStringList{tunnelled("BB 00 B6 00 02 08 FC BC 7E"),
                                              tunnelled("BB 00 B7 00 00 B7 7E")}));
        QCOMPARE(f.lines(),
                 (QStringList{QStringLiteral("设置发射功率 23 dBm 失败   ") + FormFixture::time(),
                              QStringLiteral("发射功率回读为 22.00 dBm，与设置的 23.00 dBm 不符"),
                              QString()}));

        // Session S0, target A, Q 4 keeps the other bits read.
        device.written.clear();
        f.find<QComboBox>("SessionCombo")->setCurrentIndex(0);
        f.find<QComboBox>("TargetCombo")->setCurrentIndex(0);
        device.reply(carrying(moduleFrame("01 0E 00 01 00")));
        device.reply(carrying(moduleFrame("01 0D 00 02 10 20")));
        f.click("QuerySetButton");
        QCOMPARE(device.written, (QStringList{tunnelled("BB 00 0E 00 02 10 20 40 7E"),
                                              tunnelled("BB 00 0D 00 00 0D 7E")}));
        QVERIFY(f.find<QLabel>("SessionLabel")->text().startsWith(QStringLiteral("S0 A Q=4：S0")));
    }
};

QTEST_MAIN(InventoryPageTest)
#include "inventory_page_test.moc"
