#include "pages/page_checks.h"
#include "support/sim_device.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// The payload of the one frame sent: between the length byte and the XOR.
QString payloadOf(const QStringList& written) {
    if (written.size() != 1)
        return QStringLiteral("%1 frames").arg(written.size());
    return written[0].mid(6, written[0].size() - 10);
}

} // namespace

class PrefixSuffixPageTest : public QObject {
    Q_OBJECT

  private slots:
    void defaultPayloads_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("payload");
        const struct {
            const char* button;
            const char* payload;
        } rows[] = {{"Button30", "C10A"},        {"Button35", "C20A"}, {"Button83", "BD0A"},
                    {"Button41", "C3010101"},    {"Button51", "C400"}, {"Button56", "C502"},
                    {"Button62", "CC02"},        {"Button58", "C600"}, {"Button59", "C909"},
                    {"Button60", "C70A"},        {"Button61", "C80A"}, {"Button43", "CB0130313233"},
                    {"Button50", "CB0231323334"}};
        for (const auto& row : rows)
            QTest::newRow(row.button) << QByteArray(row.button) << QString(row.payload);
    }
    void defaultPayloads() {
        QFETCH(QByteArray, button);
        QFETCH(QString, payload);
        ScriptedDevice device;
        FormFixture form(device);
        form.click(button);
        QCOMPARE(payloadOf(device.written), payload);
    }

    void searchIntervalFrame() {
        ScriptedDevice device;
        FormFixture form(device);
        form.click("Button30");
        QCOMPARE(device.written, QStringList{"AA0002C10AC9BB"});
    }

    // Decimal edits are read as decimal, hex edits as hex.
    void parameterKinds_data() {
        QTest::addColumn<QByteArray>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("payload");
        QTest::newRow("decimal 25")
            << QByteArray("Edit29") << "25" << QByteArray("Button30") << "C119";
        QTest::newRow("decimal 255")
            << QByteArray("Edit35") << "255" << QByteArray("Button35") << "C2FF";
        QTest::newRow("decimal 0")
            << QByteArray("Edit75") << "0" << QByteArray("Button83") << "BD00";
        QTest::newRow("decimal with $")
            << QByteArray("Edit37") << "$1" << QByteArray("Button56") << "C501";
        QTest::newRow("hex 25") << QByteArray("Edit42") << "25" << QByteArray("Button60") << "C725";
        QTest::newRow("hex ff") << QByteArray("Edit51") << "ff" << QByteArray("Button61") << "C8FF";
        QTest::newRow("hex 1 digit")
            << QByteArray("Edit42") << "7" << QByteArray("Button60") << "C707";
    }
    void parameterKinds() {
        QFETCH(QByteArray, edit);
        QFETCH(QString, text);
        QFETCH(QByteArray, button);
        QFETCH(QString, payload);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QLineEdit>(edit)->setText(text);
        form.click(button);
        QCOMPARE(payloadOf(device.written), payload);
    }

    void refusedParameters_data() {
        QTest::addColumn<QByteArray>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("error");
        QTest::newRow("decimal 256") << QByteArray("Edit29") << "256" << QByteArray("Button30")
                                     << "'256' 超出范围 0~255，命令未发送";
        QTest::newRow("decimal -1") << QByteArray("Edit52") << "-1" << QByteArray("Button62")
                                    << "'-1' 超出范围 0~255，命令未发送";
        QTest::newRow("hex 100") << QByteArray("Edit42") << "100" << QByteArray("Button60")
                                 << "'100' 超出范围 00~FF，命令未发送";
        QTest::newRow("decimal 0A") << QByteArray("Edit39") << "0A" << QByteArray("Button58")
                                    << "'0A' is not a valid integer value";
        QTest::newRow("decimal empty") << QByteArray("Edit40") << "" << QByteArray("Button59")
                                       << "'' is not a valid integer value";
        QTest::newRow("decimal with a blank")
            << QByteArray("Edit35") << " 1" << QByteArray("Button35")
            << "' 1' is not a valid integer value";
        QTest::newRow("hex g1") << QByteArray("Edit51") << "g1" << QByteArray("Button61")
                                << "'$g1' is not a valid integer value";
    }
    void refusedParameters() {
        QFETCH(QByteArray, edit);
        QFETCH(QString, text);
        QFETCH(QByteArray, button);
        QFETCH(QString, error);
        checkRefused({{edit.constData(), text}}, button.constData(), error);
    }

    void baudRates_data() {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("payload");
        QTest::newRow("9600") << "9600"
                              << "C400";
        QTest::newRow("19200") << "19200"
                               << "C401";
        QTest::newRow("38400") << "38400"
                               << "C402";
        QTest::newRow("57600") << "57600"
                               << "C403";
        QTest::newRow("115200") << "115200"
                                << "C404";
        QTest::newRow("4800, unknown") << "4800"
                                       << "C4";
    }
    void baudRates() {
        QFETCH(QString, rate);
        QFETCH(QString, payload);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QComboBox>("ComboBox20")->setCurrentText(rate);
        form.click("Button51");
        QCOMPARE(payloadOf(device.written), payload);
    }

    void outputInterfaces() {
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QRadioButton>("RadioButton24")->setChecked(true);
        form.click("Button41");
        // The pairs are separate: switching the serial output off leaves the others on.
        QVERIFY(form.find<QRadioButton>("RadioButton25")->isChecked());
        QVERIFY(form.find<QRadioButton>("RadioButton27")->isChecked());
        form.find<QRadioButton>("RadioButton26")->setChecked(true);
        form.find<QRadioButton>("RadioButton28")->setChecked(true);
        form.find<QRadioButton>("RadioButton23")->setChecked(true);
        form.click("Button41");
        QCOMPARE(device.written.value(0).mid(6, 8), QString("C3000101"));
        QCOMPARE(device.written.value(1).mid(6, 8), QString("C3010000"));
    }

    void prefixWithEmptyEdits() {
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QLineEdit>("Edit25")->clear();
        form.find<QLineEdit>("Edit27")->clear();
        form.click("Button43");
        QCOMPARE(payloadOf(device.written), QString("CB013032"));
    }

    void suffixAllEmpty() {
        ScriptedDevice device;
        FormFixture form(device);
        for (const char* edit : {"Edit44", "Edit45", "Edit46", "Edit47"})
            form.find<QLineEdit>(edit)->clear();
        form.click("Button50");
        QCOMPARE(device.written, QStringList{"AA0002CB02CBBB"});
    }

    void outcomes_data() {
        outcomeColumns();
        const struct {
            const char* button;
            const char* success;
            const char* failure;
        } rows[] = {
            {"Button30", "寻卡时间间隔设置成功   ", "寻卡时间间隔设置失败   "},
            {"Button35", "卡片过滤次数设置成功   ", "卡片过滤次数设置失败   "},
            {"Button83", "读卡等待时间设置成功   ", "读卡等待时间设置失败   "},
            {"Button41", "输出接口设置成功   ", "输出接口设置失败   "},
            {"Button51", "波特率设置成功   ", "波特率设置失败   "},
            {"Button56", "输出结束符设置成功   ", "输出结束符设置失败   "},
            {"Button62", "射频输出功率设置 成功   ", "射频输出功率设置 失败   "},
            {"Button58", "维根输出格式设置成功   ", "维根输出格式设置失败   "},
            {"Button59", "维根取值位置 设置成功   ", "维根取值位置 设置失败   "},
            {"Button60", "维根低电平脉宽设置  成功   ", "维根低电平脉宽设置  失败   "},
            {"Button61", "维根空闲电平脉宽设置  成功   ", "维根空闲电平脉宽设置  失败   "},
            {"Button43", "前缀设置成功   ", "前缀设置失败   "},
            {"Button50", "后缀设置成功   ", "后缀设置失败   "},
        };
        for (const auto& row : rows)
            addOutcomeRows(row.button, QString::fromUtf8(row.success),
                           QString::fromUtf8(row.failure), true);
    }
    void outcomes() { checkOutcomeRow(); }

    void settingsReachTheSimulatedMachine() {
        SimDevice device;
        FormFixture form(device);
        const struct {
            const char* edit;
            const char* text;
        } edits[] = {{"Edit29", "25"}, {"Edit35", "0"},  {"Edit75", "30"}, {"Edit37", "1"},
                     {"Edit52", "9"},  {"Edit39", "1"},  {"Edit40", "3"},  {"Edit42", "1F"},
                     {"Edit51", "C8"}, {"Edit24", "5B"}, {"Edit25", ""},   {"Edit26", ""},
                     {"Edit27", ""},   {"Edit44", "5D"}, {"Edit45", "0D"}, {"Edit46", ""},
                     {"Edit47", ""}};
        for (const auto& edit : edits)
            form.find<QLineEdit>(edit.edit)->setText(edit.text);
        form.find<QComboBox>("ComboBox20")->setCurrentText("57600");
        form.find<QRadioButton>("RadioButton26")->setChecked(true);
        for (const char* button :
             {"Button30", "Button35", "Button83", "Button41", "Button51", "Button56", "Button62",
              "Button58", "Button59", "Button60", "Button61", "Button43", "Button50"})
            form.click(button);
        for (const QString& line : form.lines())
            QVERIFY2(line.isEmpty() || line.contains("成功"), qPrintable(line));

        const sim::UhfMachineSettings& s = device.reader.uhfMachine();
        QCOMPARE(s.searchInterval, 25);
        QCOMPARE(s.filterCount, 0);
        QCOMPARE(s.readWait, 30);
        QCOMPARE(s.terminator, 1);
        QCOMPARE(s.rfPower, 9);
        QCOMPARE(s.wiegandFormat, 1);
        QCOMPARE(s.wiegandPosition, 3);
        QCOMPARE(s.wiegandLowPulse, 0x1F);
        QCOMPARE(s.wiegandIdleWidth, 0xC8);
        QCOMPARE(s.baudCode, 3);
        QVERIFY(s.serialOutput && !s.wiegandOutput && s.usbOutput);
        QCOMPARE(s.prefix, (sim::Bytes{0x5B}));
        QCOMPARE(s.suffix, (sim::Bytes{0x5D, 0x0D}));
    }

    // The machine refuses what it cannot keep, and the page says why.
    void refusedBySimulatedMachine() {
        SimDevice device;
        FormFixture form(device);
        form.find<QLineEdit>("Edit52")->setText("10");
        form.click("Button62");
        QCOMPARE(form.lines(), (QStringList{"射频输出功率设置 失败   " + FormFixture::time(),
                                            "输入的参数大于最大允许范围，溢出.....", ""}));
        form.clearLog();
        form.find<QComboBox>("ComboBox20")->setCurrentText("4800");
        form.click("Button51");
        QCOMPARE(form.lines(), (QStringList{"波特率设置失败   " + FormFixture::time(),
                                            "输入参数或者输入命令格式错误....", ""}));
    }
};

QTEST_MAIN(PrefixSuffixPageTest)
#include "prefix_suffix_page_test.moc"
