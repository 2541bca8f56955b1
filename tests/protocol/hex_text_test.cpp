#include "protocol/conversion.h"
#include "protocol/csv_text.h"
#include "protocol/frames.h"
#include "protocol/hex_text.h"

#include <QTest>

class HexTextTest : public QObject {
    Q_OBJECT
  private slots:
    void strictDigitsTakesWholePairsOnly_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("compact");
        QTest::newRow("compact, case") << "e2aB" << true << "E2AB";
        QTest::newRow("blanks between pairs") << " E2 00\t0001 " << true << "E2000001";
        QTest::newRow("empty") << "" << true << "";
        QTest::newRow("blank inside a pair") << "E 2" << false << "";
        QTest::newRow("unpaired digit") << "123" << false << "";
        QTest::newRow("letter outside a-f") << "E2GG" << false << "";
        QTest::newRow("dollar") << "$10" << false << "";
        QTest::newRow("sign") << "-1" << false << "";
        QTest::newRow("wide digit") << QString::fromUtf8("１２") << false << "";
    }
    void strictDigitsTakesWholePairsOnly() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(QString, compact);
        QString digits = QStringLiteral("untouched");
        QCOMPARE(hex::strictDigits(text, &digits), accepted);
        QCOMPARE(digits, accepted ? compact : QStringLiteral("untouched"));
    }

    void checkdataKeepsWholeDigitPairs_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("compact");
        QTest::newRow("blanks and case") << "cd 0a\r\nFF"
                                         << "cd0aFF";
        QTest::newRow("unpaired digit dropped") << "123"
                                                << "12";
        QTest::newRow("letters outside a-f") << "xyz G1 2h"
                                             << "12";
        QTest::newRow("two-byte characters") << QString::fromUtf8("读1写2") << "12";
        QTest::newRow("empty") << ""
                               << "";
    }
    void checkdataKeepsWholeDigitPairs() {
        QFETCH(QString, text);
        QFETCH(QString, compact);
        QCOMPARE(checkdata(text), compact);
    }

    void adddateSumsBytes() {
        QCOMPARE(adddate("00 C9 00 07 03 00 00 00 00 00 08"), 0xDB);
        QCOMPARE(uhfChecksum("00 C9 00 07 03 00 00 00 00 00 08"), QString("DB"));
        QCOMPARE(adddate("ff ff ff"), 0x2FD);
        QCOMPARE(uhfChecksum("ff ff ff"), QString("FD"));
        QCOMPARE(adddate("1"), 0);
    }

    void cdateReversesBytes() {
        QCOMPARE(cdate("0102030405"), QString("05 04 03 02 01 "));
        QCOMPARE(cdate("01020"), QString("20 10 "));
        QCOMPARE(cdate(""), QString());
    }

    void asciiBothWays() {
        QCOMPARE(GetAscii("ABC"), QString("414243"));
        QCOMPARE(Getchr("414243"), QByteArray("ABC"));
        QCOMPARE(Getchr("41424"), QByteArray("AB"));
        QCOMPARE(GetAscii(QByteArray("\xc4\xe3", 2)), QString("C4E3"));
    }

    void midNeverReadsPastTheText() {
        QCOMPARE(hex::mid("AA0002", 5, 2), QString("02"));
        QCOMPARE(hex::mid("AA0002", 6, 4), QString("2"));
        QCOMPARE(hex::mid("AA0002", 9, 2), QString());
        QCOMPARE(hex::mid("", 7, 2), QString());
        QCOMPARE(hex::mid("AA0002", 0, 2), QString("AA"));
    }

    void strToIntIsStrict_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "100" << true << 100;
        QTest::newRow("negative") << "-1" << true << -1;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("hex") << "$1F" << true << 31;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("too large") << "2147483648" << false << 0;
        QTest::newRow("huge") << "99999999999999999999" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("dollar only") << "$" << false << 0;
        QTest::newRow("blank") << " 1" << false << 0;
        QTest::newRow("letters") << "12a" << false << 0;
        QTest::newRow("full-width digits") << QString::fromUtf8("１２") << false << 0;
    }
    void strToIntIsStrict() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        if (ok) {
            QCOMPARE(strToInt(text), value);
            return;
        }
        try {
            strToInt(text);
            QFAIL("no conversion error");
        } catch (const ConversionError& error) {
            QCOMPARE(error.message(), QString("'%1' is not a valid integer value").arg(text));
        }
    }

    // Command-line values, profile entries and GS1 fields are read by value.
    void plainDecimalReadsByValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<quint64>("value");
        QTest::newRow("zero") << "0" << true << quint64(0);
        QTest::newRow("leading zeros") << "000" << true << quint64(0);
        QTest::newRow("padded") << "0000000000000000000000127" << true << quint64(127);
        QTest::newRow("the largest") << "1000" << true << quint64(1000);
        QTest::newRow("above the largest") << "1001" << false << quint64(0);
        QTest::newRow("sign") << "+1" << false << quint64(0);
        QTest::newRow("hex") << "$10" << false << quint64(0);
        QTest::newRow("blank") << "1 " << false << quint64(0);
        QTest::newRow("escape") << "%3885" << false << quint64(0);
        QTest::newRow("empty") << "" << false << quint64(0);
        QTest::newRow("full-width digits") << QString::fromUtf8("１２") << false << quint64(0);
    }
    void plainDecimalReadsByValue() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(quint64, value);
        quint64 read = 99;
        QCOMPARE(plainDecimal(text, 1000, &read), ok);
        QCOMPARE(read, ok ? value : quint64(99));
        QVERIFY(plainDecimal("18446744073709551615", ~quint64(0), &read));
        QVERIFY(!plainDecimal("18446744073709551616", ~quint64(0), &read));
    }

    // A field a spreadsheet would run as a formula gets a ' first.
    void csvLineDefusesFormulas() {
        const std::pair<QString, QString> cases[] = {
            {"=1+2", "'=1+2,x\n"},
            {"+1", "'+1,x\n"},
            {"-2+3", "'-2+3,x\n"},
            {"@SUM(A1)", "'@SUM(A1),x\n"},
            {"a=b", "a=b,x\n"},
            {"a, b", "\"a, b\",x\n"},
            {"\"a\"", "\"\"\"a\"\"\",x\n"},
            {"=A1,B1", "\"'=A1,B1\",x\n"},
        };
        for (const auto& [field, line] : cases)
            QCOMPARE(csvLine({field, "x"}), line);
    }

    // A WiFi join shows its password bytes and XOR as **, whatever shows it.
    void shownFrameMasksTheWifiPassword() {
        const std::pair<QString, QString> frames[] = {
            {"aa00068a41422c3132a0bb", "aa 00 06 8a 41 42 2c ** ** ** bb"}, // a join
            {"AA 00 03 8A 2C 31 0F BB", "AA 00 03 8A 2C ** ** BB"},         // no name
            {"AA0003 8A 31 32 99 BB", "AA 00 03 8A ** ** ** BB"},           // no comma
            {"AA00038B2C31BB", "AA 00 03 8B 2C 31 BB"},                     // another command
        };
        for (const auto& [frame, shown] : frames)
            QCOMPARE(shownFrameBytes(frame).join(' '), shown);
    }
};

QTEST_GUILESS_MAIN(HexTextTest)
#include "hex_text_test.moc"
