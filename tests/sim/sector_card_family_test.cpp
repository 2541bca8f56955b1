#include "sim/families/sector_card_family.h"
#include "sim/hf_frame.h"
#include "sim/simulated_reader.h"
#include "sim_bytes.h"

#include <QTest>

namespace {

const char* const kFF = "FF FF FF FF FF FF";
const QByteArray kDefaultUid("A1 B2 C3 D4");

// One exchange with the HF card reader at address 00: the reply payload, status first.
QByteArray exchange(sim::SimulatedReader& reader, const QByteArray& payload) {
    const sim::Bytes reply = reader.exchange(sim::HfFrame::build(0x00, bytes(payload)));
    return hex(sim::HfFrame::parse(reply).payload);
}

QByteArray zeros(int count) {
    return QByteArray::fromHex(QByteArray(count * 2, '0')).toHex(' ').toUpper();
}

sim::SectorCard::Uid uid(std::uint8_t last) {
    return {0x11, 0x22, 0x33, last};
}

} // namespace

class SectorCardFamilyTest : public QObject {
    Q_OBJECT

  private slots:
    void readsFreshCard_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        // Block 0: card number, check byte, SAK 08, ATQA 04 00.
        QTest::newRow("block 0") << QByteArray("20 00 01 00 ") + kFF
                                 << "00 " + kDefaultUid + " " + kDefaultUid + " 04 08 04 00 " +
                                        zeros(8);
        // Key A never reads back; access bytes FF 07 80, user byte 69, key B readable.
        QTest::newRow("sector 4 with its trailer, key B, all cards")
            << QByteArray("20 03 04 10 ") + kFF
            << "00 " + kDefaultUid + " " + zeros(48) + " " + zeros(6) +
                   " FF 07 80 69 FF FF FF FF FF FF";
    }
    void readsFreshCard() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        QCOMPARE(exchange(reader, command), reply);
    }

    void refusals_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("wrong key")
            << QByteArray("20 00 01 10 A0 A1 A2 A3 A4 A5") << QByteArray("01 8C");
        QTest::newRow("wrong key B on write")
            << QByteArray("21 02 01 10 B0 B1 B2 B3 B4 B5 ") + zeros(16) << QByteArray("01 8C");
        QTest::newRow("wrong key on the second sector of a read")
            << QByteArray("20 00 02 0F A0 A1 A2 A3 A4 A5") << QByteArray("01 8C");
        QTest::newRow("no blocks") << QByteArray("20 00 00 10 ") + kFF << QByteArray("01 10");
        QTest::newRow("five blocks") << QByteArray("20 00 05 10 ") + kFF << QByteArray("01 10");
        QTest::newRow("past the end of an S50")
            << QByteArray("20 00 02 3F ") + kFF << QByteArray("01 93");
        QTest::newRow("short key") << QByteArray("20 00 01 10 FF FF") << QByteArray("01 85");
        QTest::newRow("mode 04") << QByteArray("20 04 01 10 ") + kFF << QByteArray("01 85");
        QTest::newRow("write without data")
            << QByteArray("21 00 01 10 ") + kFF << QByteArray("01 85");
        QTest::newRow("write of block 0")
            << QByteArray("21 00 01 00 ") + kFF + " " + zeros(16) << QByteArray("01 01");
        QTest::newRow("sector 16 of an S50")
            << QByteArray("22 00 10 ") + kFF + " 00 88 00 00" << QByteArray("01 93");
        QTest::newRow("increment of a block that holds no value")
            << QByteArray("24 00 01 ") + kFF + " 00 20 00 00" << QByteArray("01 8A");
        QTest::newRow("request code 27") << QByteArray("25 27 00") << QByteArray("01 85");
        QTest::newRow("halt flag 02") << QByteArray("25 26 02") << QByteArray("01 85");
    }
    void refusals() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        QCOMPARE(exchange(reader, command), reply);
    }

    void noCardInField_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("read") << QByteArray("20 00 01 10 ") + kFF;
        QTest::newRow("write") << QByteArray("21 00 01 10 ") + kFF + " " + zeros(16);
        QTest::newRow("value") << QByteArray("22 00 01 ") + kFF + " 00 88 00 00";
        QTest::newRow("request") << QByteArray("25 52 00");
    }
    void noCardInField() {
        QFETCH(QByteArray, command);
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        reader.sectorCards().clear();
        QCOMPARE(exchange(reader, command), QByteArray("01 83"));
    }

    void writesAndReadsBack() {
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        const QByteArray data("00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 01 02 03 04 05 06 "
                              "07 08 09 0A 0B 0C 0D 0E 0F 10");
        QCOMPARE(exchange(reader, "21 00 02 21 " + QByteArray(kFF) + " " + data),
                 "00 " + kDefaultUid);
        QCOMPARE(exchange(reader, "20 00 02 21 " + QByteArray(kFF)),
                 "00 " + kDefaultUid + " " + data);
    }

    // A new trailer changes the keys: the old one is refused, the new one opens the sector.
    void trailerWriteChangesKeys() {
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        QCOMPARE(exchange(reader, "21 00 01 07 " + QByteArray(kFF) +
                                      " A0 A1 A2 A3 A4 A5 FF 07 80 69 B0 B1 B2 B3 B4 B5"),
                 "00 " + kDefaultUid);
        QCOMPARE(exchange(reader, "20 00 01 04 " + QByteArray(kFF)), QByteArray("01 8C"));
        QCOMPARE(exchange(reader, "20 00 01 04 A0 A1 A2 A3 A4 A5"),
                 "00 " + kDefaultUid + " " + zeros(16));
        QCOMPARE(exchange(reader, "20 02 01 04 B0 B1 B2 B3 B4 B5"),
                 "00 " + kDefaultUid + " " + zeros(16));
        QCOMPARE(exchange(reader, "20 02 01 04 A0 A1 A2 A3 A4 A5"), QByteArray("01 8C"));
        QCOMPARE(exchange(reader, "20 00 01 08 " + QByteArray(kFF)),
                 "00 " + kDefaultUid + " " + zeros(16));
    }

    // Values are kept lowest byte first, as the card stores them, in the sector's second block.
    void valueRoundTrip() {
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        const QByteArray key(kFF);
        QCOMPARE(exchange(reader, "22 00 01 " + key + " 00 88 00 00"), "00 " + kDefaultUid);
        QCOMPARE(exchange(reader, "24 00 01 " + key + " 00 20 00 00"),
                 "00 " + kDefaultUid + " 00 A8 00 00");
        QCOMPARE(exchange(reader, "23 03 01 " + key + " 00 20 00 00"),
                 "00 " + kDefaultUid + " 00 88 00 00");
        QCOMPARE(exchange(reader, "23 00 01 " + key + " 01 88 00 00"),
                 "00 " + kDefaultUid + " FF FF FF FF");
        QCOMPARE(exchange(reader, "20 00 01 05 " + key),
                 "00 " + kDefaultUid + " FF FF FF FF 00 00 00 00 FF FF FF FF 05 FA 05 FA");
    }

    void valueOverflowIsRefused() {
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        const QByteArray key(kFF);
        QCOMPARE(exchange(reader, "22 00 02 " + key + " FF FF FF 7F"), "00 " + kDefaultUid);
        QCOMPARE(exchange(reader, "24 00 02 " + key + " 01 00 00 00"), QByteArray("01 10"));
        QCOMPARE(exchange(reader, "20 00 01 09 " + key),
                 "00 " + kDefaultUid + " FF FF FF 7F 00 00 00 80 FF FF FF 7F 09 F6 09 F6");
    }

    void s70HasLargeSectors() {
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        reader.sectorCards().clear();
        reader.sectorCards().add(sim::SectorCard(sim::SectorCard::Type::S70, uid(0x70)));
        const QByteArray key(kFF);
        // Block FF is the trailer of sector 39, blocks F0 to FF.
        QCOMPARE(exchange(reader, "20 00 01 FF " + key),
                 "00 11 22 33 70 " + zeros(6) + " FF 07 80 69 FF FF FF FF FF FF");
        QCOMPARE(exchange(reader, "22 00 27 " + key + " 05 00 00 00"),
                 QByteArray("00 11 22 33 70"));
        QCOMPARE(exchange(reader, "20 00 01 F1 " + key),
                 "00 11 22 33 70 05 00 00 00 FA FF FF FF 05 00 00 00 F1 0E F1 0E");
        QCOMPARE(exchange(reader, "22 00 28 " + key + " 05 00 00 00"), QByteArray("01 93"));
    }

    // Request 26 wakes idle cards only, 52 halted ones too; the halt flag puts the card to sleep.
    void requestAndHalt_data() {
        QTest::addColumn<QByteArrayList>("commands");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::newRow("one card") << QByteArrayList{"25 26 00"}
                                  << QByteArrayList{"00 00 " + kDefaultUid};
        QTest::newRow("halted card sleeps through 26")
            << QByteArrayList{"25 26 01", "25 26 00", "20 00 01 04 FF FF FF FF FF FF"}
            << QByteArrayList{"00 00 " + kDefaultUid, "01 83", "01 83"};
        QTest::newRow("52 wakes a halted card")
            << QByteArrayList{"25 52 01", "25 52 00", "25 26 00"}
            << QByteArrayList{"00 00 " + kDefaultUid, "00 00 " + kDefaultUid,
                              "00 00 " + kDefaultUid};
        QTest::newRow("block command wakes with mode 01")
            << QByteArrayList{"25 26 01", "20 01 01 04 FF FF FF FF FF FF"}
            << QByteArrayList{"00 00 " + kDefaultUid, "00 " + kDefaultUid + " " + zeros(16)};
    }
    void requestAndHalt() {
        QFETCH(QByteArrayList, commands);
        QFETCH(QByteArrayList, replies);
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        for (int i = 0; i < commands.size(); ++i)
            QCOMPARE(exchange(reader, commands[i]), replies[i]);
    }

    void severalCards() {
        sim::SimulatedReader reader(sim::SimulatedReader::Model::Hf);
        reader.sectorCards().add(sim::SectorCard(sim::SectorCard::Type::S70, uid(0x02)));
        QCOMPARE(exchange(reader, "25 26 01"), "00 01 " + kDefaultUid);
        // The first card sleeps: only the second answers now.
        QCOMPARE(exchange(reader, "25 26 00"), QByteArray("00 00 11 22 33 02"));
        QCOMPARE(exchange(reader, "25 52 00"), "00 01 " + kDefaultUid);
    }

    // Halt (06) goes to the card last selected; with none selected the reader has no card.
    void haltCommand() {
        sim::SectorCardField field;
        sim::SectorCardFamily family(field);
        QCOMPARE(hex(*family.answer(0x06, {})), QByteArray("01 83"));
        QCOMPARE(hex(*family.answer(0x25, bytes("26 00"))), "00 00 " + kDefaultUid);
        QCOMPARE(hex(*family.answer(0x06, {})), QByteArray("00"));
        QVERIFY(field.halted(0));
        QCOMPARE(hex(*family.answer(0x06, {})), QByteArray("01 83"));
        QCOMPARE(hex(*family.answer(0x06, bytes("00"))), QByteArray("01 85"));
    }
};

QTEST_GUILESS_MAIN(SectorCardFamilyTest)
#include "sector_card_family_test.moc"
