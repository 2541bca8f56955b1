#include "pages/hf/card_report.h"
#include "support/form_fixture.h"
#include "support/scripted_device.h"

class CardReportTest : public QObject {
    Q_OBJECT

  private slots:
    void report_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("S50/S70") << "AA01A1B2C3D4BB"
                                 << QStringList{"检测到S50/S70卡", "卡的ID号码为： A1B2C3D4", ""};
        QTest::newRow("Ultralight")
            << "AA0212345678901234BB"
            << QStringList{"检测到Ultralight/desfire卡", "卡的ID号码为： 12345678901234", ""};
        QTest::newRow("ISO 14443 B")
            << "AA0312345678BB"
            << QStringList{"检测到ISO 14443 B卡", "卡的ID号码为： 12345678", ""};
        QTest::newRow("identity card") << "AA0412345678ABCDEF0011BB"
                                       << QStringList{"中华人民共和国第二代身份证..",
                                                      "身份证卡的ID号码为： 12345678ABCDEF00", ""};
        QTest::newRow("ISO 15693")
            << "AA05E0040100AABBCCDD00BB"
            << QStringList{"检测到ISO 15693卡", "卡的ID号码为： E0040100AABBCCDD", ""};
        QTest::newRow("short S50 report")
            << "AA01A1B2" << QStringList{"检测到S50/S70卡", "卡的ID号码为： A1B2", ""};
    }
    void report() {
        QFETCH(QString, reply);
        QFETCH(QStringList, lines);
        ScriptedDevice device;
        FormFixture form(device);
        form.form.link().setReplyText(reply);
        checkcard(form.form.link());
        QCOMPARE(form.lines(), lines);
        QCOMPARE(form.form.link().ReplyText(), QString());
    }

    // An ordinary reply (byte 2 is then the reader address) and unknown codes are no report.
    void noReport_data() {
        QTest::addColumn<QString>("reply");
        QTest::newRow("reply at address 00") << "AA00010001BB";
        QTest::newRow("reply at address 10") << "AA10010011BB";
        QTest::newRow("code 06") << "AA0612345678BB";
        QTest::newRow("lower-case code") << "AA0a12345678BB";
        QTest::newRow("one character") << "A";
        QTest::newRow("empty") << "";
    }
    void noReport() {
        QFETCH(QString, reply);
        ScriptedDevice device;
        FormFixture form(device);
        form.form.link().setReplyText(reply);
        checkcard(form.form.link());
        QCOMPARE(form.lines(), QStringList());
        QCOMPARE(form.form.link().ReplyText(), reply);
    }
};

QTEST_MAIN(CardReportTest)
#include "card_report_test.moc"
