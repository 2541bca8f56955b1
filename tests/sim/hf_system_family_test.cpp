#include "sim/hf_frame.h"
#include "sim/simulated_reader.h"
#include "sim_bytes.h"

#include <QTest>

namespace {

// One exchange with an HF card reader at address 00: the reply payload, status first.
QByteArray exchange(sim::SimulatedReader& reader, const char* payload) {
    const sim::Bytes reply = reader.exchange(sim::HfFrame::build(0x00, bytes(payload)));
    return hex(sim::HfFrame::parse(reply).payload);
}

} // namespace

class HfSystemFamilyTest : public QObject {
    Q_OBJECT

  private slots:
    void readsAddressAndSerialNumber() {
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        QCOMPARE(exchange(reader, "83"), QByteArray("00 00 20 26 05 18 00 00 01 36"));
    }

    // A setting the reader took shows in the next read; one it refused changes nothing.
    void settings_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("readBack");
        const QByteArray unchanged("00 00 20 26 05 18 00 00 01 36");
        QTest::newRow("address") << QByteArray("80 12") << QByteArray("00")
                                 << QByteArray("00 12 20 26 05 18 00 00 01 36");
        QTest::newRow("address missing") << QByteArray("80") << QByteArray("01 85") << unchanged;
        QTest::newRow("two addresses")
            << QByteArray("80 12 34") << QByteArray("01 85") << unchanged;
        QTest::newRow("serial number")
            << QByteArray("82 01 02 03 04 05 06 07 08") << QByteArray("00")
            << QByteArray("00 00 01 02 03 04 05 06 07 08");
        QTest::newRow("serial number of 7 bytes")
            << QByteArray("82 01 02 03 04 05 06 07") << QByteArray("01 85") << unchanged;
        QTest::newRow("serial number missing")
            << QByteArray("82") << QByteArray("01 85") << unchanged;
    }
    void settings() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, readBack);
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        QCOMPARE(exchange(reader, command), reply);
        QCOMPARE(exchange(reader, "83"), readBack);
    }

    void baudRate_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("code");
        QTest::newRow("115200") << QByteArray("81 04") << QByteArray("00") << 4;
        QTest::newRow("19200") << QByteArray("81 01") << QByteArray("00") << 1;
        QTest::newRow("code past the table") << QByteArray("81 05") << QByteArray("01 10") << 0;
        QTest::newRow("no code (4800 typed)") << QByteArray("81") << QByteArray("01 85") << 0;
    }
    void baudRate() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(int, code);
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        QCOMPARE(exchange(reader, command), reply);
        QCOMPARE(int(reader.hfReader().baudRate), code);
    }

    void signallingOutputs_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("which"); // 0 LED, 1 LED-R, 2 buzzer
        QTest::newRow("LED") << QByteArray("88 16 03") << QByteArray("00") << 0;
        QTest::newRow("LED-R") << QByteArray("87 16 03") << QByteArray("00") << 1;
        QTest::newRow("buzzer") << QByteArray("89 16 03") << QByteArray("00") << 2;
        QTest::newRow("buzzer without count") << QByteArray("89 16") << QByteArray("01 85") << -1;
    }
    void signallingOutputs() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(int, which);
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        QCOMPARE(exchange(reader, command), reply);
        sim::HfReaderSettings& settings = reader.hfReader();
        const sim::HfReaderSettings::Signal* driven[] = {&settings.led, &settings.ledR,
                                                         &settings.buzzer};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(driven[i]->commands, i == which ? 1 : 0);
            if (i == which) {
                QCOMPARE(int(driven[i]->period), 0x16);
                QCOMPARE(int(driven[i]->count), 0x03);
            }
        }
    }
};

QTEST_GUILESS_MAIN(HfSystemFamilyTest)
#include "hf_system_family_test.moc"
