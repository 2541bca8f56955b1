#include "sim/uhf_module.h"
#include "sim_bytes.h"

#include <QTest>

using sim::Gen2Tag;
using sim::MemoryBank;

namespace {

// The tag in the field at start: PC 30 00, EPC E2 00 47 13 90 20 60 21 07 40 12 34,
// StoredCRC 0E 24.
const QByteArray
    kInventoryReply("BB 01 22 00 11 C8 30 00 E2 00 47 13 90 20 60 21 07 40 12 34 0E 24 58 7E");
const QByteArray kInventory("BB 00 22 00 00 22 7E");
const QByteArray kSelectFirstTag(
    "BB 00 0C 00 13 01 00 00 00 20 60 00 E2 00 47 13 90 20 60 21 07 40 12 34 9A 7E");
const QByteArray kSelectOtherTag(
    "BB 00 0C 00 13 01 00 00 00 20 60 00 E2 00 47 13 90 20 60 21 07 40 12 35 9B 7E");
const QByteArray kSelected("BB 01 0C 00 01 00 0E 7E");
const QByteArray kReadEpcBank("BB 00 39 00 09 00 00 00 00 01 00 00 00 08 4B 7E");
// The write frame of automatic issuing: StoredCRC as read, PC 30 00, EPC ...01.
const QByteArray kWriteNumberOne("BB 00 49 00 19 00 00 00 00 01 00 00 00 08 0E 24 30 00 "
                                 "00 00 00 00 00 00 00 00 00 00 00 01 CE 7E");
const QByteArray kWritten("BB 01 49 00 10 0E 30 00 E2 00 47 13 90 20 60 21 07 40 12 34 00 92 7E");
const QByteArray kWriteUserWord("BB 00 49 00 0B 00 00 00 00 03 00 1F 00 01 AB CD EF 7E");

const QByteArray kNoTag("BB 01 FF 00 01 15 16 7E");
const QByteArray kReadFailed("BB 01 FF 00 01 09 0A 7E");
const QByteArray kWriteFailed("BB 01 FF 00 01 10 11 7E");
const QByteArray kAccessFailed("BB 01 FF 00 01 16 17 7E");
const QByteArray kBadCommand("BB 01 FF 00 01 17 18 7E");
const QByteArray kReadOverrun("BB 01 FF 00 01 A3 A4 7E");
const QByteArray kWriteOverrun("BB 01 FF 00 01 B3 B4 7E");

QByteArray answer(sim::UhfModule& module, const QByteArray& frame) {
    return hex(module.answer(bytes(frame)));
}

} // namespace

class UhfModuleTest : public QObject {
    Q_OBJECT

  private slots:
    // One command to a module with its start-up field of one tag.
    void answers_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("inventory") << kInventory << kInventoryReply;
        QTest::newRow("select by EPC") << kSelectFirstTag << kSelected;
        QTest::newRow("read EPC bank")
            << kReadEpcBank
            << QByteArray("BB 01 39 00 1F 0E 30 00 E2 00 47 13 90 20 60 21 07 40 12 34 "
                          "0E 24 30 00 E2 00 47 13 90 20 60 21 07 40 12 34 ED 7E");
        QTest::newRow("read TID")
            << QByteArray("BB 00 39 00 09 00 00 00 00 02 00 00 00 06 4A 7E")
            << QByteArray("BB 01 39 00 1B 0E 30 00 E2 00 47 13 90 20 60 21 07 40 12 34 "
                          "E2 80 11 05 20 00 00 00 00 00 00 01 26 7E");
        QTest::newRow("write EPC") << kWriteNumberOne << kWritten;
        QTest::newRow("write last user word")
            << kWriteUserWord
            << QByteArray("BB 01 49 00 10 0E 30 00 E2 00 47 13 90 20 60 21 07 40 12 34 00 92 7E");
        QTest::newRow("write past the user bank")
            << QByteArray("BB 00 49 00 0D 00 00 00 00 03 00 1F 00 02 AB CD AB CD 6A 7E")
            << kWriteOverrun;
        QTest::newRow("read past the user bank")
            << QByteArray("BB 00 39 00 09 00 00 00 00 03 00 20 00 01 66 7E") << kReadOverrun;
        QTest::newRow("password the tag does not have")
            << QByteArray("BB 00 49 00 0B 11 22 33 44 03 00 00 00 01 AB CD 7A 7E") << kAccessFailed;
        // A 13-byte EPC: eight words announced, 17 bytes of data.
        QTest::newRow("word count and data disagree")
            << QByteArray("BB 00 49 00 1A 00 00 00 00 01 00 00 00 08 0E 24 34 00 "
                          "00 00 00 00 00 00 00 00 00 00 00 00 01 D3 7E")
            << kBadCommand;
        QTest::newRow("inventory with parameters")
            << QByteArray("BB 00 22 00 01 00 23 7E") << kBadCommand;
        QTest::newRow("select, mask shorter than its length")
            << QByteArray("BB 00 0C 00 08 01 00 00 00 20 60 00 E2 77 7E") << kBadCommand;
        QTest::newRow("read, parameters cut short")
            << QByteArray("BB 00 39 00 01 00 3A 7E") << kBadCommand;
        QTest::newRow("unknown command") << QByteArray("BB 00 A5 00 01 01 A7 7E") << kBadCommand;
        QTest::newRow("bad checksum") << QByteArray("BB 00 22 00 00 23 7E") << kBadCommand;
        QTest::newRow("wrong header") << QByteArray("AA 00 22 00 00 22 7E") << kBadCommand;
        QTest::newRow("wrong end mark") << QByteArray("BB 00 22 00 00 22 7F") << kBadCommand;
        QTest::newRow("length too large") << QByteArray("BB 00 22 00 01 23 7E") << kBadCommand;
        QTest::newRow("length too small") << QByteArray("BB 00 22 00 00 05 27 7E") << kBadCommand;
        QTest::newRow("response, not command") << QByteArray("BB 01 22 00 00 23 7E") << kBadCommand;
        QTest::newRow("too short") << QByteArray("BB 7E") << kBadCommand;
        QTest::newRow("empty") << QByteArray() << kBadCommand;
    }
    void answers() {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, reply);
        sim::UhfModule module;
        QCOMPARE(answer(module, frame), reply);
    }

    void emptyFieldAnswersWithErrors_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("inventory") << kInventory << kNoTag;
        QTest::newRow("select") << kSelectFirstTag << kSelected;
        QTest::newRow("read") << kReadEpcBank << kReadFailed;
        QTest::newRow("write") << kWriteNumberOne << kWriteFailed;
    }
    void emptyFieldAnswersWithErrors() {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, reply);
        sim::UhfModule module;
        module.field().clear();
        QCOMPARE(answer(module, frame), reply);
    }

    void writtenEpcIsInventoriedWithItsNewCrc() {
        sim::UhfModule module;
        QCOMPARE(answer(module, kSelectFirstTag), kSelected);
        QCOMPARE(answer(module, kWriteNumberOne), kWritten);
        QCOMPARE(answer(module, kInventory),
                 QByteArray("BB 01 22 00 11 C8 30 00 00 00 00 00 00 00 00 00 00 00 00 01 "
                            "1D 8C D6 7E"));
    }

    // Memory commands go to the tag that the last select marked.
    void selectDecidesWhichTagIsWritten() {
        sim::UhfModule module;
        QCOMPARE(answer(module, kSelectOtherTag), kSelected);
        QCOMPARE(answer(module, kWriteNumberOne), kWriteFailed);
        QCOMPARE(answer(module, kReadEpcBank), kReadFailed);

        const sim::Bytes otherEpc = {0xE2, 0x00, 0x47, 0x13, 0x90, 0x20,
                                     0x60, 0x21, 0x07, 0x40, 0x12, 0x35};
        module.field().present(Gen2Tag(otherEpc, 2));
        QCOMPARE(answer(module, kSelectOtherTag), kSelected);
        QVERIFY(answer(module, kWriteUserWord).startsWith("BB 01 49"));
        sim::Bytes words;
        QVERIFY(module.field().tag(1).read(MemoryBank::User, 31, 1, 0, &words) ==
                Gen2Tag::Access::Ok);
        QCOMPARE(hex(words), QByteArray("AB CD"));
        QVERIFY(module.field().tag(0).read(MemoryBank::User, 31, 1, 0, &words) ==
                Gen2Tag::Access::Ok);
        QCOMPARE(hex(words), QByteArray("00 00"));
        // Inventory still finds the strongest tag.
        QCOMPARE(answer(module, kInventory), kInventoryReply);
    }

    void protectedTagNeedsItsPassword() {
        sim::UhfModule module;
        module.field().clear();
        module.field().present(Gen2Tag(sim::TagField::kFirstEpc, 1, 0x11223344));
        // Its User bank is locked: memory locked (B4) without the password.
        QCOMPARE(answer(module, kWriteUserWord), QByteArray("BB 01 FF 00 01 B4 B5 7E"));
        QVERIFY(answer(module, QByteArray("BB 00 49 00 0B 11 22 33 44 03 00 00 00 01 AB CD 7A 7E"))
                    .startsWith("BB 01 49"));
        // Reading the EPC needs no password.
        QVERIFY(answer(module, kReadEpcBank).startsWith("BB 01 39"));
    }

    void writtenTagIsReplacedWhenItsTimeHasCome() {
        sim::UhfModule module;
        std::chrono::milliseconds now{5000};
        module.field().replaceWrittenTags(
            std::chrono::milliseconds(1000), [&] { return now; }, 7);
        QCOMPARE(answer(module, kWriteNumberOne), kWritten);
        const QByteArray written = answer(module, kInventory);
        now += std::chrono::milliseconds(999);
        QCOMPARE(answer(module, kInventory), written);
        // A second write does not keep the tag longer.
        QVERIFY(answer(module, kWriteNumberOne).startsWith("BB 01 49"));
        now += std::chrono::milliseconds(1);
        const QByteArray fresh = answer(module, kInventory);
        QVERIFY(fresh != written);
        QVERIFY(fresh.startsWith("BB 01 22 00 11 C8 30 00"));
        QCOMPARE(module.field().size(), std::size_t(1));
        const Gen2Tag& tag = module.field().tag(0);
        QCOMPARE(tag.storedCrc(), Gen2Tag::crc16([&] {
                     sim::Bytes covered = {0x30, 0x00};
                     const sim::Bytes epc = tag.epc();
                     covered.insert(covered.end(), epc.begin(), epc.end());
                     return covered;
                 }()));
        // The fresh tag stays until it is written in its turn.
        now += std::chrono::hours(1);
        QCOMPARE(answer(module, kInventory), fresh);
    }

    void writtenTagStaysWithoutReplacement() {
        sim::UhfModule module;
        QCOMPARE(answer(module, kWriteNumberOne), kWritten);
        QVERIFY(answer(module, kInventory).contains("00 00 00 00 00 00 00 00 00 00 00 01"));
    }
};

QTEST_GUILESS_MAIN(UhfModuleTest)
#include "uhf_module_test.moc"
