#include "pages/page_checks.h"
#include "support/sim_device.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

class ReadModePageTest : public QObject {
    Q_OBJECT

  private slots:
    void modePayloads_data() {
        QTest::addColumn<QByteArray>("radio");
        QTest::addColumn<QString>("frame");
        QTest::newRow("single EPC") << QByteArray("RadioButton30") << "AA00020F010CBB";
        QTest::newRow("passive") << QByteArray("RadioButton31") << "AA00020F020FBB";
        QTest::newRow("several EPCs") << QByteArray("RadioButton32") << "AA00020F030EBB";
        QTest::newRow("TID") << QByteArray("RadioButton33") << "AA00020F0409BB";
        QTest::newRow("memory area") << QByteArray("RadioButton36") << "AA0008BC03000000000008BFBB";
    }
    void modePayloads() {
        QFETCH(QByteArray, radio);
        QFETCH(QString, frame);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QRadioButton>(radio)->setChecked(true);
        form.click("Button69");
        QCOMPARE(device.written, QStringList{frame});
    }

    void memoryAreaFromTheEdits_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("payload");
        QTest::newRow("bank 1, word 2, 6 words")
            << QStringList{"01", "00 00 00 00", "02", "06"} << "BC01000000000206";
        QTest::newRow("password without blanks")
            << QStringList{"03", "00000000", "00", "08"} << "BC03000000000008";
        QTest::newRow("password 12345678")
            << QStringList{"03", "12 34-56:78", "00", "08"} << "BC03123456780008";
    }
    void memoryAreaFromTheEdits() {
        QFETCH(QStringList, texts);
        QFETCH(QString, payload);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QRadioButton>("RadioButton36")->setChecked(true);
        const char* edits[] = {"Edit65", "Edit66", "Edit67", "Edit68"};
        for (int i = 0; i < 4; ++i)
            form.find<QLineEdit>(edits[i])->setText(texts[i]);
        form.click("Button69");
        QCOMPARE(device.written.value(0).mid(6, 16), payload);
    }

    void modeOutcomes_data() {
        outcomeColumns();
        const struct {
            const char* radio;
            const char* name;
        } modes[] = {{"RadioButton30", "主动寻单卡EPC号"},
                     {"RadioButton31", "被动读写器模式"},
                     {"RadioButton32", "主动寻多张卡EPC号"},
                     {"RadioButton33", "主动读TID号"},
                     {"RadioButton36", ""}};
        QTest::addColumn<QByteArray>("radio");
        for (const auto& mode : modes) {
            const QString name = QString::fromUtf8(mode.name);
            const QString time = FormFixture::time();
            QTest::addRow("%s status 00", mode.radio)
                << QByteArray("Button69") << replyFrame("00")
                << QStringList{"设置 " + name + " 成功   " + time} << QByteArray(mode.radio);
            QTest::addRow("%s status 01", mode.radio)
                << QByteArray("Button69") << replyFrame("0185")
                << QStringList{"设置" + name + "失败   " + time, "输入参数或者输入命令格式错误....",
                               ""}
                << QByteArray(mode.radio);
        }
    }
    void modeOutcomes() {
        QFETCH(QByteArray, button);
        QFETCH(QString, reply);
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, radio);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QRadioButton>(radio)->setChecked(true);
        QCOMPARE(clickWithReply(device, form, button, reply), lines);
    }

    void outcomes_data() {
        outcomeColumns();
        addOutcomeRows("Button69", "设置 主动寻单卡EPC号 成功   ", "设置主动寻单卡EPC号失败   ",
                       false);
        addOutcomeRows("Button81", "继电器打开设置成功   ", "继电器打开设置失败   ", true);
        addOutcomeRows("Button82", "继电器关闭设置成功   ", "继电器关闭设置失败   ", true);
    }
    void outcomes() { checkOutcomeRow(); }

    void relayFrames() {
        ScriptedDevice device;
        FormFixture form(device);
        form.click("Button81");
        form.click("Button82");
        QCOMPARE(device.written, (QStringList{"AA0002870184BB", "AA0002870085BB"}));
    }

    // The mode is named as checked when the reply is judged: here another
    // command's reply arrives during the wait, after the operator chose TID.
    void modeNameIsTakenWhenTheReplyIsJudged() {
        ScriptedDevice device;
        device.writeResult = 0;
        FormFixture form(device);
        QTimer::singleShot(50, [&] {
            form.find<QRadioButton>("RadioButton33")->setChecked(true);
            form.form.link().setReplyText(replyFrame("00"));
        });
        form.click("Button69");
        QCOMPARE(device.written, QStringList{"AA00020F010CBB"});
        QCOMPARE(form.lines(), (QStringList{"无有效数据，请检查设备是否联接....",
                                            "设置 主动读TID号 成功   " + FormFixture::time()}));
    }

    void modesAndRelayReachTheSimulatedMachine() {
        SimDevice device;
        FormFixture form(device);
        form.find<QRadioButton>("RadioButton32")->setChecked(true);
        form.click("Button69");
        QCOMPARE(device.reader.uhfMachine().readMode, sim::ReadMode::MultipleEpc);
        form.find<QRadioButton>("RadioButton36")->setChecked(true);
        form.find<QLineEdit>("Edit65")->setText("02");
        form.find<QLineEdit>("Edit68")->setText("04");
        form.click("Button69");
        const sim::UhfMachineSettings& s = device.reader.uhfMachine();
        QCOMPARE(s.readMode, sim::ReadMode::MemoryArea);
        QCOMPARE(s.areaBank, 2);
        QCOMPARE(s.areaLength, 4);
        form.click("Button81");
        QVERIFY(s.relayOn);
        form.click("Button82");
        QVERIFY(!s.relayOn);
        // Bank 4 does not exist: the reader refuses and the page says so.
        form.find<QLineEdit>("Edit65")->setText("04");
        form.clearLog();
        form.click("Button69");
        QCOMPARE(form.lines(), (QStringList{"设置失败   " + FormFixture::time(),
                                            "输入参数或者输入命令格式错误....", ""}));
    }

    void defaultsAndCardMemoryButton() {
        ScriptedDevice device;
        FormFixture form(device);
        QVERIFY(form.find<QRadioButton>("RadioButton30")->isChecked());
        QCOMPARE(form.find<QLineEdit>("Edit66")->text(), QString("00 00 00 00"));
        int shown = 0;
        form.form.context().showCardMemory = [&] { ++shown; };
        form.click("Button72");
        QCOMPARE(shown, 1);
        QVERIFY(device.written.isEmpty());
    }
};

QTEST_MAIN(ReadModePageTest)
#include "read_mode_page_test.moc"
