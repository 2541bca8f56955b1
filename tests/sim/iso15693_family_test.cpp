#include "sim_exchange.h"

using Model = sim::SimulatedReader::Model;

// The field of a fresh reader: card A, UID E0 04 01 00 12 34 56 78 with 28
// blocks, nearest the antenna; card B, UID E0 07 00 00 0A 1B 2C 3D with 64 blocks.
namespace {
const char* const uidA = "E0 04 01 00 12 34 56 78";
const char* const uidB = "E0 07 00 00 0A 1B 2C 3D";
const char* const fourBlocksOfZero = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";

QString withB(const char* step) {
    return QString::fromLatin1(step).arg(QLatin1String(uidB));
}
} // namespace

class Iso15693FamilyTest : public QObject {
    Q_OBJECT

  private slots:
    void answers_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("inventory: both cards, UIDs least significant byte first")
            << QStringList{"10 06 00 00 -> 00 02 00 00 78 56 34 12 00 01 04 E0 "
                           "00 00 3D 2C 1B 0A 00 00 07 E0"};
        QTest::newRow("inventory by AFI") << QStringList{
            withB("17 22 07 %1 -> 00"), "10 16 07 00 -> 00 01 00 00 3D 2C 1B 0A 00 00 07 E0",
            "10 16 09 00 -> 01 83"};
        QTest::newRow("inventory shows the DSFID")
            << QStringList{"19 02 08 -> 00", "10 06 00 00 -> 00 02 00 08 78 56 34 12 00 01 04 E0 "
                                             "00 00 3D 2C 1B 0A 00 00 07 E0"};
        QTest::newRow("write, read back; the option flag adds the security status")
            << QStringList{"12 42 05 01 11 22 33 44 -> 00", "11 02 05 01 -> 00 00 11 22 33 44",
                           "11 42 04 02 -> 00 00 00 00 00 00 00 00 11 22 33 44"};
        QTest::newRow("several blocks in one write")
            << QStringList{"12 02 00 02 01 02 03 04 05 06 07 08 -> 00",
                           "11 02 00 03 -> 00 00 01 02 03 04 05 06 07 08 00 00 00 00"};
        QTest::newRow("addressed write reaches only that card") << QStringList{
            withB("12 22 05 01 %1 AA BB CC DD -> 00"), withB("11 22 05 01 %1 -> 00 00 AA BB CC DD"),
            "11 02 05 01 -> 00 00 00 00 00 00"};
        QTest::newRow("a locked block refuses writes; a write over it writes nothing")
            << QStringList{"13 02 05 -> 00",
                           "12 02 05 01 11 22 33 44 -> 01 94",
                           "12 02 04 02 01 02 03 04 05 06 07 08 -> 01 94",
                           "11 02 04 02 -> 00 00 00 00 00 00 00 00 00 00",
                           "11 42 05 01 -> 00 00 01 00 00 00 00",
                           "13 02 05 -> 01 94",
                           "1C 02 04 03 -> 00 00 00 01 00"};
        QTest::newRow("blocks that do not exist")
            << QStringList{"11 02 1B 02 -> 01 93",
                           "11 02 00 00 -> 01 85",
                           "12 02 1C 01 00 00 00 00 -> 01 93",
                           "13 02 1C -> 01 93",
                           "1C 02 1B 02 -> 01 93",
                           withB("11 22 3F 01 %1 -> 00 00 00 00 00 00")};
        QTest::newRow("select, then requests with the select flag")
            << QStringList{"11 12 00 01 -> 01 83",
                           withB("15 02 %1 -> 00"),
                           withB("12 22 00 01 %1 01 02 03 04 -> 00"),
                           "11 12 00 01 -> 00 00 01 02 03 04",
                           "11 52 00 01 -> 00 00 00 01 02 03 04",
                           "15 22 E0 00 00 00 00 00 00 00 -> 01 83",
                           "15 02 E0 07 -> 01 85"};
        QTest::newRow("AFI: write, lock, refused")
            << QStringList{"17 02 06 -> 00", "18 02 -> 00", "17 02 07 -> 01 94", "18 02 -> 01 94",
                           "1B 02 -> 00 00 0F 78 56 34 12 00 01 04 E0 00 06 1B 03 01"};
        QTest::newRow("DSFID: write, lock, refused")
            << QStringList{"19 02 08 -> 00", "1A 02 -> 00", "19 02 09 -> 01 94", "1A 02 -> 01 94",
                           "1B 02 -> 00 00 0F 78 56 34 12 00 01 04 E0 08 00 1B 03 01"};
        QTest::newRow("system information of the addressed card")
            << QStringList{withB("1B 22 %1 -> 00 00 0F 3D 2C 1B 0A 00 00 07 E0 00 00 3F 03 02")};
        QTest::newRow("addressing faults")
            << QStringList{"11 22 00 01 E0 04 01 00 00 00 00 01 -> 01 83",
                           "11 22 00 01 E0 04 01 -> 01 85",
                           withB("11 32 00 01 %1 -> 01 85"),
                           "11 01 05 -> 01 85",
                           "1B 02 00 -> 01 85",
                           "12 02 05 01 11 22 -> 01 85",
                           "10 02 00 00 -> 01 85",
                           "10 06 00 08 -> 01 85"};
        QTest::newRow("a reply too long for the program is refused")
            << QStringList{withB("11 22 00 40 %1 -> 01 10")};
    }
    void answers() {
        QFETCH(QStringList, steps);
        sim::SimulatedReader reader(Model::Hf);
        runSteps(reader, steps);
    }

    void emptyField() {
        sim::SimulatedReader reader(Model::Hf);
        reader.iso15693Cards().clear();
        runSteps(reader, {"10 06 00 00 -> 01 83", "11 02 00 01 -> 01 83", "1B 02 -> 01 83",
                          QString("15 02 %1 -> 01 83").arg(uidA)});
    }

    void cardsComeAndGo() {
        sim::SimulatedReader reader(Model::Hf);
        auto& field = reader.iso15693Cards();
        field.erase(field.begin());
        field.push_back(sim::Iso15693Card({1, 2, 3, 4, 5, 6, 7, 8}, 8, 0x00));
        runSteps(reader, {"10 06 00 00 -> 00 02 00 00 3D 2C 1B 0A 00 00 07 E0 "
                          "00 00 08 07 06 05 04 03 02 01",
                          QString("11 02 00 04 -> 00 00 %1").arg(fourBlocksOfZero)});
    }
};

QTEST_MAIN(Iso15693FamilyTest)
#include "iso15693_family_test.moc"
