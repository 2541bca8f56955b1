#include "pages/config/output_format_page.h"
#include "pages/page_checks.h"
#include "support/sim_device.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The line after the success line, and the five read-back lines with the
// custom-byte line, for a read-format reply.
QStringList readBackLines(const QString& description, const QString& semicolon,
                          const QString& comma, const QString& question,
                          const QString& carriageReturn, const QString& custom) {
    const QString prefix = QStringLiteral("输出格式：  ");
    return {QStringLiteral("读取输出格式成功   ") + FormFixture::time(),
            QStringLiteral("输出格式为：  ") + description,
            prefix + semicolon,
            prefix + comma,
            prefix + question,
            prefix + carriageReturn,
            custom};
}

} // namespace

class OutputFormatPageTest : public QObject {
    Q_OBJECT

  private slots:
    void startupSettingsSendTheDocumentedFrame() {
        ScriptedDevice device;
        FormFixture form(device);
        form.click("Button24");
        QCOMPARE(device.written, QStringList{"AA0009820F0000000101010085BB"});
    }

    void formatCodeOfEachRadioButton_data() {
        QTest::addColumn<QByteArray>("radio");
        QTest::addColumn<QString>("code");
        const struct {
            const char* radio;
            const char* code;
        } rows[] = {{"RadioButton5", "07"},  {"RadioButton6", "0C"},  {"RadioButton7", "0D"},
                    {"RadioButton8", "03"},  {"RadioButton9", "0B"},  {"RadioButton10", "06"},
                    {"RadioButton11", "0E"}, {"RadioButton12", "08"}, {"RadioButton13", "09"},
                    {"RadioButton14", "0A"}, {"RadioButton15", "05"}, {"RadioButton16", "0F"},
                    {"RadioButton17", "00"}, {"RadioButton21", "01"}, {"RadioButton22", "02"},
                    {"RadioButton29", "04"}, {"RadioButton34", "10"}, {"RadioButton35", "8A"}};
        for (const auto& row : rows)
            QTest::newRow(row.radio) << QByteArray(row.radio) << QString(row.code);
    }
    void formatCodeOfEachRadioButton() {
        QFETCH(QByteArray, radio);
        QFETCH(QString, code);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QRadioButton>(radio)->setChecked(true);
        form.click("Button24");
        QCOMPARE(device.written.size(), 1);
        QCOMPARE(device.written[0].mid(6, 4), "82" + code);
        QCOMPARE(device.written[0].mid(10, 14), QString("00000001010100"));
    }

    void customLengthCode_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::newRow("00, the whole number") << "00"
                                              << "01";
        QTest::newRow("0") << "0"
                           << "80";
        QTest::newRow("10") << "10"
                            << "8A";
        QTest::newRow("127, the largest") << "127"
                                          << "FF";
    }
    void customLengthCode() {
        QFETCH(QString, text);
        QFETCH(QString, code);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QRadioButton>("RadioButton35")->setChecked(true);
        form.find<QLineEdit>("Edit64")->setText(text);
        form.click("Button24");
        QCOMPARE(device.written.value(0).mid(8, 2), code);
    }

    void badCustomLengthSendsNothing_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("128 overflows the code byte") << "128"
                                                     << "'128' 超出范围 0~127，命令未发送";
        QTest::newRow("negative") << "-1"
                                  << "'-1' 超出范围 0~127，命令未发送";
        QTest::newRow("not a number") << "1a"
                                      << "'1a' is not a valid integer value";
        QTest::newRow("empty") << ""
                               << "'' is not a valid integer value";
    }
    void badCustomLengthSendsNothing() {
        QFETCH(QString, text);
        QFETCH(QString, error);
        checkRefused({{"Edit64", text}}, "Button24", error, [](FormFixture& form) {
            form.find<QRadioButton>("RadioButton35")->setChecked(true);
        });
    }

    // A bad Edit64 matters only when its radio button is the chosen one.
    void customLengthIsReadOnlyWhenChosen() {
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QLineEdit>("Edit64")->setText("x");
        form.click("Button24");
        QVERIFY(form.errors.isEmpty());
        QCOMPARE(device.written.size(), 1);
    }

    void optionBytes() {
        ScriptedDevice device;
        FormFixture form(device);
        for (const char* box : {"CheckBox16", "CheckBox17", "CheckBox18", "CheckBox21"})
            form.find<QCheckBox>(box)->setChecked(true);
        form.find<QCheckBox>("CheckBox15")->setChecked(false);
        form.click("Button24");
        QCOMPARE(device.written.value(0).mid(6, 18), QString("820F010101000101"
                                                             "01"));
        // The large buzzer, from the hidden group, gives byte 7.
        form.find<QRadioButton>("RadioButton20")->setChecked(true);
        form.click("Button24");
        QCOMPARE(device.written.value(1).mid(18, 6), QString("000101"));
    }

    void fixedPayloads_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("frame");
        QTest::newRow("Button25") << QByteArray("Button25") << "AA00018382BB";
        QTest::newRow("Button27") << QByteArray("Button27") << "AA00020F010CBB";
        QTest::newRow("Button28") << QByteArray("Button28") << "AA00020F020FBB";
        QTest::newRow("Button57") << QByteArray("Button57") << "AA0001CFCEBB";
        QTest::newRow("Button63") << QByteArray("Button63") << "AA0001C0C1BB";
    }
    void fixedPayloads() {
        QFETCH(QByteArray, button);
        QFETCH(QString, frame);
        ScriptedDevice device;
        FormFixture form(device);
        form.click(button);
        QCOMPARE(device.written, QStringList{frame});
    }

    void outcomes_data() {
        outcomeColumns();
        addOutcomeRows("Button24", "输出格式设置成功   ", "输出格式设置失败   ", true);
        addOutcomeRows("Button27", "设置主动读卡成功   ", "设置主动读卡失败   ", false);
        addOutcomeRows("Button28", "设置被动读卡成功   ", "设置被动读卡失败   ", false);
        addOutcomeRows("Button57", "恢复出厂设置成功   ", "恢复出厂设置失败   ", true);
    }
    void outcomes() { checkOutcomeRow(); }

    void readFormatFailures() {
        ScriptedDevice device;
        FormFixture form(device);
        QCOMPARE(
            clickWithReply(device, form, "Button25", replyFrame("0101")),
            (QStringList{"读取输出格式失败   " + FormFixture::time(), "命令操作失败.....", ""}));
        form.clearLog();
        QCOMPARE(clickWithReply(device, form, "Button63", replyFrame("0185")),
                 (QStringList{"读取版本号失败   " + FormFixture::time(),
                              "输入参数或者输入命令格式错误....", ""}));
    }

    void setFormatAndReadItBack() {
        SimDevice device;
        FormFixture form(device);
        form.find<QRadioButton>("RadioButton6")->setChecked(true);
        form.find<QCheckBox>("CheckBox16")->setChecked(true);
        form.find<QCheckBox>("CheckBox18")->setChecked(true);
        form.find<QCheckBox>("CheckBox15")->setChecked(false);
        form.click("Button24");
        form.clearLog();
        form.click("Button25");
        QCOMPARE(form.lines(),
                 readBackLines("8位16进制", "前面加分号", "中间加逗号", "后面不加问号 ",
                               "最后面不加回车 ", "没有增加自定义字节输出。   ") +
                     QStringList{""});
    }

    void readBackOfTheStartupSettings() {
        SimDevice device;
        FormFixture form(device);
        form.click("Button25");
        QCOMPARE(form.lines(),
                 readBackLines("10位10进制（id后4字节转换）", "前面不加分号 ", "中间不加逗号 ",
                               "后面不加问号 ", "最后面加回车", "没有增加自定义字节输出。   ") +
                     QStringList{""});
    }

    void readBackOfACustomLength() {
        SimDevice device;
        FormFixture form(device);
        form.find<QRadioButton>("RadioButton35")->setChecked(true);
        form.find<QLineEdit>("Edit64")->setText("7");
        form.click("Button24");
        QCOMPARE(device.reader.outputFormat().formatCode, 0x87);
        form.clearLog();
        form.click("Button25");
        QCOMPARE(form.lines().value(1), QString("输出格式为：  卡号自定义长度16进制输出..."));
    }

    // Flags read back as set whenever they are not 00; the custom byte's
    // value stands in reply byte 10.
    void customByteAndNonZeroFlags() {
        ScriptedDevice device;
        FormFixture form(device);
        device.reply(replyFrame("00 02 00 FF 00 02 2B 00 00 01"));
        form.click("Button25");
        QCOMPARE(form.lines(),
                 readBackLines("2H4D + 2H4D ", "前面加分号", "中间加逗号", "后面不加问号 ",
                               "最后面加回车", "自定义字节输出数据为：  2B"));
    }

    // A reader that answers nothing has not succeeded; a short answer is cut.
    void readBackTooShortForTheLayout() {
        ScriptedDevice device;
        FormFixture form(device);
        form.click("Button25");
        QCOMPARE(form.lines(),
                 (QStringList{"通讯错误，没有接收到数据..   " + FormFixture::time(), ""}));
        form.clearLog();
        device.reply(replyFrame("00 01 0F 00"));
        form.click("Button25");
        QCOMPARE(form.lines().value(1), QString("读回的格式数据不完整：010F00"));
    }

    void descriptionOfEachCode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("description");
        const struct {
            const char* code;
            const char* description;
        } rows[] = {{"07", "10位16进制"},
                    {"0C", "8位16进制"},
                    {"0D", "00+8位10进制（id后3字节转换）"},
                    {"03", "8位16进制反向输出"},
                    {"0B", "8位10进制（id后3字节转换）"},
                    {"06", "18位10进制（卡上全部数字）"},
                    {"0E", "8位10进制（卡上后8位）"},
                    {"08", "5位10进制（卡上后5位）"},
                    {"09", "8位10进制（id后4字节转换）"},
                    {"0A", "10位10进制反向输出（id后4字节转换）"},
                    {"05", "13位10进制（id5字节转换）"},
                    {"0F", "10位10进制（id后4字节转换）"},
                    {"00", "2H4D + 2H4D "},
                    {"01", "7字节 AND 4字节 16进制"},
                    {"02", "反向 7字节 AND 4字节 16进制"},
                    {"04", "EPC卡号转换成GS1格式输出（sgtin-96）..."},
                    {"10", "卡号转换成ASCII输出..."},
                    {"11", "卡号自定义长度16进制输出..."},
                    {"80", "卡号自定义长度16进制输出..."},
                    {"FF", "卡号自定义长度16进制输出..."}};
        for (const auto& row : rows)
            QTest::newRow(row.code) << QString(row.code) << QString::fromUtf8(row.description);
    }
    void descriptionOfEachCode() {
        QFETCH(QString, code);
        QFETCH(QString, description);
        QCOMPARE(OutputFormatPage::formatDescription(code), description);
    }

    void versionText() {
        SimDevice device;
        FormFixture form(device);
        form.click("Button63");
        QCOMPARE(form.lines(), (QStringList{"读取版本号成功   " + FormFixture::time(),
                                            "版本号为：UHF915-OUT V3.2 2023-06", ""}));
    }

    // Bytes that are no text are logged as their hex digits.
    void versionThatIsNoText() {
        ScriptedDevice device;
        FormFixture form(device);
        device.reply(replyFrame("00 56 FF"));
        form.click("Button63");
        QCOMPARE(form.lines().value(1), QString("版本号为：56FF"));
    }

    void buzzerAlternates() {
        ScriptedDevice device;
        FormFixture form(device);
        auto* button = form.find<QPushButton>("Button64");
        QCOMPARE(button->text(), QString("关闭声音"));
        form.form.findChild<QComboBox*>("setadd")->setCurrentIndex(16);
        form.click("Button64");
        QCOMPARE(button->text(), QString("打开声音"));
        form.click("Button64");
        QCOMPARE(button->text(), QString("关闭声音"));
        // Fixed frames at address 00 whatever setadd says; no time stamp.
        QCOMPARE(device.written, (QStringList{"AA0002CD00CFBB", "AA0002CD01CEBB"}));
        QCOMPARE(form.lines(), (QStringList{"发送蜂鸣器打开指令", "发送蜂鸣器关闭指令"}));
    }

    void buzzerWithTheSimulatedReader() {
        SimDevice device;
        FormFixture form(device);
        form.click("Button64");
        QVERIFY(!device.reader.outputFormat().buzzerOn);
        form.click("Button64");
        QVERIFY(device.reader.outputFormat().buzzerOn);
    }

    void readingModeAndFactoryReset() {
        SimDevice device;
        FormFixture form(device);
        form.click("Button28");
        QCOMPARE(device.reader.uhfMachine().readMode, sim::ReadMode::Passive);
        form.click("Button27");
        QCOMPARE(device.reader.uhfMachine().readMode, sim::ReadMode::SingleEpc);
        form.find<QRadioButton>("RadioButton8")->setChecked(true);
        form.click("Button24");
        form.click("Button57");
        QCOMPARE(device.reader.outputFormat().formatCode, 0x0F);
        QCOMPARE(form.lines().mid(form.lines().size() - 2),
                 (QStringList{"恢复出厂设置成功   " + FormFixture::time(), ""}));
    }

    void hiddenGroupsStayHidden() {
        ScriptedDevice device;
        FormFixture form(device);
        form.form.show();
        QVERIFY(!form.find("GroupBox1")->isVisible());
        QVERIFY(!form.find("GroupBox28")->isVisible());
        QVERIFY(form.find("GroupBox27")->isVisible());
        QVERIFY(form.find<QRadioButton>("RadioButton18")->isChecked());
        QCOMPARE(form.find<QLineEdit>("Edit23")->text(), QString("2B"));
    }
};

QTEST_MAIN(OutputFormatPageTest)
#include "output_format_page_test.moc"
