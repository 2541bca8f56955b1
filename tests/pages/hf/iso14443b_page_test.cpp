#include "pages/hf/iso14443b_page.h"
#include "pages/page_checks.h"
#include "support/scripted_device.h"
#include "support/sim_device.h"

#include <QLineEdit>
#include <QPushButton>

using Model = sim::SimulatedReader::Model;

namespace {
const QString stamp = FormFixture::time();
} // namespace

class Iso14443bPageTest : public QObject {
    Q_OBJECT

  private slots:
    void startsWithItsDefaults() {
        ScriptedDevice device;
        FormFixture f(device);
        QCOMPARE(f.find<QLineEdit>("Edit76")->text(), QString("41 30 0A 10"));
        QCOMPARE(f.find<QLineEdit>("Edit77")->text(), QString("05 00 00"));
        QVERIFY(!f.find<QPushButton>("Button32")->isEnabled());
        QVERIFY(!f.find<QPushButton>("Button34")->isEnabled());
        for (const char* name : {"Button31", "Button33", "Button36", "Button19", "Button22"})
            QVERIFY(f.find<QPushButton>(name)->isEnabled());
    }

    void frames_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("frame");
        QTest::newRow("request") << QByteArray("Button31") << QByteArray() << QString()
                                 << "AA00010908BB";
        QTest::newRow("ATTRIB, default identifier")
            << QByteArray("Button33") << QByteArray() << QString() << "AA00050B41300A1065BB";
        QTest::newRow("send data, defaults")
            << QByteArray("Button36") << QByteArray() << QString() << "AA00050D030500000EBB";
        QTest::newRow("send data, empty") << QByteArray("Button36") << QByteArray("Edit77") << ""
                                          << "AA00020D000FBB";
        QTest::newRow("send data, typed with stray characters")
            << QByteArray("Button36") << QByteArray("Edit77") << "00 84:00-00 08 的"
            << "AA00070D050084000008" + hex::byte(0x07 ^ 0x0D ^ 0x05 ^ 0x84 ^ 0x08) + "BB";
        QTest::newRow("identity number")
            << QByteArray("Button19") << QByteArray() << QString() << "AA00012627BB";
        QTest::newRow("identity file identifier")
            << QByteArray("Button22") << QByteArray() << QString() << "AA00012726BB";
    }
    void frames() {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, edit);
        QFETCH(QString, text);
        QFETCH(QString, frame);
        ScriptedDevice device;
        FormFixture f(device);
        if (!edit.isEmpty())
            f.find<QLineEdit>(edit)->setText(text);
        device.reply(replyFrame("00"));
        f.click(button);
        QCOMPARE(device.written, QStringList{frame});
    }

    void oddDigitsAreRefused() {
        ScriptedDevice device;
        FormFixture f(device);
        f.find<QLineEdit>("Edit77")->setText("05 00 0");
        f.click("Button36");
        QVERIFY(device.written.isEmpty());
        QCOMPARE(f.lines(), QStringList{"十六进制数据有 5 位，不是整字节，命令未发送   " + stamp});
    }

    void outcomes_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("request") << QByteArray("Button31")
                                 << "00 0C 50 41 30 0A 10 00 00 00 00 00 71 71"
                                 << QStringList{"操作成功   " + stamp, "",
                                                "卡片复位数据的长度为:0C",
                                                "返回操作后的数据为:5041300A1000000000007171", ""};
        QTest::newRow("request fails") << QByteArray("Button31") << "01 83"
                                       << QStringList{"操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("ATTRIB") << QByteArray("Button33") << "00"
                                << QStringList{"操作成功、复位成功   " + stamp, ""};
        QTest::newRow("ATTRIB fails") << QByteArray("Button33") << "01 83"
                                      << QStringList{"操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("identity number skips byte 5")
            << QByteArray("Button19") << "00 08 28 02 19 33 51 0C 5A 90"
            << QStringList{"操作成功   " + stamp, "返回卡号为:28021933510C5A90", ""};
        QTest::newRow("file identifier skips byte 5")
            << QByteArray("Button22") << "00 FF 00 00 00 00 03 8E 15 A7"
            << QStringList{"操作成功   " + stamp, "返回卡号为:00000000038E15A7", ""};
        QTest::newRow("identity read fails")
            << QByteArray("Button19") << "01 83"
            << QStringList{"读卡号操作失败   " + stamp, "卡不存在....", ""};
        QTest::newRow("identity read, garbled")
            << QByteArray("Button22") << "03"
            << QStringList{"数据丢包，流水校验出错   " + stamp, ""};
        QTest::newRow("send data")
            << QByteArray("Button36") << "00 50 41 30 0A 10"
            << QStringList{"操作成功   " + stamp, "操作后的数据串为：5041300A10", ""};
        QTest::newRow("send data, empty answer")
            << QByteArray("Button36") << "00"
            << QStringList{"操作成功   " + stamp, "操作后的数据串为：", ""};
        QTest::newRow("send data, no reader")
            << QByteArray("Button36") << QString()
            << QStringList{"无有效数据，请检查设备是否联接....", "操作失败   " + stamp,
                           "无数据接收..", ""};
        QTest::newRow("send data, status 01 with a code outside the table")
            << QByteArray("Button36") << "01 01" << QStringList{"操作失败   " + stamp};
        QTest::newRow("send data, status 01 with no code")
            << QByteArray("Button36") << "01" << QStringList{"操作失败   " + stamp};
        QTest::newRow("send data, other status: byte 5 still looked up")
            << QByteArray("Button36") << "02 83"
            << QStringList{"操作失败   " + stamp, "卡不存在....", ""};
    }
    void outcomes() { checkPayloadOutcomeRow(); }

    // Reply byte 5 after a failed exchange, and the line it adds.
    void sendDataStatusTable_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        const struct {
            const char* code;
            const char* message;
        } table[] = {
            {"80", "参数设置成功....."},
            {"81", "参数设置失败...."},
            {"82", "通讯超时 ...."},
            {"83", "卡不存在...."},
            {"84", "接收卡数据出错...."},
            {"85", "输入参数或者输入命令格式错误...."},
            {"87", "未知的错误...."},
            {"89", "The parameter of the command or the Format of the command Erro..."},
            {"8A", "在块初始化中出现错误..."},
            {"8B", "在防冲突过程中得到错误的序列号...."},
            {"8C", "密码认证没通过...."},
            {"8F", "Reader received unknown command...."},
            {"90", "卡不支持这个命令...."},
            {"91", "命令格式有错误...."},
            {"92", "在命令的FLAG参数中，不支持OPTION 模式...."},
            {"93", "要操作的BLOCK不存在...."},
            {"94", "要操作的对象已经别锁定，不能进行修改...."},
            {"95", "锁定操作不成功...."},
            {"96", "写操作不成功...."},
        };
        for (const auto& row : table)
            QTest::newRow(row.code) << QString(row.code) << QString::fromUtf8(row.message);
        for (const char* code :
             {"00", "01", "02", "03", "04", "05", "07", "10", "86", "88", "8D", "8E", "97", "FF"})
            QTest::addRow("%s: no line", code) << QString(code) << QString();
    }
    void sendDataStatusTable() {
        QFETCH(QString, code);
        QFETCH(QString, message);
        ScriptedDevice device;
        FormFixture f(device);
        device.reply(replyFrame("01" + code));
        f.click("Button36");
        QStringList lines{"操作失败   " + stamp};
        if (!message.isNull())
            lines << message << "";
        QCOMPARE(f.lines(), lines);
    }

    // The reset button is disabled; its operation still logs the serial number
    // and puts it into the identifier field.
    void resetFillsTheIdentifier() {
        ScriptedDevice device;
        FormFixture f(device);
        device.reply(replyFrame("00 12 34 AB CD"));
        f.form.findChild<Iso14443bPage*>("TabSheet5")->Button34Click();
        QCOMPARE(device.written, QStringList{"AA00010C0DBB"});
        QCOMPARE(f.lines(), (QStringList{"操作成功   " + stamp, "", "卡的序列号为：1234ABCD", ""}));
        QCOMPARE(f.find<QLineEdit>("Edit76")->text(), QString("1234ABCD"));
    }

    void talksToTheSimulatedCard() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.click("Button31");
        f.click("Button33");
        f.find<QLineEdit>("Edit77")->setText("00 84 00 00 08");
        f.click("Button36");
        f.click("Button19");
        QCOMPARE(f.lines(),
                 (QStringList{"操作成功   " + stamp, "", "卡片复位数据的长度为:0C",
                              "返回操作后的数据为:5041300A1000000000007171", "",
                              "操作成功、复位成功   " + stamp, "", "操作成功   " + stamp,
                              "操作后的数据串为：3B76B1EC27629DD89000", "", "操作成功   " + stamp,
                              "返回卡号为:28021933510C5A90", ""}));
    }

    void wrongIdentifierAndUnactivatedCard() {
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.find<QLineEdit>("Edit76")->setText("11 22 33 44");
        f.click("Button33");
        f.find<QLineEdit>("Edit77")->setText("00 84 00 00 08");
        f.click("Button36");
        QCOMPARE(f.lines(), (QStringList{"操作失败   " + stamp, "卡不存在....", "",
                                         "操作失败   " + stamp, "通讯超时 ....", ""}));
    }

    void continuousModes_data() {
        continuousModeColumns();
        addContinuousModeRows({{"CheckBox11", "AA00010908BB"},
                               {"CheckBox13", "AA00012627BB"},
                               {"CheckBox14", "AA00012726BB"}},
                              {LoopStop::Untick, LoopStop::Close});
        addContinuousModeRows({{"CheckBox11", "AA00010908BB"}}, {LoopStop::PageChange});
    }
    void continuousModes() { checkContinuousModeRow(4); }

    // The identity card loops wait the full interval and go on on another page.
    void identityLoopsKeepRunningOnAnotherPage_data() {
        QTest::addColumn<QByteArray>("box");
        QTest::newRow("CheckBox13") << QByteArray("CheckBox13");
        QTest::newRow("CheckBox14") << QByteArray("CheckBox14");
    }
    void identityLoopsKeepRunningOnAnotherPage() {
        QFETCH(QByteArray, box);
        SimDevice device(Model::Hf);
        FormFixture f(device);
        f.form.pageControl()->setCurrentIndex(4);
        int sentBeforeChange = -1;
        QTimer::singleShot(300, [&] {
            f.form.pageControl()->setCurrentIndex(0);
            sentBeforeChange = device.written.size();
        });
        QVERIFY(runLoop(f, box, LoopStop::Untick, 900));
        QVERIFY(sentBeforeChange >= 1);
        QVERIFY2(device.written.size() > sentBeforeChange, qPrintable(device.written.join(' ')));
        // Edit22 (100 ms) between reads: at most ten in 900 ms.
        QVERIFY2(device.written.size() <= 10, qPrintable(device.written.join(' ')));
    }
};

QTEST_MAIN(Iso14443bPageTest)
#include "iso14443b_page_test.moc"
