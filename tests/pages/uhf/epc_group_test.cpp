#include "protocol/hex_text.h"
#include "support/form_fixture.h"
#include "support/module_replies.h"
#include "support/scripted_device.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

namespace {

// The tag of most cases: PC 30 00, a 12-byte EPC, StoredCRC 0E 24.
const QString tagEpc = QStringLiteral("E20047139020602107401234");
const QString inventoryReply =
    QStringLiteral("BB 01 22 00 11 C8 30 00 E2 00 47 13 90 20 60 21 07 40 12 34 0E 24 58 7E");
const QString noTagReply = QStringLiteral("BB 01 FF 00 01 15 16 7E");
const QString selectReply = QStringLiteral("BB 01 0C 00 01 00 0E 7E");
const QString writeReply =
    QStringLiteral("BB 01 49 00 10 0E 30 00 E2 00 47 13 90 20 60 21 07 40 12 34 00 92 7E");
const QString writeRefused = QStringLiteral("BB 01 FF 00 01 10 11 7E");

const QString inventoryFrame = QStringLiteral("AA0008CEBB00220000227E03BB");
const QString selectFrame =
    QStringLiteral("AA001BCEBB000C001301000000206000E200471390206021074012349A7EF2BB");
const QString defaultWriteFrame =
    QStringLiteral("AA0021CEBB004900190000000001000000080E243000000000000000000000000001CE7EA6BB");

QString line(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

class EpcGroupTest : public QObject {
    Q_OBJECT

    struct Rig {
        ScriptedDevice device;
        FormFixture form{device};
        void tagAnswers(std::initializer_list<QString> moduleReplies) {
            for (const QString& reply : moduleReplies)
                device.reply(carrying(reply));
        }
        QString text(const char* edit) { return form.find<QLineEdit>(edit)->text(); }
        void setText(const char* edit, const QString& text) {
            form.find<QLineEdit>(edit)->setText(text);
        }
    };

  private slots:
    void controlsAndDefaults() {
        Rig rig;
        FormFixture& f = rig.form;
        QCOMPARE(f.find<QGroupBox>("GroupBox35")->title(), line("EPC自动写卡"));
        const struct {
            const char* name;
            const char* caption;
        } buttons[] = {{"Button65", "读EPC号"},  {"Button67", "读卡"},         {"Button66", "写卡"},
                       {"Button70", "清除界面"}, {"CheckBox20", "自动发卡  "}, {"Forward", "正加"},
                       {"reverse", "反加"}};
        for (const auto& button : buttons)
            QCOMPARE(f.find<QAbstractButton>(button.name)->text(), line(button.caption));
        QVERIFY(!f.find<QCheckBox>("CheckBox20")->isChecked());
        QVERIFY(f.find<QRadioButton>("Forward")->isChecked());
        QVERIFY(!f.find<QRadioButton>("reverse")->isChecked());
        QCOMPARE(rig.text("Edit54"), QString("000000000000000000000001"));
        QCOMPARE(f.find<QLineEdit>("Edit54")->font().pixelSize(), 32);
        QCOMPARE(rig.text("Edit62"), QString("1"));
        QCOMPARE(rig.text("Edit63"), QString("00 00 00 00"));
        QCOMPARE(rig.text("Edit61"), QString("2"));
        QCOMPARE(rig.text("epcbuf"), QString("epcbuf"));
        QVERIFY(!f.find<QLineEdit>("epcbuf")->isEnabled());
        for (const char* hidden : {"Edit53", "Edit60", "epcbuf"})
            QVERIFY(f.find<QLineEdit>(hidden)->isHidden());
        QVERIFY(f.find<QGroupBox>("GroupBox37"));
    }

    void readEpc_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        const QString notExist = line("The card is not exist..!   09:30:00 AM");
        QTest::newRow("no tag") << carrying(noTagReply) << QStringList{notExist, ""};
        QTest::newRow("any 8-byte reply")
            << carrying("BB 01 22 00 01 00 24 7E") << QStringList{notExist, ""};
        QTest::newRow("9 bytes") << carrying("BB 01 22 00 02 00 00 25 7E") << QStringList{};
        QTest::newRow("10 bytes") << carrying("BB 01 22 00 03 00 00 00 26 7E") << QStringList{};
        QTest::newRow("no reply") << QString()
                                  << QStringList{line("error,no data  receive..   09:30:00 AM"),
                                                 ""};
        QTest::newRow("12-byte EPC")
            << carrying(inventoryReply) << QStringList{"the epc is: " + tagEpc};
        QTest::newRow("4-byte EPC") << carrying("BB 01 22 00 09 C8 10 00 00 00 00 01 FB 4A 4A 7E")
                                    << QStringList{"the epc is: 00000001"};
    }
    void readEpc() {
        QFETCH(QString, reply);
        QFETCH(QStringList, lines);
        Rig rig;
        if (!reply.isEmpty())
            rig.device.reply(reply);
        rig.form.click("Button65");
        QCOMPARE(rig.device.written, QStringList{inventoryFrame});
        QCOMPARE(rig.form.lines(), lines);
        // ReplyText is left as the module's reply frame.
        QCOMPARE(rig.form.form.link().ReplyText().size() > 0, !reply.isEmpty());
    }

    void readCard_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("edit53");
        const QString readMemory = QStringLiteral("AA0011CEBB003900090000000001000000084B7E68BB");
        QTest::newRow("tag") << carrying(inventoryReply)
                             << QStringList{inventoryFrame,
                                            "BB000C001301000000206000E200471390206021074012349A7E",
                                            readMemory}
                             << QStringList{"the epc is: " + tagEpc} << tagEpc;
        QTest::newRow("no tag") << carrying(noTagReply) << QStringList{inventoryFrame}
                                << QStringList{line("The card is not exist..!   09:30:00 AM"), ""}
                                << QString();
        // Without a reply the select and read still go out, with an empty mask.
        QTest::newRow("no reply") << QString()
                                  << QStringList{inventoryFrame, "BB000C0013010000002060 00A07E",
                                                 readMemory}
                                  << QStringList{line("error,no data  receive..   09:30:00 AM"), ""}
                                  << QString();
    }
    void readCard() {
        QFETCH(QString, reply);
        QFETCH(QStringList, frames);
        QFETCH(QStringList, lines);
        QFETCH(QString, edit53);
        Rig rig;
        if (!reply.isEmpty())
            rig.device.reply(reply);
        rig.form.click("Button67");
        QStringList compact;
        for (const QString& frame : frames)
            compact << hex::digitsOf(frame);
        QCOMPARE(rig.device.written, compact);
        QCOMPARE(rig.form.lines(), lines);
        QCOMPARE(rig.text("Edit53"), edit53);
    }

    void writeWithDefaults() {
        Rig rig;
        rig.tagAnswers({inventoryReply, selectReply, writeReply});
        rig.form.click("Button66");
        QCOMPARE(rig.device.written, (QStringList{inventoryFrame, selectFrame, defaultWriteFrame}));
        QCOMPARE(rig.form.lines(), QStringList{line("写卡成功,卡号000000000000000000000001")});
        QCOMPARE(rig.text("Edit54"), QString("000000000000000000000002"));
        QCOMPARE(rig.text("epcbuf"), QString("000000000000000000000001"));
        QCOMPARE(rig.text("Edit60"), tagEpc);
        QVERIFY(rig.form.errors.isEmpty());
    }

    // A 4-byte number typed with blanks, a 4-byte EPC on the tag.
    void writeShortNumber() {
        Rig rig;
        rig.setText("Edit54", "00 00 00 01");
        rig.tagAnswers({"BB 01 22 00 09 C8 10 00 12 34 56 78 AB CD 90 7E", selectReply,
                        "BB 01 49 00 08 06 10 00 12 34 56 78 00 7C 7E"});
        rig.form.click("Button66");
        QCOMPARE(rig.device.written,
                 (QStringList{inventoryFrame, "AA0013CEBB000C000B01000000202000123456786C7E7ABB",
                              "AA0019CEBB00490011000000000100000004ABCD100000000001E87ED0BB"}));
        QCOMPARE(rig.text("Edit54"), QString("00000002"));
    }

    void writeOutcomes_data() {
        QTest::addColumn<QString>("writeAnswer");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("nextNumber");
        QTest::addColumn<QString>("epcbuf");
        const QString one = QStringLiteral("000000000000000000000001");
        const QString two = QStringLiteral("000000000000000000000002");
        QTest::newRow("written") << carrying(writeReply) << QStringList{line("写卡成功,卡号") + one}
                                 << two << one;
        QTest::newRow("error response")
            << carrying(writeRefused) << QStringList{line("写卡失败   09:30:00 AM"), ""} << one
            << "epcbuf";
        QTest::newRow("other reply")
            << carrying(selectReply) << QStringList{line("check sum error.....   09:30:00 AM"), ""}
            << one << "epcbuf";
        QTest::newRow("no reply") << QString()
                                  << QStringList{line("error,no data  receive..   09:30:00 AM"), ""}
                                  << one << "epcbuf";
    }
    void writeOutcomes() {
        QFETCH(QString, writeAnswer);
        QFETCH(QStringList, lines);
        QFETCH(QString, nextNumber);
        QFETCH(QString, epcbuf);
        Rig rig;
        rig.tagAnswers({inventoryReply, selectReply});
        if (!writeAnswer.isEmpty())
            rig.device.reply(writeAnswer);
        rig.form.click("Button66");
        QCOMPARE(rig.device.written.size(), 3);
        QCOMPARE(rig.form.lines(), lines);
        QCOMPARE(rig.text("Edit54"), nextNumber);
        QCOMPARE(rig.text("epcbuf"), epcbuf);
    }

    void writeFindsNoTag_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("no tag") << carrying(noTagReply)
                                << QStringList{line("The card is not exist..!   09:30:00 AM")};
        QTest::newRow("no reply") << QString()
                                  << QStringList{line("error,no data  receive..   09:30:00 AM"),
                                                 ""};
    }
    void writeFindsNoTag() {
        QFETCH(QString, reply);
        QFETCH(QStringList, lines);
        Rig rig;
        if (!reply.isEmpty())
            rig.device.reply(reply);
        rig.form.click("Button66");
        QCOMPARE(rig.device.written, QStringList{inventoryFrame});
        QCOMPARE(rig.form.lines(), lines);
        QCOMPARE(rig.text("Edit54"), QString("000000000000000000000001"));
    }

    // The tag carries the number written last, in whatever case it was typed.
    void sameTagIsNotWrittenAgain_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("tagAfterWrite");
        QTest::newRow("upper case") << "00000000000000000000000A"
                                    << "BB 01 22 00 11 C8 30 00 00 00 00 00 00 00 00 00 00 00 00 "
                                       "0A 12 34 7C 7E";
        QTest::newRow("typed in lower case")
            << "00000000000000000000000a"
            << "BB 01 22 00 11 C8 30 00 00 00 00 00 00 00 00 00 00 00 00 0A 12 34 7C 7E";
    }
    void sameTagIsNotWrittenAgain() {
        QFETCH(QString, number);
        QFETCH(QString, tagAfterWrite);
        Rig rig;
        rig.setText("Edit54", number);
        rig.tagAnswers({inventoryReply, selectReply, writeReply, tagAfterWrite});
        rig.form.click("Button66");
        rig.form.click("Button66");
        QCOMPARE(rig.device.written.size(), 4);
        QCOMPARE(rig.device.written.last(), inventoryFrame);
        QCOMPARE(rig.form.lines(), QStringList{line("写卡成功,卡号") + number});
        QCOMPARE(rig.text("Edit54"), QString("00000000000000000000000B"));
    }

    // Nothing goes out while the number or step cannot be written or advanced.
    void badNumberIsRefusedBeforeSending_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("numberAfter");
        QTest::newRow("odd number")
            << "0001 1"
            << "1" << line("EPC号长度须为 2 到 62 之间的偶数个字节，现为 5 位十六进制数字，未写卡")
            << "00011";
        QTest::newRow("odd step after zero fill") << "00000001"
                                                  << "1 1"
                                                  << "'1 1' is not a valid integer value"
                                                  << "00000001";
        QTest::newRow("step not hex") << "00000001"
                                      << "1G"
                                      << "'1G' is not a valid integer value"
                                      << "00000001";
        QTest::newRow("odd byte count")
            << "000001"
            << "1" << line("EPC号长度须为 2 到 62 之间的偶数个字节，现为 3 字节，未写卡")
            << "000001";
        QTest::newRow("empty number")
            << ""
            << "01" << line("EPC号长度须为 2 到 62 之间的偶数个字节，现为 0 字节，未写卡") << "";
        QTest::newRow("longer than the PC word can count")
            << QString(128, '0') << "1"
            << line("EPC号长度须为 2 到 62 之间的偶数个字节，现为 64 字节，未写卡")
            << QString(128, '0');
    }
    void badNumberIsRefusedBeforeSending() {
        QFETCH(QString, number);
        QFETCH(QString, step);
        QFETCH(QString, error);
        QFETCH(QString, numberAfter);
        Rig rig;
        rig.setText("Edit54", number);
        rig.setText("Edit62", step);
        rig.form.click("Button66");
        QCOMPARE(rig.device.written, QStringList());
        QCOMPARE(rig.form.errors, QStringList{error});
        QCOMPARE(rig.text("Edit54"), numberAfter);
        QCOMPARE(rig.form.lines(), QStringList());
    }

    void clearEmptiesTheLog() {
        Rig rig;
        rig.form.click("Button65");
        QVERIFY(!rig.form.lines().isEmpty());
        rig.form.click("Button70");
        QCOMPARE(rig.form.lines(), QStringList());
    }

    // The loop stops at the next test after the box is clicked again: the
    // nested click only changes the caption.
    void issuingRunsUntilClickedAgain() {
        Rig rig;
        auto* box = rig.form.find<QCheckBox>("CheckBox20");
        for (int i = 0; i < 3; ++i)
            rig.tagAnswers({noTagReply});
        QString captionWhileRunning;
        int attempts = 0;
        QObject guard;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &guard, [&] {
            attempts = rig.device.written.size();
            if (attempts < 3 || !box->isChecked())
                return;
            captionWhileRunning = box->text();
            box->click();
        });
        poll.start(5);
        box->click();
        QCOMPARE(captionWhileRunning, line("停止发卡"));
        QVERIFY(!box->isChecked());
        QCOMPARE(box->text(), line("自动发卡"));
        // One write attempt per cycle: each found no tag.
        const QString notExist = line("The card is not exist..!   09:30:00 AM");
        QCOMPARE(rig.form.lines(), QStringList(rig.device.written.size(), notExist));
        QVERIFY(rig.device.written.size() >= 3);
    }

    void issuingStopsOnBadInput_data() {
        QTest::addColumn<QString>("pause");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("error");
        // The pause is read after the first attempt.
        QTest::newRow("pause not a number")
            << "2ms"
            << "000000000000000000000001" << 1 << "'2ms' is not a valid integer value";
        QTest::newRow("odd number")
            << "2"
            << "001" << 0
            << line("EPC号长度须为 2 到 62 之间的偶数个字节，现为 3 位十六进制数字，未写卡");
    }
    void issuingStopsOnBadInput() {
        QFETCH(QString, pause);
        QFETCH(QString, number);
        QFETCH(int, frames);
        QFETCH(QString, error);
        Rig rig;
        rig.tagAnswers({noTagReply});
        rig.setText("Edit61", pause);
        rig.setText("Edit54", number);
        auto* box = rig.form.find<QCheckBox>("CheckBox20");
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(box->text(), line("自动发卡"));
        QCOMPARE(rig.device.written.size(), frames);
        QCOMPARE(rig.form.errors, QStringList{error});
    }

    void closingTheWindowStopsIssuing() {
        Rig rig;
        auto* box = rig.form.find<QCheckBox>("CheckBox20");
        rig.setText("Edit61", "100000");
        QTimer::singleShot(50, &rig.form.form, [&] { rig.form.form.close(); });
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(box->text(), line("自动发卡"));
        QCOMPARE(rig.device.written, QStringList{inventoryFrame});
    }
};

QTEST_MAIN(EpcGroupTest)
#include "epc_group_test.moc"
