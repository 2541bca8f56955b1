#include "support/form_fixture.h"
#include "support/scripted_device.h"
#include "support/sim_device.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

namespace {

const QString crlfLine; // the empty line that follows a text ending in CR LF
const QString readFrame("AA000A20000410FFFFFFFFFFFF3EBB");
const QString writeFrame("AA001A21000110" + QString("FF").repeated(22) + "2ABB");
const QString numberFrame("AA000325260000BB");

// Ticks the box as the operator does; while its loop runs, `step` runs every
// 5 ms. A safety net unticks the box after 20 s so that a loop that does not
// stop fails the test instead of hanging it: the result tells whether it had to.
bool runLoop(QCheckBox* box, const std::function<void()>& step) {
    QElapsedTimer elapsed;
    elapsed.start();
    bool safetyNet = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (elapsed.elapsed() > 20000) {
            safetyNet = true;
            box->setChecked(false);
        } else {
            step();
        }
    });
    poll.start();
    box->click();
    return !safetyNet;
}

// A reply frame at address 00 around the payload (status first); the XOR is not checked.
QString reply(const QString& payload) {
    const QString digits = QString(payload).remove(' ');
    return "AA00" + QStringLiteral("%1").arg(digits.size() / 2, 2, 16, QLatin1Char('0')) + digits +
           "00BB";
}

void continuousModeRows() {
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QStringList>("cycle"); // frames of one pass
    QTest::addColumn<bool>("pageChangeStops");
    QTest::newRow("CheckBox2 reads") << QByteArray("CheckBox2") << QStringList{readFrame} << true;
    QTest::newRow("CheckBox1 writes") << QByteArray("CheckBox1") << QStringList{writeFrame} << true;
    QTest::newRow("CheckBox4 reads card numbers")
        << QByteArray("CheckBox4") << QStringList{numberFrame} << true;
    QTest::newRow("CheckBox12 writes and reads")
        << QByteArray("CheckBox12") << QStringList{writeFrame, readFrame} << false;
}

} // namespace

class S50S70PageTest : public QObject {
    Q_OBJECT

  private slots:
    // The lists of the editable boxes are fixed: Enter keeps the typed text
    // as the box's text without adding it to the list (ComboBox5 is on the
    // system commands page).
    void typedTextIsNotAddedToTheList_data() {
        QTest::addColumn<QByteArray>("box");
        for (const char* box : {"ComboBox3", "ComboBox4", "ComboBox6", "ComboBox7", "ComboBox8",
                                "ComboBox9", "ComboBox5"})
            QTest::newRow(box) << QByteArray(box);
    }
    void typedTextIsNotAddedToTheList() {
        QFETCH(QByteArray, box);
        ScriptedDevice device;
        FormFixture form(device);
        auto* combo = form.find<QComboBox>(box.constData());
        const int count = combo->count();
        combo->clearEditText();
        QTest::keyClicks(combo->lineEdit(), "7e");
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        QCOMPARE(combo->currentText(), QString("7e"));
        QCOMPARE(combo->count(), count);
    }

    void defaultFrames_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("frame");
        QTest::newRow("read blocks") << QByteArray("Button8") << readFrame;
        QTest::newRow("write blocks") << QByteArray("Button9") << writeFrame;
        QTest::newRow("halt") << QByteArray("Button16") << "AA00010607BB";
        QTest::newRow("card number") << QByteArray("Button29") << numberFrame;
        QTest::newRow("initialise value")
            << QByteArray("Button26") << "AA000D220001FFFFFFFFFFFF00880000A6BB";
        QTest::newRow("increment")
            << QByteArray("Button10") << "AA000D240001FFFFFFFFFFFF0020000008BB";
        QTest::newRow("decrement")
            << QByteArray("Button15") << "AA000D230001FFFFFFFFFFFF002000000FBB";
    }
    void defaultFrames() {
        QFETCH(QByteArray, button);
        QFETCH(QString, frame);
        ScriptedDevice device;
        FormFixture form(device);
        form.click(button);
        QCOMPARE(device.written, QStringList{frame});
    }

    // Bit 0 of the mode byte is the request choice, bit 1 the key choice.
    void modeByte_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("all");
        QTest::addColumn<QByteArray>("keyB");
        const struct {
            const char* button;
            const char* all;
            const char* keyB;
        } sections[] = {{"Button8", "reqa", "keyb"},
                        {"Button9", "reqaa", "keybb"},
                        {"Button26", "reqaaa", "keybbb"},
                        {"Button10", "reqaaaa", "keybbbb"},
                        {"Button15", "reqaaaaa", "keybbbbb"}};
        for (const auto& section : sections) {
            QTest::addRow("%s idle, key A", section.button)
                << QByteArray(section.button) << QByteArray() << QByteArray();
            QTest::addRow("%s all, key A", section.button)
                << QByteArray(section.button) << QByteArray(section.all) << QByteArray();
            QTest::addRow("%s idle, key B", section.button)
                << QByteArray(section.button) << QByteArray() << QByteArray(section.keyB);
            QTest::addRow("%s all, key B", section.button)
                << QByteArray(section.button) << QByteArray(section.all)
                << QByteArray(section.keyB);
        }
    }
    void modeByte() {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, all);
        QFETCH(QByteArray, keyB);
        ScriptedDevice device;
        FormFixture form(device);
        for (const QByteArray& radio : {all, keyB})
            if (!radio.isEmpty())
                form.find<QRadioButton>(radio)->click();
        form.click(button);
        QCOMPARE(device.written.size(), 1);
        const int mode = (all.isEmpty() ? 0 : 1) | (keyB.isEmpty() ? 0 : 2);
        QCOMPARE(device.written[0].mid(8, 2), QStringLiteral("0%1").arg(mode));
    }

    void cardNumberChoices_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("halt");
        QTest::addColumn<QString>("frame");
        QTest::newRow("all, halt")
            << QByteArray("reqa5") << QByteArray("yeshalt") << "AA000325520175BB";
        QTest::newRow("idle, halt")
            << QByteArray("reql5") << QByteArray("yeshalt") << "AA000325260101BB";
        QTest::newRow("all, no halt")
            << QByteArray("reqa5") << QByteArray("nohalt") << "AA000325520074BB";
    }
    void cardNumberChoices() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, halt);
        QFETCH(QString, frame);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QRadioButton>(request)->click();
        form.find<QRadioButton>(halt)->click();
        form.click("Button29");
        QCOMPARE(device.written, QStringList{frame});
    }

    void operatorTextGoesAsTyped() {
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QComboBox>("ComboBox3")->setCurrentText("3f");
        form.find<QComboBox>("ComboBox6")->setCurrentText("");
        form.find<QComboBox>("ComboBox4")->setCurrentText("a0-a1-a2-a3-a4-a5");
        form.click("Button8");
        QCOMPARE(device.written, QStringList{"AA000920003FA0A1A2A3A4A517BB"});
    }

    // The address switch chooses 10 or 11 for every frame after it.
    void addressSwitch_data() {
        QTest::addColumn<QByteArray>("radio");
        QTest::addColumn<QString>("haltFrame");
        QTest::addColumn<QString>("readAddressFrame");
        QTest::newRow("11") << QByteArray("RadioButton1") << "AA11010616BB"
                            << "AA11018393BB";
        QTest::newRow("10") << QByteArray("RadioButton2") << "AA10010617BB"
                            << "AA10018392BB";
    }
    void addressSwitch() {
        QFETCH(QByteArray, radio);
        QFETCH(QString, haltFrame);
        QFETCH(QString, readAddressFrame);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QRadioButton>(radio)->click();
        form.click("Button16");
        form.click("Button4");
        QCOMPARE(device.written, (QStringList{haltFrame, readAddressFrame}));
        QCOMPARE(form.find<QComboBox>("setadd")->currentText(), radio.endsWith('1') ? "11" : "10");
    }

    void outcomes_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        const QString t = FormFixture::time();
        const QString ok = "操作成功   " + t;
        const QString data("000102030405060708090A0B0C0D0E0F");
        QTest::newRow("read") << QByteArray("Button8") << reply("00 A1B2C3D4" + data)
                              << QStringList{ok, "卡号为:A1B2C3D4", "卡的数据为:" + data, crlfLine};
        QTest::newRow("read, card number only")
            << QByteArray("Button8") << reply("00 A1B2C3D4")
            << QStringList{ok, "卡号为:A1B2C3D4", "卡的数据为:", crlfLine};
        // No length check: the card number runs into the XOR and trailer.
        QTest::newRow("read, short reply")
            << QByteArray("Button8") << reply("00 A1")
            << QStringList{ok, "卡号为:A100BB", "卡的数据为:", crlfLine};
        QTest::newRow("read, wrong key")
            << QByteArray("Button8") << reply("01 8C")
            << QStringList{"读卡失败   " + t, "密码认证没通过....", crlfLine};
        QTest::newRow("write") << QByteArray("Button9") << reply("00 A1B2C3D4")
                               << QStringList{ok, "卡号为:A1B2C3D4"};
        QTest::newRow("write, no card") << QByteArray("Button9") << reply("01 83")
                                        << QStringList{"读卡失败   " + t, "卡不存在....", crlfLine};
        QTest::newRow("halt") << QByteArray("Button16") << reply("00")
                              << QStringList{"HALT操作成功   " + t, crlfLine};
        QTest::newRow("halt, failure")
            << QByteArray("Button16") << reply("01 83")
            << QStringList{"HALT操作失败   " + t, "卡不存在....", crlfLine};
        QTest::newRow("card number, one card")
            << QByteArray("Button29") << reply("00 00 A1B2C3D4")
            << QStringList{ok, crlfLine, "返回卡号为:A1B2C3D4", "检测到的卡的数量为一张卡..",
                           crlfLine};
        QTest::newRow("card number, several cards")
            << QByteArray("Button29") << reply("00 01 A1B2C3D4")
            << QStringList{ok, crlfLine, "返回卡号为:A1B2C3D4", "检测到的卡的数量为多张卡..",
                           crlfLine};
        QTest::newRow("card number, count byte 02")
            << QByteArray("Button29") << reply("00 02 A1B2C3D4")
            << QStringList{ok, crlfLine, "返回卡号为:A1B2C3D4"};
        QTest::newRow("card number, failure")
            << QByteArray("Button29") << reply("01 83")
            << QStringList{"读卡号操作失败   " + t, "卡不存在....", crlfLine};
        QTest::newRow("initialise value") << QByteArray("Button26") << reply("00 A1B2C3D4")
                                          << QStringList{ok, "返回卡ID号为:A1B2C3D4", crlfLine};
        QTest::newRow("initialise value, failure")
            << QByteArray("Button26") << reply("01 8A")
            << QStringList{"读卡失败   " + t, "在块初始化中出现错误...", crlfLine};
        QTest::newRow("increment")
            << QByteArray("Button10") << reply("00 A1B2C3D4 00A80000")
            << QStringList{ok, "返回卡ID号为:A1B2C3D4", "剩余值为为: 00A80000", crlfLine};
        QTest::newRow("decrement")
            << QByteArray("Button15") << reply("00 A1B2C3D4 00680000")
            << QStringList{ok, "返回卡ID号为:A1B2C3D4", "剩余值为为: 00680000", crlfLine};
        QTest::newRow("decrement, failure")
            << QByteArray("Button15") << reply("01 8C")
            << QStringList{"读卡失败   " + t, "密码认证没通过....", crlfLine};
        QTest::newRow("status 02") << QByteArray("Button10") << reply("02")
                                   << QStringList{"数据丢包，流水校验出错   " + t, crlfLine};
        QTest::newRow("no reply") << QByteArray("Button8") << QString()
                                  << QStringList{"无有效数据，请检查设备是否联接....",
                                                 "通讯错误，没有接收到数据..   " + t, crlfLine};
    }
    void outcomes() {
        QFETCH(QByteArray, button);
        QFETCH(QString, reply);
        QFETCH(QStringList, lines);
        ScriptedDevice device;
        FormFixture form(device);
        if (reply.isEmpty())
            device.writeResult = 0;
        else
            device.reply(reply);
        form.click(button);
        QCOMPARE(form.lines(), lines);
    }

    // Access bytes that would lock a sector for good are not sent.
    void trailerWrites_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("refusal");
        const QString ff = QString("FF ").repeated(16);
        const QString transport("FF FF FF FF FF FF FF 07 80 69 FF FF FF FF FF FF");
        const QString zeros = QString("00 ").repeated(16);
        const QString refused("扇区尾块 %1 的控制字 %2 无效，写入会永久锁死该扇区，未发送   ");
        QTest::newRow("all FF on trailer 13") << "13"
                                              << "01" << ff << refused.arg("13", "FF FF FF");
        QTest::newRow("transport trailer") << "13"
                                           << "01" << transport << QString();
        QTest::newRow("data block 12 then bad trailer 13")
            << "12"
            << "02" << zeros + ff << refused.arg("13", "FF FF FF");
        QTest::newRow("trailer data missing: the reader refuses") << "12"
                                                                  << "02" << zeros << QString();
        QTest::newRow("all zeros on trailer 03") << "03"
                                                 << "01" << zeros << refused.arg("03", "00 00 00");
        // Transport access bytes FF 07 80 with one rule broken: C1 in byte 8
        // that does not match its inverse in byte 6, or C3 in byte 8 that does
        // not match its inverse in byte 7.
        QTest::newRow("byte 8 low nibble against byte 6")
            << "13"
            << "01"
            << "FF FF FF FF FF FF FF 07 81 69 FF FF FF FF FF FF" << refused.arg("13", "FF 07 81");
        QTest::newRow("byte 8 high nibble against byte 7")
            << "13"
            << "01"
            << "FF FF FF FF FF FF FF 07 00 69 FF FF FF FF FF FF" << refused.arg("13", "FF 07 00");
        QTest::newRow("S70 block 87 holds data") << "87"
                                                 << "01" << ff << QString();
        QTest::newRow("S70 trailer 8F") << "8F"
                                        << "01" << ff << refused.arg("8F", "FF FF FF");
    }
    void trailerWrites() {
        QFETCH(QString, start);
        QFETCH(QString, count);
        QFETCH(QString, data);
        QFETCH(QString, refusal);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QComboBox>("ComboBox7")->setCurrentText(start);
        form.find<QComboBox>("ComboBox8")->setCurrentText(count);
        form.find<QLineEdit>("Edit3")->setText(data);
        device.reply(reply("00 A1B2C3D4"));
        form.click("Button9");
        if (refusal.isEmpty()) {
            QCOMPARE(device.written.size(), 1);
        } else {
            QCOMPARE(device.written, QStringList());
            QCOMPARE(form.lines(), (QStringList{refusal + FormFixture::time(), crlfLine}));
        }
    }

    void writeThenReadBack() {
        SimDevice device(sim::SimulatedReader::Model::Hf);
        FormFixture form(device);
        const QString data("00112233445566778899AABBCCDDEEFF0102030405060708090A0B0C0D0E0F10");
        form.find<QComboBox>("ComboBox7")->setCurrentText("21");
        form.find<QComboBox>("ComboBox8")->setCurrentText("02");
        form.find<QLineEdit>("Edit3")->setText(data);
        form.click("Button9");
        form.find<QComboBox>("ComboBox3")->setCurrentText("21");
        form.find<QComboBox>("ComboBox6")->setCurrentText("02");
        form.click("Button8");
        const QString ok = "操作成功   " + FormFixture::time();
        QCOMPARE(form.lines(), (QStringList{ok, "卡号为:A1B2C3D4", ok, "卡号为:A1B2C3D4",
                                            "卡的数据为:" + data, crlfLine}));
    }

    void valueRoundTrip() {
        SimDevice device(sim::SimulatedReader::Model::Hf);
        FormFixture form(device);
        form.click("Button26");
        form.click("Button10");
        form.find<QLineEdit>("Edit8")->setText("00 08 00 00");
        form.click("Button15");
        const QString ok = "操作成功   " + FormFixture::time();
        const QString id("返回卡ID号为:A1B2C3D4");
        QCOMPARE(form.lines(), (QStringList{ok, id, crlfLine, ok, id, "剩余值为为: 00A80000",
                                            crlfLine, ok, id, "剩余值为为: 00A00000", crlfLine}));
    }

    void cardsInTheField() {
        SimDevice device(sim::SimulatedReader::Model::Hf);
        FormFixture form(device);
        const QString t = FormFixture::time();
        form.find<QComboBox>("ComboBox4")->setCurrentText("A0 A1 A2 A3 A4 A5");
        form.click("Button8");
        form.find<QRadioButton>("yeshalt")->click();
        form.click("Button29"); // reads the card and halts it
        form.click("Button29"); // a halted card sleeps through Idle
        form.find<QRadioButton>("reqa5")->click();
        device.reader.sectorCards().add(
            sim::SectorCard(sim::SectorCard::Type::S70, {0x11, 0x22, 0x33, 0x44}));
        form.click("Button29"); // All wakes it, and the second card answers too
        QCOMPARE(
            form.lines(),
            (QStringList{"读卡失败   " + t, "密码认证没通过....", crlfLine, "操作成功   " + t,
                         crlfLine, "返回卡号为:A1B2C3D4", "检测到的卡的数量为一张卡..", crlfLine,
                         "读卡号操作失败   " + t, "卡不存在....", crlfLine, "操作成功   " + t,
                         crlfLine, "返回卡号为:A1B2C3D4", "检测到的卡的数量为多张卡..", crlfLine}));
    }

    void continuousModeRepeatsUntilUnticked() {
        QFETCH(QByteArray, box);
        QFETCH(QStringList, cycle);
        SimDevice device(sim::SimulatedReader::Model::Hf);
        FormFixture form(device);
        form.find<QLineEdit>("Edit22")->setText("0");
        auto* checkBox = form.find<QCheckBox>(box);
        QVERIFY(runLoop(checkBox, [&] {
            if (device.written.size() >= 6 && checkBox->isChecked())
                checkBox->click();
        }));
        QVERIFY(!checkBox->isChecked());
        QVERIFY(device.written.size() >= 6);
        for (int i = 0; i < device.written.size(); ++i)
            QCOMPARE(device.written[i], cycle[i % cycle.size()]);
        // Once ended, nothing more goes out.
        const int sent = device.written.size();
        QTest::qWait(50);
        QCOMPARE(device.written.size(), sent);
    }
    void continuousModeRepeatsUntilUnticked_data() { continuousModeRows(); }

    void continuousModeAndPageChange() {
        QFETCH(QByteArray, box);
        QFETCH(bool, pageChangeStops);
        SimDevice device(sim::SimulatedReader::Model::Hf);
        FormFixture form(device);
        form.form.pageControl()->setCurrentIndex(2);
        form.find<QLineEdit>("Edit22")->setText("0");
        auto* checkBox = form.find<QCheckBox>(box);
        int sentAtChange = -1;
        QVERIFY(runLoop(checkBox, [&] {
            if (sentAtChange < 0 && device.written.size() >= 2) {
                sentAtChange = device.written.size();
                form.form.pageControl()->setCurrentIndex(0);
            } else if (sentAtChange >= 0 && device.written.size() >= sentAtChange + 6 &&
                       checkBox->isChecked()) {
                checkBox->click();
            }
        }));
        QVERIFY(!checkBox->isChecked());
        // A stopped loop finishes only the pass in progress.
        if (pageChangeStops)
            QVERIFY(device.written.size() <= sentAtChange + 2);
        else
            QVERIFY(device.written.size() >= sentAtChange + 6);
    }
    void continuousModeAndPageChange_data() { continuousModeRows(); }

    void closingTheWindowEndsTheLoop() {
        QFETCH(QByteArray, box);
        SimDevice device(sim::SimulatedReader::Model::Hf);
        FormFixture form(device);
        form.find<QLineEdit>("Edit22")->setText("0");
        auto* checkBox = form.find<QCheckBox>(box);
        bool closed = false;
        QVERIFY(runLoop(checkBox, [&] {
            if (device.written.size() >= 2 && !closed)
                closed = form.form.close();
        }));
        QVERIFY(!checkBox->isChecked());
    }
    void closingTheWindowEndsTheLoop_data() { continuousModeRows(); }

    // Delayy waits its full time: with N = 100 s one pass goes out and the loop waits, until
    // closing the window ends the wait. The write-and-read cycle waits after the write too
    // (and still finishes its cycle with the read once the wait has ended).
    void fixedWaitBetweenPasses_data() {
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<QString>("frame");
        QTest::newRow("CheckBox2") << QByteArray("CheckBox2") << readFrame;
        QTest::newRow("CheckBox1") << QByteArray("CheckBox1") << writeFrame;
        QTest::newRow("CheckBox12") << QByteArray("CheckBox12") << writeFrame;
    }
    void fixedWaitBetweenPasses() {
        QFETCH(QByteArray, box);
        QFETCH(QString, frame);
        SimDevice device(sim::SimulatedReader::Model::Hf);
        FormFixture form(device);
        form.find<QLineEdit>("Edit22")->setText("100000");
        QElapsedTimer running;
        running.start();
        QStringList sentBeforeClose;
        bool closed = false;
        QVERIFY(runLoop(form.find<QCheckBox>(box), [&] {
            if (running.elapsed() > 300 && !closed) {
                sentBeforeClose = device.written;
                closed = form.form.close();
            }
        }));
        QCOMPARE(sentBeforeClose, QStringList{frame});
    }

    // Delay ends as soon as the reader has answered: with N = 100 s the requests still follow
    // each other while cards answer.
    void cardNumberLoopFollowsReplies() {
        SimDevice device(sim::SimulatedReader::Model::Hf);
        FormFixture form(device);
        form.find<QLineEdit>("Edit22")->setText("100000");
        auto* checkBox = form.find<QCheckBox>("CheckBox4");
        QVERIFY(runLoop(checkBox, [&] {
            if (device.written.size() >= 5 && checkBox->isChecked())
                checkBox->click();
        }));
        QVERIFY(device.written.size() >= 5);
    }
};

QTEST_MAIN(S50S70PageTest)
#include "s50_s70_page_test.moc"
