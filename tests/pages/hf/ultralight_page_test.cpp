#include "pages/page_checks.h"
#include "support/scripted_device.h"
#include "support/sim_device.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

using Model = sim::SimulatedReader::Model;

namespace {
const QString stamp = FormFixture::time();
const QString uid = QStringLiteral("04 6F 2A B1 3C 52 80");
} // namespace

class UltralightPageTest : public QObject {
    Q_OBJECT

  private slots:
    void startsWithItsDefaults() {
        ScriptedDevice device;
        FormFixture f(device);
        for (const char* name : {"Uli", "Ulii", "Uliii"})
            QVERIFY(f.find<QRadioButton>(name)->isChecked());
        auto* list1 = f.find<QListWidget>("ListBox1");
        QCOMPARE(list1->count(), 16);
        QCOMPARE(list1->item(9)->text(), QString("09"));
        QCOMPARE(list1->item(15)->text(), QString("15"));
        QCOMPARE(list1->currentItem()->text(), QString("00"));
        QCOMPARE(f.find<QListWidget>("ListBox2")->currentItem()->text(), QString("04"));
        QCOMPARE(f.find<QLineEdit>("Edit56")->text(), QString("00 00 00 00"));
        for (const char* name : {"CheckBox8", "CheckBox9", "CheckBox10"})
            QVERIFY(!f.find<QCheckBox>(name)->isChecked());
    }

    void frames_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("radio");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("frame");
        QTest::newRow("write, defaults") << QByteArray("Button54") << QByteArray() << QByteArray()
                                         << -1 << QString() << "AA0008E100010400000000ECBB";
        QTest::newRow("write page 15, all cards, data as typed")
            << QByteArray("Button54") << QByteArray("Ulaaa") << QByteArray("ListBox2") << 15
            << "a1 b2-c3,d4"
            << "AA0008E101010FA1B2C3D4E2BB";
        QTest::newRow("write sends any number of bytes")
            << QByteArray("Button54") << QByteArray() << QByteArray() << -1 << "01 02"
            << "AA0006E10001040102E1BB";
        QTest::newRow("read, defaults") << QByteArray("Button18") << QByteArray() << QByteArray()
                                        << -1 << QString() << "AA0003E00000E3BB";
        QTest::newRow("read page 10")
            << QByteArray("Button18") << QByteArray() << QByteArray("ListBox1") << 10 << QString()
            << "AA0003E0000AE9BB";
        QTest::newRow("read page 9, all cards")
            << QByteArray("Button18") << QByteArray("Ulaa") << QByteArray("ListBox1") << 9
            << QString() << "AA0003E00109EBBB";
        QTest::newRow("serial number, idle") << QByteArray("Button55") << QByteArray()
                                             << QByteArray() << -1 << QString() << "AA0002E300E1BB";
        QTest::newRow("serial number, all") << QByteArray("Button55") << QByteArray("Ula")
                                            << QByteArray() << -1 << QString() << "AA0002E301E0BB";
        QTest::newRow("halt") << QByteArray("Button17") << QByteArray() << QByteArray() << -1
                              << QString() << "AA00010607BB";
    }
    void frames() {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, radio);
        QFETCH(QByteArray, list);
        QFETCH(int, row);
        QFETCH(QString, data);
        QFETCH(QString, frame);
        ScriptedDevice device;
        FormFixture f(device);
        if (!radio.isEmpty())
            f.find<QRadioButton>(radio)->setChecked(true);
        if (!list.isEmpty())
            f.find<QListWidget>(list)->setCurrentRow(row);
        if (!data.isNull())
            f.find<QLineEdit>("Edit56")->setText(data);
        device.reply(replyFrame("00"));
        f.click(button);
        QCOMPARE(device.written, QStringList{frame});
    }

    void outcomes_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        const QString data = "11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 00";
        QTest::newRow("serial number")
            << QByteArray("Button55") << "00" + uid
            << QStringList{"读卡号 操作成功   " + stamp, "卡号为:046F2AB13C5280", ""};
        QTest::newRow("serial number fails")
            << QByteArray("Button55") << "01 83"
            << QStringList{"读卡ID号操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("halt") << QByteArray("Button17") << "00"
                              << QStringList{"HALT操作成功   " + stamp, ""};
        QTest::newRow("halt fails")
            << QByteArray("Button17") << "01 01"
            << QStringList{"HALT操作失败   " + stamp, "命令操作失败.....", ""};
        QTest::newRow("read: 32 data digits, 14 UID digits")
            << QByteArray("Button18") << "00" + data + uid
            << QStringList{"读卡 操作成功   " + stamp,
                           "读卡返回数据为: 112233445566778899AABBCCDDEEFF00",
                           "卡ID号为:046F2AB13C5280", ""};
        QTest::newRow("read, short reply: fixed places, no length check")
            << QByteArray("Button18") << "00 11 22"
            << QStringList{"读卡 操作成功   " + stamp, "读卡返回数据为: 112230BB", "卡ID号为:", ""};
        QTest::newRow("read fails") << QByteArray("Button18") << "01 83"
                                    << QStringList{"读卡失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("write") << QByteArray("Button54") << "00" + uid
                               << QStringList{"写卡操作成功   " + stamp, "卡号为:046F2AB13C5280",
                                              ""};
        QTest::newRow("write fails") << QByteArray("Button54") << "01 94"
                                     << QStringList{"写卡操作失败   " + stamp,
                                                    "要操作的对象已经别锁定，不能进行修改....", ""};
        QTest::newRow("garbled") << QByteArray("Button54") << "02 83"
                                 << QStringList{"数据丢包，流水校验出错   " + stamp, ""};
        QTest::newRow("no reader") << QByteArray("Button55") << QString()
                                   << QStringList{"无有效数据，请检查设备是否联接....",
                                                  "通讯错误，没有接收到数据..   " + stamp, ""};
    }
    void outcomes() { checkPayloadOutcomeRow(); }

    void writtenPageReadsBack() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.find<QListWidget>("ListBox2")->setCurrentRow(5);
        f.find<QLineEdit>("Edit56")->setText("11 22 33 44");
        f.click("Button54");
        f.find<QListWidget>("ListBox1")->setCurrentRow(5);
        f.click("Button18");
        QCOMPARE(f.lines(), (QStringList{"写卡操作成功   " + stamp, "卡号为:046F2AB13C5280", "",
                                         "读卡 操作成功   " + stamp,
                                         "读卡返回数据为: 11223344000000000000000000000000",
                                         "卡ID号为:046F2AB13C5280", ""}));
    }

    void lockedPageRefusesWrites() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        auto* pages = f.find<QListWidget>("ListBox2");
        auto* data = f.find<QLineEdit>("Edit56");
        pages->setCurrentRow(2);
        data->setText("00 00 20 00"); // lock bit of page 5
        f.click("Button54");
        f.clearLog();
        pages->setCurrentRow(5);
        data->setText("11 22 33 44");
        f.click("Button54");
        QCOMPARE(f.lines(), (QStringList{"写卡操作失败   " + stamp,
                                         "要操作的对象已经别锁定，不能进行修改....", ""}));
    }

    void haltedCardAnswersAllCardsRequestOnly() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.click("Button17");
        f.click("Button55");
        f.find<QRadioButton>("Ula")->setChecked(true);
        f.click("Button55");
        QCOMPARE(f.lines(),
                 (QStringList{"HALT操作成功   " + stamp, "", "读卡ID号操作失败   " + stamp,
                              "卡不存在....", "", "读卡号 操作成功   " + stamp,
                              "卡号为:046F2AB13C5280", ""}));
    }

    void continuousModes_data() {
        continuousModeColumns();
        addContinuousModeRows({{"CheckBox8", "AA0002E300E1BB"},
                               {"CheckBox9", "AA0003E00000E3BB"},
                               {"CheckBox10", "AA0008E100010400000000ECBB"}});
    }
    void continuousModes() { checkContinuousModeRow(3); }

    // Edit22 + 100 ms after each write, Edit22 read afresh before each pause.
    void writeLoopWaitsTheFullIntervalBetweenWrites_data() {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<int>("most");
        QTest::newRow("100 ms: at most three writes in 500 ms") << "100" << 3;
        QTest::newRow("300 ms: at most two writes in 500 ms") << "300" << 2;
    }
    void writeLoopWaitsTheFullIntervalBetweenWrites() {
        QFETCH(QString, interval);
        QFETCH(int, most);
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.find<QLineEdit>("Edit22")->setText(interval);
        QVERIFY(runLoop(f, "CheckBox10", LoopStop::Untick, 500));
        QVERIFY2(device.written.size() <= most, qPrintable(device.written.join(' ')));
    }
};

QTEST_MAIN(UltralightPageTest)
#include "ultralight_page_test.moc"
