#include "sim_exchange.h"

#include <QTest>

using sim::ReadMode;
using sim::SimulatedReader;
using sim::UhfMachineSettings;

// Each case: the command, the reply, and the setting it leaves as read from
// the machine's state (or the default when the command is refused).
using Setting = std::function<int(const UhfMachineSettings&)>;
Q_DECLARE_METATYPE(Setting)

class UhfMachineFamilyTest : public QObject {
    Q_OBJECT

  private slots:
    void byteSettings_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<Setting>("setting");
        QTest::addColumn<int>("expected");

        const Setting interval = [](const UhfMachineSettings& s) { return s.searchInterval; };
        const Setting filter = [](const UhfMachineSettings& s) { return s.filterCount; };
        const Setting wait = [](const UhfMachineSettings& s) { return s.readWait; };
        const Setting baud = [](const UhfMachineSettings& s) { return s.baudCode; };
        const Setting terminator = [](const UhfMachineSettings& s) { return s.terminator; };
        const Setting power = [](const UhfMachineSettings& s) { return s.rfPower; };
        const Setting format = [](const UhfMachineSettings& s) { return s.wiegandFormat; };
        const Setting position = [](const UhfMachineSettings& s) { return s.wiegandPosition; };
        const Setting low = [](const UhfMachineSettings& s) { return s.wiegandLowPulse; };
        const Setting idle = [](const UhfMachineSettings& s) { return s.wiegandIdleWidth; };

        QTest::newRow("C1 interval") << QByteArray("C1 19") << QByteArray("00") << interval << 0x19;
        QTest::newRow("C1 interval FF")
            << QByteArray("C1 FF") << QByteArray("00") << interval << 0xFF;
        QTest::newRow("C1 without value")
            << QByteArray("C1") << QByteArray("01 85") << interval << 10;
        QTest::newRow("C1 two bytes")
            << QByteArray("C1 01 02") << QByteArray("01 85") << interval << 10;
        QTest::newRow("C2 filter 0") << QByteArray("C2 00") << QByteArray("00") << filter << 0;
        QTest::newRow("BD read wait") << QByteArray("BD 3C") << QByteArray("00") << wait << 0x3C;
        QTest::newRow("C4 115200") << QByteArray("C4 04") << QByteArray("00") << baud << 4;
        QTest::newRow("C4 unknown rate") << QByteArray("C4 05") << QByteArray("01 10") << baud << 0;
        QTest::newRow("C4 no rate") << QByteArray("C4") << QByteArray("01 85") << baud << 0;
        QTest::newRow("C5 none") << QByteArray("C5 00") << QByteArray("00") << terminator << 0;
        QTest::newRow("C5 03") << QByteArray("C5 03") << QByteArray("01 10") << terminator << 2;
        QTest::newRow("CC 09") << QByteArray("CC 09") << QByteArray("00") << power << 9;
        QTest::newRow("CC 0A") << QByteArray("CC 0A") << QByteArray("01 10") << power << 2;
        QTest::newRow("C6 WG98") << QByteArray("C6 03") << QByteArray("00") << format << 3;
        QTest::newRow("C6 04") << QByteArray("C6 04") << QByteArray("01 10") << format << 0;
        QTest::newRow("C9 last byte") << QByteArray("C9 0B") << QByteArray("00") << position << 11;
        QTest::newRow("C9 past the number")
            << QByteArray("C9 0C") << QByteArray("01 10") << position << 9;
        QTest::newRow("C7 25") << QByteArray("C7 25") << QByteArray("00") << low << 0x25;
        QTest::newRow("C7 00") << QByteArray("C7 00") << QByteArray("01 85") << low << 0x0A;
        QTest::newRow("C8 FF") << QByteArray("C8 FF") << QByteArray("00") << idle << 0xFF;
    }
    void byteSettings() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(Setting, setting);
        QFETCH(int, expected);
        SimulatedReader reader;
        QCOMPARE(ask(reader, command), reply);
        QCOMPARE(setting(reader.uhfMachine()), expected);
    }

    void outputInterfaces() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "C3 00 01 00"), QByteArray("00"));
        const UhfMachineSettings& s = reader.uhfMachine();
        QVERIFY(!s.serialOutput && s.wiegandOutput && !s.usbOutput);
        QCOMPARE(ask(reader, "C3 01 01"), QByteArray("01 85"));
        QCOMPARE(ask(reader, "C3 01 02 01"), QByteArray("01 85"));
        QVERIFY(!s.serialOutput && s.wiegandOutput && !s.usbOutput);
    }

    void prefixAndSuffix() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "CB 01 30 31 32 33"), QByteArray("00"));
        QCOMPARE(ask(reader, "CB 02 31 32"), QByteArray("00"));
        QCOMPARE(reader.uhfMachine().prefix, bytes("30 31 32 33"));
        QCOMPARE(reader.uhfMachine().suffix, bytes("31 32"));
        // Five bytes do not fit; the prefix stays as it was.
        QCOMPARE(ask(reader, "CB 01 30 31 32 33 34"), QByteArray("01 10"));
        QCOMPARE(reader.uhfMachine().prefix, bytes("30 31 32 33"));
        QCOMPARE(ask(reader, "CB 03 30"), QByteArray("01 85"));
        QCOMPARE(ask(reader, "CB"), QByteArray("01 85"));
        // No bytes clear it.
        QCOMPARE(ask(reader, "CB 02"), QByteArray("00"));
        QVERIFY(reader.uhfMachine().suffix.empty());
    }

    void readModes() {
        SimulatedReader reader;
        QCOMPARE(reader.uhfMachine().readMode, ReadMode::SingleEpc);
        const struct {
            const char* command;
            ReadMode mode;
        } modes[] = {{"0F 02", ReadMode::Passive},
                     {"0F 03", ReadMode::MultipleEpc},
                     {"0F 04", ReadMode::Tid},
                     {"0F 01", ReadMode::SingleEpc}};
        for (const auto& mode : modes) {
            QCOMPARE(ask(reader, mode.command), QByteArray("00"));
            QCOMPARE(reader.uhfMachine().readMode, mode.mode);
        }
        for (const char* refused : {"0F 00", "0F 05", "0F", "0F 01 01"}) {
            QCOMPARE(ask(reader, refused), QByteArray("01 85"));
            QCOMPARE(reader.uhfMachine().readMode, ReadMode::SingleEpc);
        }
    }

    void memoryAreaMode() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "BC 01 11 22 33 44 02 06"), QByteArray("00"));
        const UhfMachineSettings& s = reader.uhfMachine();
        QCOMPARE(s.readMode, ReadMode::MemoryArea);
        QCOMPARE(s.areaBank, 1);
        QCOMPARE(s.areaPassword, (std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
        QCOMPARE(s.areaAddress, 2);
        QCOMPARE(s.areaLength, 6);
        for (const char* refused :
             {"BC 04 00 00 00 00 00 08", "BC 03 00 00 00 00 00 00", "BC 03 00 00 00 00 00"}) {
            QCOMPARE(ask(reader, refused), QByteArray("01 85"));
            QCOMPARE(s.areaBank, 1);
        }
    }

    void relay() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "87 01"), QByteArray("00"));
        QVERIFY(reader.uhfMachine().relayOn);
        QCOMPARE(ask(reader, "87 02"), QByteArray("01 85"));
        QVERIFY(reader.uhfMachine().relayOn);
        QCOMPARE(ask(reader, "87 00"), QByteArray("00"));
        QVERIFY(!reader.uhfMachine().relayOn);
    }

    void switchToVirtualSerialPort() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "B8 01"), QByteArray("01 85"));
        QVERIFY(!reader.uhfMachine().usbVirtualSerial);
        QCOMPARE(ask(reader, "B8"), QByteArray("00"));
        QVERIFY(reader.uhfMachine().usbVirtualSerial);
    }
};

QTEST_MAIN(UhfMachineFamilyTest)
#include "uhf_machine_family_test.moc"
