#include "sim_exchange.h"

#include <QTest>

using sim::SimulatedReader;

class WifiFamilyTest : public QObject {
    Q_OBJECT

  private slots:
    void joinThenReadTheAddress() {
        SimulatedReader reader;
        // Before joining the module has no address.
        QCOMPARE(ask(reader, "8B"), QByteArray("01 01"));
        // "Warehouse" with the password "12345678".
        QCOMPARE(ask(reader, "8A 57 61 72 65 68 6F 75 73 65 2C 31 32 33 34 35 36 37 38"),
                 QByteArray("00"));
        QCOMPARE(reader.wifiModule().joinedName, std::string("Warehouse"));
        QCOMPARE(reader.wifiModule().password, std::string("12345678"));
        QCOMPARE(ask(reader, "8B"), QByteArray("00 31 39 32 2E 31 36 38 2E 31 2E 35 37"));
    }

    void aNetworkOutOfRangeGivesNoAddress() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "8A 41 42 2C 31 32 33 34 35 36 37 38"), QByteArray("00"));
        QCOMPARE(ask(reader, "8B"), QByteArray("01 01"));
    }

    void joinWithAChineseNameAndNoPassword() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "8A B0 EC B9 AB CA D2 57 69 46 69 2C"), QByteArray("00"));
        QCOMPARE(ask(reader, "8B").left(2), QByteArray("00"));
    }

    void refusesWhatCannotBeJoined_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("no comma") << QByteArray("8A 41 42");
        QTest::newRow("empty name") << QByteArray("8A 2C 31 32 33 34 35 36 37 38");
        QTest::newRow("password of 7") << QByteArray("8A 41 2C 31 32 33 34 35 36 37");
        QTest::newRow("name of 33 bytes")
            << QByteArray("8A 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 "
                          "41 41 41 41 41 41 41 41 41 41 41 2C");
    }
    void refusesWhatCannotBeJoined() {
        QFETCH(QByteArray, command);
        SimulatedReader reader;
        QCOMPARE(ask(reader, command), QByteArray("01 85"));
        QVERIFY(!reader.wifiModule().joined);
    }

    // The password may hold commas: the name ends at the first.
    void passwordWithAComma() {
        SimulatedReader reader;
        QCOMPARE(ask(reader, "8A 41 2C 31 2C 33 34 35 36 37 38"), QByteArray("00"));
        QCOMPARE(reader.wifiModule().joinedName, std::string("A"));
        QCOMPARE(reader.wifiModule().password, std::string("1,345678"));
    }

    void listsTheNetworksInRange() {
        SimulatedReader reader;
        reader.wifiModule().visible = {{"Net1", "-40"}, {"\xD6\xD0", "-70"}};
        QCOMPARE(ask(reader, "8C"),
                 QByteArray("00 4E 65 74 31 2C 2D 34 30 3B D6 D0 2C 2D 37 30 3B"));
        reader.wifiModule().visible.clear();
        QCOMPARE(ask(reader, "8C"), QByteArray("00"));
        QCOMPARE(ask(reader, "8C 00"), QByteArray("01 85"));
    }

    void defaultListFitsOneReply() {
        SimulatedReader reader;
        const QByteArray reply = ask(reader, "8C");
        QVERIFY(reply.startsWith("00 "));
        QCOMPARE(reply.count("3B"), qsizetype(reader.wifiModule().visible.size()));
    }
};

QTEST_MAIN(WifiFamilyTest)
#include "wifi_family_test.moc"
