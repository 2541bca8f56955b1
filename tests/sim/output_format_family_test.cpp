#include "sim_exchange.h"

#include <QTest>

using sim::OutputFormatSettings;
using sim::SimulatedReader;

class OutputFormatFamilyTest : public QObject {
    Q_OBJECT

  private slots:
    // Reply data of 83: reading mode, format code, semicolon, question mark,
    // comma, carriage return, large buzzer, RSSI, custom-byte flag.
    void readsBackWhatWasSet_data() {
        QTest::addColumn<QByteArray>("set");
        QTest::addColumn<QByteArray>("read");
        QTest::newRow("factory settings")
            << QByteArray() << QByteArray("00 01 0F 00 00 00 01 01 00 00");
        QTest::newRow("start-up page settings") << QByteArray("82 0F 00 00 00 01 01 01 00")
                                                << QByteArray("00 01 0F 00 00 00 01 01 00 00");
        QTest::newRow("every option") << QByteArray("82 0C 01 01 01 00 00 01 01")
                                      << QByteArray("00 01 0C 01 01 01 00 00 01 00");
        QTest::newRow("custom length 10") << QByteArray("82 8A 00 00 00 01 01 01 00")
                                          << QByteArray("00 01 8A 00 00 00 01 01 00 00");
        QTest::newRow("custom length 127") << QByteArray("82 FF 00 00 00 01 01 01 00")
                                           << QByteArray("00 01 FF 00 00 00 01 01 00 00");
        QTest::newRow("ASCII, the last fixed code") << QByteArray("82 10 00 00 00 01 01 01 00")
                                                    << QByteArray("00 01 10 00 00 00 01 01 00 00");
    }
    void readsBackWhatWasSet() {
        QFETCH(QByteArray, set);
        QFETCH(QByteArray, read);
        SimulatedReader reader;
        if (!set.isEmpty())
            QCOMPARE(ask(reader, set), QByteArray("00"));
        QCOMPARE(ask(reader, "83"), read);
    }

    void refusesFormatsItCannotKeep_data() {
        QTest::addColumn<QByteArray>("set");
        QTest::newRow("code 11, neither fixed nor custom")
            << QByteArray("82 11 00 00 00 01 01 01 00");
        QTest::newRow("code 7F") << QByteArray("82 7F 00 00 00 01 01 01 00");
        QTest::newRow("flag 02") << QByteArray("82 0F 02 00 00 01 01 01 00");
        QTest::newRow("RSSI flag 02") << QByteArray("82 0F 00 00 00 01 01 01 02");
        QTest::newRow("constant byte not 01") << QByteArray("82 0F 00 00 00 01 01 00 00");
        QTest::newRow("one byte short") << QByteArray("82 0F 00 00 00 01 01 01");
        QTest::newRow("one byte long") << QByteArray("82 0F 00 00 00 01 01 01 00 00");
    }
    void refusesFormatsItCannotKeep() {
        QFETCH(QByteArray, set);
        SimulatedReader reader;
        QCOMPARE(ask(reader, set), QByteArray("01 85"));
        QCOMPARE(reader.outputFormat().formatCode, 0x0F);
        QVERIFY(reader.outputFormat().carriageReturn);
    }

    void reportsTheReadingMode() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "0F 02"), QByteArray("00"));
        QCOMPARE(ask(reader, "83").left(5), QByteArray("00 02"));
    }

    void versionText() {
        SimulatedReader reader;
        reader.outputFormat().version = "V1.0";
        QCOMPARE(ask(reader, "C0"), QByteArray("00 56 31 2E 30"));
        QCOMPARE(ask(reader, "C0 00"), QByteArray("01 85"));
    }

    void buzzer() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "CD 00"), QByteArray("00"));
        QVERIFY(!reader.outputFormat().buzzerOn);
        QCOMPARE(ask(reader, "CD 01"), QByteArray("00"));
        QVERIFY(reader.outputFormat().buzzerOn);
        QCOMPARE(ask(reader, "CD 02"), QByteArray("01 85"));
        QCOMPARE(ask(reader, "CD"), QByteArray("01 85"));
        QVERIFY(reader.outputFormat().buzzerOn);
    }

    void factoryResetRestoresEverySetting() {
        SimulatedReader reader;
        reader.outputFormat().version = "V1.0";
        for (const char* command :
             {"82 8A 01 01 01 00 00 01 01", "CD 00", "0F 03", "C1 20", "CB 01 41", "87 01"})
            QCOMPARE(ask(reader, command), QByteArray("00"));
        QCOMPARE(ask(reader, "CF"), QByteArray("00"));
        const OutputFormatSettings& format = reader.outputFormat();
        QCOMPARE(format.formatCode, 0x0F);
        QVERIFY(!format.semicolon && !format.comma && format.carriageReturn && format.buzzerOn);
        QCOMPARE(format.version, std::string("V1.0"));
        QCOMPARE(reader.uhfMachine().readMode, sim::ReadMode::SingleEpc);
        QCOMPARE(reader.uhfMachine().searchInterval, 10);
        QVERIFY(reader.uhfMachine().prefix.empty());
        QVERIFY(!reader.uhfMachine().relayOn);
        QCOMPARE(ask(reader, "83"), QByteArray("00 01 0F 00 00 00 01 01 00 00"));
    }
};

QTEST_MAIN(OutputFormatFamilyTest)
#include "output_format_family_test.moc"
