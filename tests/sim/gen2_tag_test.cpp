#include "sim/gen2_tag.h"
#include "sim_bytes.h"

#include <QTest>

using sim::Gen2Tag;
using sim::MemoryBank;

namespace {

const sim::Bytes kEpc = bytes("E2 00 47 13 90 20 60 21 07 40 12 34");

QByteArray readWords(const Gen2Tag& tag, MemoryBank bank, std::size_t address, std::size_t count,
                     std::uint32_t password = 0) {
    sim::Bytes words;
    if (tag.read(bank, address, count, password, &words) != Gen2Tag::Access::Ok)
        return "refused";
    return hex(words);
}

} // namespace

class Gen2TagTest : public QObject {
    Q_OBJECT

  private slots:
    void crcOfTheAirInterface_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("crc");
        QTest::newRow("check value") << QByteArray("31 32 33 34 35 36 37 38 39") << 0xD64E;
        QTest::newRow("nothing") << QByteArray() << 0x0000;
        QTest::newRow("PC and 96-bit EPC")
            << QByteArray("30 00 E2 00 47 13 90 20 60 21 07 40 12 34") << 0x0E24;
        QTest::newRow("PC and 32-bit EPC") << QByteArray("10 00 00 00 00 01") << 0xFB4A;
    }
    void crcOfTheAirInterface() {
        QFETCH(QByteArray, data);
        QFETCH(int, crc);
        QCOMPARE(int(Gen2Tag::crc16(bytes(data.constData()))), crc);
    }

    void newTagHasConsistentEpcBank() {
        const Gen2Tag tag(kEpc, 0x0A0B0C);
        QCOMPARE(int(tag.pc()), 0x3000);
        QCOMPARE(int(tag.storedCrc()), 0x0E24);
        QCOMPARE(hex(tag.epc()), hex(kEpc));
        QCOMPARE(readWords(tag, MemoryBank::Tid, 0, 0),
                 QByteArray("E2 80 11 05 20 00 00 00 00 0A 0B 0C"));
        QCOMPARE(readWords(tag, MemoryBank::User, 0, 0).size(), 64 * 3 - 1);
        QCOMPARE(int(Gen2Tag(bytes("00 00 00 01")).pc()), 0x1000);
    }

    void epcMustBeWholeWordsThatFit() {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Gen2Tag(bytes("01 02 03")));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Gen2Tag(sim::Bytes(18, 0)));
    }

    // Writing the PC word changes how long the EPC is; the StoredCRC follows.
    void writesKeepStoredCrcRight() {
        Gen2Tag tag(kEpc);
        QCOMPARE(int(tag.write(MemoryBank::Epc, 0, bytes("FF FF 10 00 00 00 00 01"), 0)),
                 int(Gen2Tag::Access::Ok));
        QCOMPARE(hex(tag.epc()), QByteArray("00 00 00 01"));
        QCOMPARE(int(tag.storedCrc()), 0xFB4A);
        // Only the EPC words, the PC untouched.
        QCOMPARE(int(tag.write(MemoryBank::Epc, 2, bytes("12 34"), 0)), int(Gen2Tag::Access::Ok));
        QCOMPARE(hex(tag.epc()), QByteArray("12 34 00 01"));
        QCOMPARE(int(tag.storedCrc()), int(Gen2Tag::crc16(bytes("10 00 12 34 00 01"))));
        // A PC claiming more words than the bank holds gives the bank's words.
        QCOMPARE(int(tag.write(MemoryBank::Epc, 1, bytes("F8 00"), 0)), int(Gen2Tag::Access::Ok));
        QCOMPARE(tag.epc().size(), std::size_t(16));
    }

    void accessRules_data() {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("bank");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("words");
        QTest::addColumn<uint>("tagPassword");
        QTest::addColumn<uint>("password");
        QTest::addColumn<int>("access");
        using A = Gen2Tag::Access;
        const int user = int(MemoryBank::User);
        const int reserved = int(MemoryBank::Reserved);
        QTest::newRow("write, no passwords") << true << user << 0 << 1 << 0u << 0u << int(A::Ok);
        QTest::newRow("write, right password")
            << true << user << 0 << 1 << 0x1234u << 0x1234u << int(A::Ok);
        // A tag given an access password has its User bank and passwords locked.
        QTest::newRow("write, protected tag, no password")
            << true << user << 0 << 1 << 0x1234u << 0u << int(A::Locked);
        QTest::newRow("write, wrong password")
            << true << user << 0 << 1 << 0x1234u << 0x4321u << int(A::WrongPassword);
        QTest::newRow("write, password the tag lacks")
            << true << user << 0 << 1 << 0u << 0x4321u << int(A::WrongPassword);
        QTest::newRow("read, protected tag, no password")
            << false << user << 0 << 1 << 0x1234u << 0u << int(A::Ok);
        QTest::newRow("read, wrong password")
            << false << user << 0 << 1 << 0x1234u << 1u << int(A::WrongPassword);
        QTest::newRow("read reserved, protected tag, no password")
            << false << reserved << 0 << 4 << 0x1234u << 0u << int(A::Locked);
        QTest::newRow("read reserved, right password")
            << false << reserved << 0 << 4 << 0x1234u << 0x1234u << int(A::Ok);
        QTest::newRow("write last user word") << true << user << 31 << 1 << 0u << 0u << int(A::Ok);
        QTest::newRow("write past user bank")
            << true << user << 31 << 2 << 0u << 0u << int(A::Overrun);
        QTest::newRow("read past user bank")
            << false << user << 32 << 1 << 0u << 0u << int(A::Overrun);
        QTest::newRow("read past EPC bank")
            << false << int(MemoryBank::Epc) << 8 << 3 << 0u << 0u << int(A::Overrun);
        QTest::newRow("write nothing") << true << user << 0 << 0 << 0u << 0u << int(A::BadLength);
    }
    void accessRules() {
        QFETCH(bool, write);
        QFETCH(int, bank);
        QFETCH(int, address);
        QFETCH(int, words);
        QFETCH(uint, tagPassword);
        QFETCH(uint, password);
        QFETCH(int, access);
        Gen2Tag tag(kEpc, 1, tagPassword);
        sim::Bytes data(2 * words, 0xAB);
        const auto result = write ? tag.write(MemoryBank(bank), address, data, password)
                                  : tag.read(MemoryBank(bank), address, words, password, &data);
        QCOMPARE(int(result), access);
    }

    void passwordLivesInTheReservedBank() {
        Gen2Tag tag(kEpc, 1, 0x11223344);
        QCOMPARE(readWords(tag, MemoryBank::Reserved, 0, 4, 0x11223344),
                 QByteArray("00 00 00 00 11 22 33 44"));
        QCOMPARE(int(tag.write(MemoryBank::Reserved, 2, bytes("00 00 00 00"), 0x11223344)),
                 int(Gen2Tag::Access::Ok));
        QCOMPARE(tag.accessPassword(), 0u);
        QCOMPARE(readWords(tag, MemoryBank::Reserved, 2, 2), QByteArray("00 00 00 00"));
    }
};

QTEST_GUILESS_MAIN(Gen2TagTest)
#include "gen2_tag_test.moc"
