#include "sim_exchange.h"

using Model = sim::SimulatedReader::Model;

// The Type B card of a fresh reader has the PUPI 41 30 0A 10, its ATQB is
// 50 41 30 0A 10 00 00 00 00 00 71 71.
class TypeBFamilyTest : public QObject {
    Q_OBJECT

  private slots:
    void answers_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("request: ATQB length, then ATQB")
            << QStringList{"09 -> 00 0C 50 41 30 0A 10 00 00 00 00 00 71 71"};
        QTest::newRow("ATTRIB with the card's identifier") << QStringList{"0B 41 30 0A 10 -> 00"};
        QTest::newRow("ATTRIB with another identifier") << QStringList{"0B 41 30 0A 11 -> 01 83"};
        QTest::newRow("reset gives the identifier") << QStringList{"0C -> 00 41 30 0A 10"};
        QTest::newRow("REQB passed to the card")
            << QStringList{"0D 03 05 00 00 -> 00 50 41 30 0A 10 00 00 00 00 00 71 71"};
        QTest::newRow("a command before ATTRIB gets no answer")
            << QStringList{"0D 05 00 84 00 00 08 -> 01 82"};
        QTest::newRow("active card answers commands") << QStringList{
            "0B 41 30 0A 10 -> 00", "0D 05 00 84 00 00 08 -> 00 3B 76 B1 EC 27 62 9D D8 90 00",
            "0D 05 00 84 00 00 08 -> 00 13 4E 89 C4 FF 3A 75 B0 90 00", "0D 02 00 B0 -> 00 6D 00"};
        QTest::newRow("request and reset end the activation") << QStringList{
            "0B 41 30 0A 10 -> 00", "09 -> 00 0C 50 41 30 0A 10 00 00 00 00 00 71 71",
            "0D 02 00 B0 -> 01 82", "0B 41 30 0A 10 -> 00",
            "0C -> 00 41 30 0A 10", "0D 02 00 B0 -> 01 82"};
        QTest::newRow("identity card number") << QStringList{"26 -> 00 08 28 02 19 33 51 0C 5A 90"};
        QTest::newRow("identity file identifier")
            << QStringList{"27 -> 00 08 00 00 00 00 03 8E 15 A7"};
        QTest::newRow("malformed requests") << QStringList{
            "09 00 -> 01 85",          "0B 41 30 0A -> 01 85", "0C 00 -> 01 85",
            "0D 00 -> 01 85",          "0D -> 01 85",          "0D 02 05 00 00 -> 01 85",
            "0D 04 05 00 00 -> 01 85", "26 00 -> 01 85",       "27 01 -> 01 85"};
    }
    void answers() {
        QFETCH(QStringList, steps);
        sim::SimulatedReader reader(Model::Hf);
        runSteps(reader, steps);
    }

    void noCardsInTheField() {
        sim::SimulatedReader reader(Model::Hf);
        reader.typeBCard().present = false;
        reader.identityCard().present = false;
        runSteps(reader, {"09 -> 01 83", "0B 41 30 0A 10 -> 01 83", "0C -> 01 83",
                          "0D 03 05 00 00 -> 01 83", "26 -> 01 83", "27 -> 01 83"});
    }
};

QTEST_MAIN(TypeBFamilyTest)
#include "type_b_family_test.moc"
