#include "pages/page_checks.h"
#include "pages/uhf/inventory_page.h"
#include "support/module_replies.h"

#include <QComboBox>
#include <QLabel>
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
