#include "pages/page_checks.h"
#include "support/scripted_device.h"
#include "support/sim_device.h"

#include <QComboBox>
#include <QLineEdit>

using Model = sim::SimulatedReader::Model;

namespace {
const QString stamp = FormFixture::time();
const QString uidA = QStringLiteral("E0 04 01 00 12 34 56 78");
const QString uidB = QStringLiteral("E0 07 00 00 0A 1B 2C 3D");

// The payload of a frame: what lies between the length byte and the XOR.
QString payloadOf(const QString& frame) {
    return frame.mid(6, frame.size() - 10);
}
} // namespace

class Iso15693PageTest : public QObject {
    Q_OBJECT

  private slots:
    void flagsBoxesStartWithTheirItems() {
        ScriptedDevice device;
        FormFixture f(device);
        const struct {
            const char* box;
            const char* item;
        } boxes[] = {{"ComboBox10", "Philips"}, {"ComboBox11", "TI"},
                     {"ComboBox12", "Philips"}, {"ComboBox13", "uid"},
                     {"ComboBox14", "Philips"}, {"ComboBox15", "Philips"},
                     {"ComboBox16", "Philips"}, {"ComboBox17", "Philips"},
                     {"ComboBox18", "Philips"}, {"ComboBox19", "Philips"}};
        for (const auto& box : boxes) {
            auto* combo = f.find<QComboBox>(box.box);
            QCOMPARE(combo->currentText(), QString(box.item));
            QCOMPARE(combo->count(), 4);
            QCOMPARE(combo->itemText(3), QString("Other"));
        }
    }

    void inventoryFrame() {
        ScriptedDevice device;
        FormFixture f(device);
        device.reply(replyFrame("00 00"));
        f.click("Button37");
        QCOMPARE(device.written, QStringList{"AA00041006000012BB"});
    }

    void payloads_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QByteArray>("uidEdit");
        QTest::addColumn<QString>("payload");
        const QString uid = "E0 04 01 00 00 00 00 01";
        const QString sent = "E004010000000001";
        auto row = [&](const char* name, const char* button, const char* box, const char* flags,
                       const char* uidEdit, const QString& payload) {
            QTest::newRow(name) << QByteArray(button) << QByteArray(box) << QString(flags)
                                << QByteArray(uidEdit) << payload;
        };
        row("read, Philips", "Button38", "ComboBox10", "Philips", "Edit55", "11020105");
        row("read, TI", "Button38", "ComboBox10", "TI", "Edit55", "11420105");
        row("read, Other", "Button38", "ComboBox10", "Other", "Edit55", "11520105");
        row("read, uid", "Button38", "ComboBox10", "uid", "Edit55", "11220105" + sent);
        row("read, ti in lower case: no flags byte", "Button38", "ComboBox10", "ti", "Edit55",
            "110105");
        row("read, UID typed: no flags byte", "Button38", "ComboBox10", "UID", "Edit55", "110105");
        row("read, empty flags box", "Button38", "ComboBox10", "", "Edit55", "110105");
        row("write, TI", "Button39", "ComboBox11", "TI", "Edit50", "1242050111223344");
        row("write, uid: UID between count and data", "Button39", "ComboBox11", "uid", "Edit50",
            "12220501" + sent + "11223344");
        row("lock, Philips", "Button40", "ComboBox12", "Philips", nullptr, "130205");
        row("lock, uid: no UID field", "Button40", "ComboBox12", "uid", nullptr, "132205");
        row("select, uid", "Button42", "ComboBox13", "uid", "Edit19", "1522" + sent);
        row("select, Philips: UID still sent", "Button42", "ComboBox13", "Philips", "Edit19",
            "1502" + sent);
        row("write AFI, Philips", "Button44", "ComboBox14", "Philips", "Edit28", "170206");
        row("write AFI, uid", "Button44", "ComboBox14", "uid", "Edit28", "172206" + sent);
        row("lock AFI, Other", "Button45", "ComboBox15", "Other", "Edit32", "1852");
        row("lock AFI, uid", "Button45", "ComboBox15", "uid", "Edit32", "1822" + sent);
        row("write DSFID, TI", "Button46", "ComboBox16", "TI", "Edit36", "194208");
        row("write DSFID, uid", "Button46", "ComboBox16", "uid", "Edit36", "192208" + sent);
        row("lock DSFID, Philips", "Button47", "ComboBox17", "Philips", "Edit38", "1A02");
        row("lock DSFID, uid", "Button47", "ComboBox17", "uid", "Edit38", "1A22" + sent);
        row("system information, Philips", "Button48", "ComboBox18", "Philips", "Edit41", "1B02");
        row("system information, uid", "Button48", "ComboBox18", "uid", "Edit41", "1B22" + sent);
        row("block security, Philips", "Button49", "ComboBox19", "Philips", "Edit43", "1C020005");
        row("block security, uid", "Button49", "ComboBox19", "uid", "Edit43", "1C220005" + sent);
    }
    void payloads() {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, box);
        QFETCH(QString, flags);
        QFETCH(QByteArray, uidEdit);
        QFETCH(QString, payload);
        ScriptedDevice device;
        FormFixture f(device);
        f.find<QComboBox>(box)->setCurrentText(flags);
        if (!uidEdit.isEmpty())
            f.find<QLineEdit>(uidEdit)->setText("E0 04 01 00 00 00 00 01");
        device.reply(replyFrame("00"));
        f.click(button);
        QCOMPARE(device.written.size(), 1);
        QCOMPARE(payloadOf(device.written[0]), payload);
    }

    void emptyUidFieldSendsNoUid() {
        ScriptedDevice device;
        FormFixture f(device);
        f.find<QComboBox>("ComboBox10")->setCurrentText("uid");
        device.reply(replyFrame("00"));
        f.click("Button38");
        QCOMPARE(device.written, QStringList{"AA00041122010533BB"});
    }

    void outcomes_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        const QString recordA = "00 00 78 56 34 12 00 01 04 E0";
        const QString recordB = "00 08 3D 2C 1B 0A 00 00 07 E0";
        QTest::newRow("inventory, two cards")
            << QByteArray("Button37") << "00 02" + recordA + recordB
            << QStringList{"操作成功   " + stamp,
                           "域内的卡片数量为：02",
                           "域内的卡片数据为：" + QString(recordA + recordB).remove(' '),
                           "第1张卡卡号为：E0 04 01 00 12 34 56 78 ",
                           "第2张卡卡号为：E0 07 00 00 0A 1B 2C 3D ",
                           ""};
        QTest::newRow("inventory, nineteen data bytes: one card")
            << QByteArray("Button37") << "00 02" + recordA + recordB.chopped(3)
            << QStringList{"操作成功   " + stamp, "域内的卡片数量为：02",
                           "域内的卡片数据为：" + QString(recordA + recordB.chopped(3)).remove(' '),
                           "第1张卡卡号为：E0 04 01 00 12 34 56 78 ", ""};
        QTest::newRow("inventory, count from the length, not from byte 5")
            << QByteArray("Button37") << "00 05" + recordA
            << QStringList{"操作成功   " + stamp, "域内的卡片数量为：05",
                           "域内的卡片数据为：" + QString(recordA).remove(' '),
                           "第1张卡卡号为：E0 04 01 00 12 34 56 78 ", ""};
        QTest::newRow("inventory, no card")
            << QByteArray("Button37") << "00 00"
            << QStringList{"操作成功   " + stamp, "域内的卡片数量为：00", "域内的卡片数据为：", ""};
        QTest::newRow("inventory fails") << QByteArray("Button37") << "01 83"
                                         << QStringList{"操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("read") << QByteArray("Button38") << "00 00 11 22 33 44 55 66 77 88"
                              << QStringList{"操作成功   " + stamp, "标志位为：00",
                                             "读卡返回数据为：1122334455667788", ""};
        QTest::newRow("read fails")
            << QByteArray("Button38") << "01 93"
            << QStringList{"读卡失败   " + stamp, "要操作的BLOCK不存在....", ""};
        QTest::newRow("write") << QByteArray("Button39") << "00"
                               << QStringList{"写卡操作成功   " + stamp, ""};
        QTest::newRow("write fails")
            << QByteArray("Button39") << "01 94"
            << QStringList{"写卡失败   " + stamp, "要操作的对象已经别锁定，不能进行修改....", ""};
        QTest::newRow("lock") << QByteArray("Button40") << "00"
                              << QStringList{"锁操作成功   " + stamp, ""};
        QTest::newRow("lock fails")
            << QByteArray("Button40") << "01 95"
            << QStringList{"锁操作失败   " + stamp, "锁定操作不成功....", ""};
        QTest::newRow("select") << QByteArray("Button42") << "00"
                                << QStringList{"选择卡操作成功   " + stamp, ""};
        QTest::newRow("select fails")
            << QByteArray("Button42") << "01 83"
            << QStringList{"选择卡操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("write AFI")
            << QByteArray("Button44") << "00" << QStringList{"写AFI操作成功   " + stamp, ""};
        QTest::newRow("write AFI fails")
            << QByteArray("Button44") << "01 96"
            << QStringList{"写AFI操作失败   " + stamp, "写操作不成功....", ""};
        QTest::newRow("lock AFI") << QByteArray("Button45") << "00"
                                  << QStringList{"锁定AFI操作成功   " + stamp, ""};
        QTest::newRow("lock AFI fails")
            << QByteArray("Button45") << "01 83"
            << QStringList{"锁定AFI操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("write DSFID")
            << QByteArray("Button46") << "00" << QStringList{"写DSFID操作成功   " + stamp, ""};
        QTest::newRow("write DSFID fails")
            << QByteArray("Button46") << "01 83"
            << QStringList{"写DSFID操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("lock DSFID")
            << QByteArray("Button47") << "00" << QStringList{"锁定DSFID操作成功   " + stamp, ""};
        QTest::newRow("lock DSFID fails")
            << QByteArray("Button47") << "01 83"
            << QStringList{"锁定DSFID操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("system information, information flags 00: fixed places")
            << QByteArray("Button48") << "00 00 00 78 56 34 12 00 01 04 E0 08 06 1B 03 01"
            << QStringList{"操作成功   " + stamp,
                           "  Flags值为： 00",
                           "  INFO Flags值为： 00",
                           "  卡UID值为： 78563412000104E0",
                           "  DSFID值为： 08",
                           "  AFI值为： 06",
                           "  Other fields值为： 1B0301",
                           ""};
        QTest::newRow("system information fails")
            << QByteArray("Button48") << "01 83"
            << QStringList{"操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("block security")
            << QByteArray("Button49") << "00 00 00 01 00 00 00"
            << QStringList{"操作成功   " + stamp, "标志位为：00", "块安全位状态为：0001000000", ""};
        QTest::newRow("block security fails")
            << QByteArray("Button49") << "01 83"
            << QStringList{"读卡块安全位失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("garbled") << QByteArray("Button48") << "02"
                                 << QStringList{"数据丢包，流水校验出错   " + stamp, ""};
        QTest::newRow("no reader") << QByteArray("Button42") << QString()
                                   << QStringList{"无有效数据，请检查设备是否联接....",
                                                  "通讯错误，没有接收到数据..   " + stamp, ""};
    }
    void outcomes() { checkPayloadOutcomeRow(); }

    void inventoryOfTheSimulatedField() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.click("Button37");
        QCOMPARE(f.lines().mid(3),
                 (QStringList{"第1张卡卡号为：" + uidA + " ", "第2张卡卡号为：" + uidB + " ", ""}));
    }

    void writtenBlockReadsBack() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.click("Button39"); // TI, block 05, one block, 11 22 33 44
        f.find<QLineEdit>("Edit14")->setText("05");
        f.find<QLineEdit>("Edit13")->setText("01");
        f.click("Button38");
        QCOMPARE(f.lines(), (QStringList{"写卡操作成功   " + stamp, "", "操作成功   " + stamp,
                                         "标志位为：00", "读卡返回数据为：11223344", ""}));
    }

    // The UID is typed as the inventory line shows it.
    void addressedRequestsReachTheNamedCard() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.find<QComboBox>("ComboBox11")->setCurrentText("uid");
        f.find<QLineEdit>("Edit50")->setText(uidB);
        f.find<QLineEdit>("Edit16")->setText("AA BB CC DD");
        f.click("Button39");
        f.find<QLineEdit>("Edit14")->setText("05");
        f.find<QLineEdit>("Edit13")->setText("01");
        f.click("Button38"); // Philips: the card nearest the antenna
        f.find<QComboBox>("ComboBox10")->setCurrentText("uid");
        f.find<QLineEdit>("Edit55")->setText(uidB);
        f.click("Button38");
        f.find<QComboBox>("ComboBox18")->setCurrentText("uid");
        f.find<QLineEdit>("Edit41")->setText(uidB);
        f.click("Button48");
        QCOMPARE(
            f.lines(),
            (QStringList{"写卡操作成功   " + stamp, "", "操作成功   " + stamp, "标志位为：00",
                         "读卡返回数据为：00000000", "", "操作成功   " + stamp, "标志位为：00",
                         "读卡返回数据为：AABBCCDD", "", "操作成功   " + stamp, "  Flags值为： 00",
                         "  INFO Flags值为： 0F", "  卡UID值为： 3D2C1B0A000007E0",
                         "  DSFID值为： 00", "  AFI值为： 00", "  Other fields值为： 3F0302", ""}));
    }

    void lockedBlockRefusesWrites() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.click("Button40"); // block 05
        f.click("Button39"); // block 05
        f.click("Button49"); // blocks 00 to 04
        f.find<QLineEdit>("Edit21")->setText("04");
        f.find<QLineEdit>("Edit20")->setText("02");
        f.click("Button49");
        QCOMPARE(f.lines(),
                 (QStringList{"锁操作成功   " + stamp, "", "写卡失败   " + stamp,
                              "要操作的对象已经别锁定，不能进行修改....", "", "操作成功   " + stamp,
                              "标志位为：00", "块安全位状态为：0000000000", "",
                              "操作成功   " + stamp, "标志位为：00", "块安全位状态为：0001", ""}));
    }

    void selectedCardAnswersSelectFlag() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.find<QLineEdit>("Edit19")->setText(uidB);
        f.find<QComboBox>("ComboBox13")->setCurrentText("Philips");
        f.click("Button42");
        f.find<QComboBox>("ComboBox14")->setCurrentText("Other");
        f.click("Button44"); // AFI 06 to the selected card
        f.find<QComboBox>("ComboBox18")->setCurrentText("Other");
        f.click("Button48");
        QCOMPARE(f.lines().at(7), QString("  卡UID值为： 3D2C1B0A000007E0"));
        QCOMPARE(f.lines().at(9), QString("  AFI值为： 06"));
    }

    void afiAndDsfidLock() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        for (const char* button :
             {"Button44", "Button45", "Button44", "Button46", "Button47", "Button46"})
            f.click(button);
        const QString locked = "要操作的对象已经别锁定，不能进行修改....";
        QCOMPARE(f.lines(),
                 (QStringList{"写AFI操作成功   " + stamp, "", "锁定AFI操作成功   " + stamp, "",
                              "写AFI操作失败   " + stamp, locked, "", "写DSFID操作成功   " + stamp,
                              "", "锁定DSFID操作成功   " + stamp, "", "写DSFID操作失败   " + stamp,
                              locked, ""}));
    }

    void continuousModes_data() {
        continuousModeColumns();
        addContinuousModeRows({{"CheckBox5", "AA00041006000012BB"},
                               {"CheckBox6", "AA00041102010513BB"},
                               {"CheckBox7", "AA0008124205011122334418BB"}});
    }
    void continuousModes() { checkContinuousModeRow(5); }
};

QTEST_MAIN(Iso15693PageTest)
#include "iso15693_page_test.moc"
