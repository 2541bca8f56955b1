#include "sim_exchange.h"

using Model = sim::SimulatedReader::Model;

// The card of a fresh reader: UID 04 6F 2A B1 3C 52 80, check bytes C9 and 5F.
class UltralightFamilyTest : public QObject {
    Q_OBJECT

  private slots:
    void answers_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("serial number") << QStringList{"E3 00 -> 00 04 6F 2A B1 3C 52 80"};
        QTest::newRow("read page 0: UID pages, lock page, OTP page, then the UID")
            << QStringList{"E0 00 00 -> 00 04 6F 2A C9 B1 3C 52 80 5F 00 00 00 00 00 00 00 "
                           "04 6F 2A B1 3C 52 80"};
        QTest::newRow("read wraps past page 15")
            << QStringList{"E1 00 01 0F 01 02 03 04 -> 00 04 6F 2A B1 3C 52 80",
                           "E0 00 0E -> 00 00 00 00 00 01 02 03 04 04 6F 2A C9 B1 3C 52 80 "
                           "04 6F 2A B1 3C 52 80"};
        QTest::newRow("write a page, read it back")
            << QStringList{"E1 01 01 04 11 22 33 44 -> 00 04 6F 2A B1 3C 52 80",
                           "E0 01 04 -> 00 11 22 33 44 00 00 00 00 00 00 00 00 00 00 00 00 "
                           "04 6F 2A B1 3C 52 80"};
        QTest::newRow("UID pages are read-only")
            << QStringList{"E1 00 01 00 11 22 33 44 -> 01 94", "E1 00 01 01 11 22 33 44 -> 01 94",
                           "E3 00 -> 00 04 6F 2A B1 3C 52 80"};
        QTest::newRow("lock bit of page 4 refuses writes there only")
            << QStringList{"E1 00 01 02 FF FF 10 00 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 04 11 22 33 44 -> 01 94",
                           "E1 00 01 05 11 22 33 44 -> 00 04 6F 2A B1 3C 52 80",
                           // bytes 0-1 of the lock page are fixed
                           "E0 00 02 -> 00 5F 00 10 00 00 00 00 00 00 00 00 00 11 22 33 44 "
                           "04 6F 2A B1 3C 52 80"};
        QTest::newRow("lock bit of page 15, byte 3 bit 7")
            << QStringList{"E1 00 01 02 00 00 00 80 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 0F 11 22 33 44 -> 01 94",
                           "E1 00 01 0E 11 22 33 44 -> 00 04 6F 2A B1 3C 52 80"};
        QTest::newRow("lock bits are set for good")
            << QStringList{"E1 00 01 02 00 00 10 00 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 02 00 00 00 00 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 04 11 22 33 44 -> 01 94"};
        QTest::newRow("block-locking bit freezes the lock bits of pages 4-9")
            << QStringList{"E1 00 01 02 00 00 02 00 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 02 00 00 F0 03 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 04 11 22 33 44 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 09 11 22 33 44 -> 00 04 6F 2A B1 3C 52 80"};
        QTest::newRow("OTP page keeps its bits; its lock bit refuses writes")
            << QStringList{"E1 00 01 03 0F 00 00 01 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 03 F0 00 00 00 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 02 00 00 08 00 -> 00 04 6F 2A B1 3C 52 80",
                           "E1 00 01 03 00 FF 00 00 -> 01 94",
                           "E0 00 03 -> 00 FF 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 "
                           "04 6F 2A B1 3C 52 80"};
        QTest::newRow("a halted card answers only a request for all cards")
            << QStringList{"06 -> 00",
                           "E3 00 -> 01 83",
                           "E0 00 04 -> 01 83",
                           "06 -> 01 83",
                           "E3 01 -> 00 04 6F 2A B1 3C 52 80",
                           "E3 00 -> 00 04 6F 2A B1 3C 52 80"};
        QTest::newRow("malformed requests") << QStringList{"E3 -> 01 85",
                                                           "E3 02 -> 01 85",
                                                           "E0 00 10 -> 01 85",
                                                           "E1 00 01 04 11 22 -> 01 85",
                                                           "E1 00 01 04 11 22 33 44 55 -> 01 85",
                                                           "E1 00 02 04 11 22 33 44 -> 01 85",
                                                           "06 00 -> 01 85"};
    }
    void answers() {
        QFETCH(QStringList, steps);
        sim::SimulatedReader reader(Model::Hf);
        runSteps(reader, steps);
    }

    void noCardInTheField() {
        sim::SimulatedReader reader(Model::Hf);
        reader.ultralightCard().present = false;
        runSteps(reader, {"E3 01 -> 01 83", "E0 01 04 -> 01 83", "E1 01 01 04 00 00 00 00 -> 01 83",
                          "06 -> 01 83"});
    }

    void issuedCardGetsItsCheckBytes() {
        sim::SimulatedReader reader(Model::Hf);
        reader.ultralightCard().issue({0x04, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
        // 88 ^ 04 ^ 11 ^ 22 = BF, 33 ^ 44 ^ 55 ^ 66 = 44
        runSteps(reader, {"E0 00 00 -> 00 04 11 22 BF 33 44 55 66 44 00 00 00 00 00 00 00 "
                          "04 11 22 33 44 55 66"});
    }
};

QTEST_MAIN(UltralightFamilyTest)
#include "ultralight_family_test.moc"
