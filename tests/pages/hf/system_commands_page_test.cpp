#include "pages/page_checks.h"
#include "support/form_fixture.h"
#include "support/scripted_device.h"
#include "support/sim_device.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>

namespace {

const QString crlfLine; // the empty line that follows a text ending in CR LF

// Remembers ReplyText as it was when each frame went out.
class ReplyWatchingDevice : public ScriptedDevice {
  public:
    ReaderLink* link = nullptr;
    QStringList replyAtWrite;
    int write(const QByteArray& frame) override {
        replyAtWrite << link->ReplyText();
        return ScriptedDevice::write(frame);
    }
};

} // namespace

class SystemCommandsPageTest : public QObject {
    Q_OBJECT

  private slots:
    void frames_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("frame");
        QTest::newRow("baud rate 9600")
            << QByteArray("Button12") << QByteArray() << QString() << "AA0002810083BB";
        QTest::newRow("baud rate 115200")
            << QByteArray("Button12") << QByteArray("ComboBox5") << "115200"
            << "AA0002810487BB";
        QTest::newRow("baud rate 4800 typed: 81 alone")
            << QByteArray("Button12") << QByteArray("ComboBox5") << "4800"
            << "AA00018180BB";
        QTest::newRow("baud rate with a blank")
            << QByteArray("Button12") << QByteArray("ComboBox5") << "9600 "
            << "AA00018180BB";
        QTest::newRow("read address")
            << QByteArray("Button4") << QByteArray() << QString() << "AA00018382BB";
        QTest::newRow("set address 00")
            << QByteArray("Button11") << QByteArray() << QString() << "AA0002800082BB";
        QTest::newRow("set address 12") << QByteArray("Button11") << QByteArray("Edit4") << "12"
                                        << "AA0002801290BB";
        QTest::newRow("set address, empty") << QByteArray("Button11") << QByteArray("Edit4") << ""
                                            << "AA00018081BB";
        QTest::newRow("read serial number")
            << QByteArray("Button14") << QByteArray() << QString() << "AA00018382BB";
        QTest::newRow("set serial number") << QByteArray("Button13") << QByteArray() << QString()
                                           << "AA000982FFFFFFFFFFFFFFFF8BBB";
        QTest::newRow("set serial number, extra digits sent")
            << QByteArray("Button13") << QByteArray("Edit9") << "01 02 03 04 05 06 07 08 09"
            << "AA000A8201020304050607080989BB";
        QTest::newRow("LED") << QByteArray("Button20") << QByteArray() << QString()
                             << "AA00038816039EBB";
        QTest::newRow("LED-R") << QByteArray("Button23") << QByteArray() << QString()
                               << "AA000387160391BB";
        QTest::newRow("buzzer") << QByteArray("Button21") << QByteArray() << QString()
                                << "AA00038916039FBB";
        QTest::newRow("buzzer count 0A") << QByteArray("Button21") << QByteArray("Edit34") << "0A"
                                         << "AA000389160A96BB";
        QTest::newRow("active reading")
            << QByteArray("Button52") << QByteArray() << QString() << "AA00020F010CBB";
        QTest::newRow("passive reading")
            << QByteArray("Button53") << QByteArray() << QString() << "AA00020F020FBB";
    }
    void frames() {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, control);
        QFETCH(QString, text);
        QFETCH(QString, frame);
        ScriptedDevice device;
        FormFixture form(device);
        if (auto* combo = control.isEmpty() ? nullptr : form.form.findChild<QComboBox*>(control))
            combo->setCurrentText(text);
        else if (!control.isEmpty())
            form.find<QLineEdit>(control)->setText(text);
        form.click(button);
        QCOMPARE(device.written, QStringList{QString(frame).remove(' ')});
    }

    void outcomes_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        const QString t = FormFixture::time();
        const QString ok("AA000100 01BB");
        const QString failed("AA0002 0183 81BB");
        const QString garbled("AA000102 03BB");
        const struct {
            const char* button;
            const char* success;
            const char* failure;
        } plain[] = {
            {"Button12", "波特率设置成功   ", "波特率设置失败   "},
            {"Button11", "读写器地址设置成功   ", "读写器地址设置失败   "},
            {"Button13", "机器序列号设置成功   ", "机器序列号设置失败   "},
            {"Button20", "设置LED操作成功   ", "设置LED操作失败   "},
            {"Button23", "设置LED-R操作成功   ", "设置LED-R操作失败   "},
            {"Button21", "设置BUZ操作成功   ", "设置BUZ操作失败   "},
        };
        for (const auto& row : plain) {
            QTest::addRow("%s success", row.button)
                << QByteArray(row.button) << ok
                << QStringList{QString::fromUtf8(row.success) + t, crlfLine};
            QTest::addRow("%s failure", row.button)
                << QByteArray(row.button) << failed
                << QStringList{QString::fromUtf8(row.failure) + t, "卡不存在....", crlfLine};
        }
        const QString addressReply("AA000A00 12 2026051800000136 00BB");
        QTest::newRow("address") << QByteArray("Button4") << addressReply
                                 << QStringList{"系统地址为 : 12   " + t, crlfLine};
        QTest::newRow("address, failure with 83")
            << QByteArray("Button4") << failed
            << QStringList{"操作失败        " + t, "卡不存在....", crlfLine};
        QTest::newRow("address, failure with unknown code 06")
            << QByteArray("Button4") << "AA0002 0106 05BB"
            << QStringList{"操作失败        " + t, QString(), crlfLine};
        QTest::newRow("serial number") << QByteArray("Button14") << addressReply
                                       << QStringList{"读序列号成功   " + t, "地址为：12",
                                                      "序列号为：2026051800000136", crlfLine};
        // No length check: a short reply gives short fields.
        QTest::newRow("serial number, short reply")
            << QByteArray("Button14") << "AA000300 12 34 25BB"
            << QStringList{"读序列号成功   " + t, "地址为：12", "序列号为：3425BB", crlfLine};
        QTest::newRow("serial number, failure")
            << QByteArray("Button14") << failed
            << QStringList{"读序列号失败   " + t, "卡不存在....", crlfLine};
        QTest::newRow("status 02") << QByteArray("Button14") << garbled
                                   << QStringList{"数据丢包，流水校验出错   " + t, crlfLine};
        QTest::newRow("no reply") << QByteArray("Button12") << QString()
                                  << QStringList{"无有效数据，请检查设备是否联接....",
                                                 "通讯错误，没有接收到数据..   " + t, crlfLine};
        // The reading mode is neither waited for nor checked.
        QTest::newRow("active reading, reader present")
            << QByteArray("Button52") << ok << QStringList();
        QTest::newRow("passive reading, no reader")
            << QByteArray("Button53") << QString()
            << QStringList{"无有效数据，请检查设备是否联接...."};
    }
    void outcomes() { checkOutcomeRow(); }

    // A reader that takes the frame and answers nothing has not succeeded: the
    // wait runs its full time and the common check reports no reply.
    void silentReaderIsNoReply() {
        ScriptedDevice device;
        FormFixture form(device);
        QElapsedTimer elapsed;
        elapsed.start();
        form.click("Button11");
        QVERIFY(elapsed.elapsed() >= 300);
        QCOMPARE(device.written.size(), 1);
        QCOMPARE(form.lines(),
                 (QStringList{"通讯错误，没有接收到数据..   " + FormFixture::time(), crlfLine}));
        QCOMPARE(form.form.link().ReplyText(), QString());
    }

    // Only the address read starts from an empty ReplyText.
    void addressReadEmptiesReplyFirst() {
        ReplyWatchingDevice device;
        FormFixture form(device);
        device.link = &form.form.link();
        form.form.link().setReplyText("AA000100 01BB");
        form.click("Button14");
        form.click("Button4");
        QCOMPARE(device.replyAtWrite.size(), 2);
        QVERIFY(!device.replyAtWrite[0].isEmpty());
        QCOMPARE(device.replyAtWrite[1], QString());
    }

    void intervalField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("emptied") << ""
                                 << "100";
        QTest::newRow("negative") << "-1"
                                  << "100";
        QTest::newRow("zero") << "0"
                              << "0";
        QTest::newRow("250") << "250"
                             << "250";
        QTest::newRow("letters") << "abc"
                                 << "100";
        QTest::newRow("decimal point") << "1.5"
                                       << "100";
        QTest::newRow("beyond 32 bits") << "99999999999"
                                        << "100";
    }
    void intervalField() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        ScriptedDevice device;
        FormFixture form(device);
        auto* edit = form.find<QLineEdit>("Edit22");
        QCOMPARE(edit->text(), QString("100"));
        edit->setText(typed);
        QCOMPARE(edit->text(), shown);
        QCOMPARE(form.form.context().hfInterval(), shown.toInt());
    }

    // A huge interval stays a valid wait even with the 10 ms the modes add.
    void hugeIntervalIsBounded() {
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QLineEdit>("Edit22")->setText("2147483647");
        QVERIFY(form.form.context().hfInterval() <= 24 * 60 * 60 * 1000);
    }

    void roundTripWithReader() {
        SimDevice device(sim::SimulatedReader::Model::Hf);
        FormFixture form(device);
        const QString t = FormFixture::time();
        form.find<QLineEdit>("Edit4")->setText("12");
        form.click("Button11");
        form.find<QLineEdit>("Edit9")->setText("01 02 03 04 05 06 07 08");
        form.click("Button13");
        form.click("Button14");
        form.click("Button20");
        form.find<QComboBox>("ComboBox5")->setCurrentText("4800");
        form.click("Button12");
        QCOMPARE(
            form.lines(),
            (QStringList{"读写器地址设置成功   " + t, crlfLine, "机器序列号设置成功   " + t,
                         crlfLine, "读序列号成功   " + t, "地址为：12",
                         "序列号为：0102030405060708", crlfLine, "设置LED操作成功   " + t, crlfLine,
                         "波特率设置失败   " + t, "输入参数或者输入命令格式错误....", crlfLine}));
        QCOMPARE(device.reader.hfReader().led.commands, 1);
    }
};

QTEST_MAIN(SystemCommandsPageTest)
#include "system_commands_page_test.moc"
