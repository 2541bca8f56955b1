#include "sim/families/tunnel_family.h"
#include "sim/uhf_environment.h"
#include "sim/uhf_module.h"
#include "sim_bytes.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <set>

using sim::Gen2Tag;
using sim::UhfModule;

namespace {

const QByteArray kInventory("BB 00 22 00 00 22 7E");
const QByteArray kNoTag("BB 01 FF 00 01 15 16 7E");
const QByteArray kSessionOneTargetA("BB 00 0E 00 02 11 20 41 7E");
const QByteArray kSessionOneTargetB("BB 00 0E 00 02 11 A0 C1 7E");
const QByteArray kFullPower("BB 00 B6 00 02 0A 28 EA 7E");
// A notice is 24 bytes for a 12-byte EPC.
constexpr std::size_t kNoticeSize = 24;

// 30 00 ... 00 n: an EPC told apart by its last byte.
sim::Bytes numberedEpc(std::uint8_t n) {
    sim::Bytes epc(12, 0x00);
    epc[0] = 0x30;
    epc[11] = n;
    return epc;
}

QByteArray answer(UhfModule& module, const QByteArray& frame) {
    return hex(module.answer(bytes(frame)));
}

// A module whose field holds tags 1, 2, ... at the path losses given.
void fill(UhfModule& module, std::initializer_list<int> losses) {
    module.field().clear();
    std::uint8_t n = 0;
    for (int loss : losses) {
        ++n;
        module.field().present(Gen2Tag(numberedEpc(n), n), loss);
    }
}

// How many notices a round's reply holds.
int notices(UhfModule& module) {
    const sim::Bytes reply = module.answer(bytes(kInventory));
    if (reply.size() == 8)
        return 0;
    return int(reply.size() / kNoticeSize);
}

} // namespace

class TagFieldTest : public QObject {
    Q_OBJECT

  private slots:
    // The first tag at one path loss: what a single inventory gets at each power.
    void reachByPower_data() {
        QTest::addColumn<int>("pathLoss");
        QTest::addColumn<QByteArray>("power");
        QTest::addColumn<QByteArray>("reply");
        const char* first = "30 00 E2 00 47 13 90 20 60 21 07 40 12 34 0E 24";
        QTest::newRow("close, full power")
            << 82 << kFullPower << QByteArray("BB 01 22 00 11 C8 ") + first + " 58 7E";
        QTest::newRow("close, 5 dBm") << 82 << QByteArray("BB 00 B6 00 02 01 F4 AD 7E") << kNoTag;
        QTest::newRow("far, full power")
            << 90 << kFullPower << QByteArray("BB 01 22 00 11 C0 ") + first + " 50 7E";
        QTest::newRow("far, 23 dBm, 3 dB above the floor")
            << 90 << QByteArray("BB 00 B6 00 02 08 FC BC 7E")
            << QByteArray("BB 01 22 00 11 BD ") + first + " 4D 7E";
        QTest::newRow("far, 19 dBm, below the floor")
            << 90 << QByteArray("BB 00 B6 00 02 07 6C 2B 7E") << kNoTag;
        QTest::newRow("beyond reach at full power") << 97 << kFullPower << kNoTag;
    }
    void reachByPower() {
        QFETCH(int, pathLoss);
        QFETCH(QByteArray, power);
        QFETCH(QByteArray, reply);
        UhfModule module;
        module.field().clear();
        module.field().present(Gen2Tag(sim::TagField::kFirstEpc, 1), pathLoss);
        QCOMPARE(answer(module, power), QByteArray("BB 01 B6 00 01 00 B8 7E"));
        // Out of reach is out of reach every time, not now and then.
        for (int round = 0; round < 20; ++round)
            QCOMPARE(answer(module, kInventory), reply);
    }

    // Every tag read gets its own notice, strongest first, with its own RSSI.
    void rssiPerTag() {
        UhfModule module;
        module.setRoundReplies(UhfModule::RoundReplies::Every);
        fill(module, {70, 80, 76});
        QCOMPARE(
            answer(module, kInventory),
            QByteArray("BB 02 22 00 11 D4 30 00 30 00 00 00 00 00 00 00 00 00 00 01 44 7C 2A 7E "
                       "BB 02 22 00 11 CE 30 00 30 00 00 00 00 00 00 00 00 00 00 03 64 3E 08 7E "
                       "BB 02 22 00 11 CA 30 00 30 00 00 00 00 00 00 00 00 00 00 02 74 1F F4 7E"));
        answer(module, "BB 00 B6 00 02 06 40 FE 7E"); // 16 dBm
        QCOMPARE(
            answer(module, kInventory),
            QByteArray("BB 02 22 00 11 CA 30 00 30 00 00 00 00 00 00 00 00 00 00 01 44 7C 20 7E "
                       "BB 02 22 00 11 C4 30 00 30 00 00 00 00 00 00 00 00 00 00 03 64 3E FE 7E "
                       "BB 02 22 00 11 C0 30 00 30 00 00 00 00 00 00 00 00 00 00 02 74 1F EA 7E"));
        // The default reply names the strongest tag alone, as a response.
        module.setRoundReplies(UhfModule::RoundReplies::Strongest);
        QVERIFY(answer(module, kInventory).startsWith("BB 01 22 00 11 CA"));
    }

    void sessions() {
        UhfModule module;
        module.setRoundReplies(UhfModule::RoundReplies::Every);
        fill(module, {80, 80, 80});
        // S0: every round.
        for (int round = 0; round < 5; ++round)
            QCOMPARE(notices(module), 3);
        // S1, target A: read once, then quiet until the flag falls back.
        answer(module, kSessionOneTargetA);
        QCOMPARE(notices(module), 3);
        QCOMPARE(notices(module), 0);
        module.field().advance(sim::TagField::kS1Persistence - std::chrono::milliseconds(1));
        QCOMPARE(notices(module), 0);
        module.field().advance(std::chrono::milliseconds(1));
        QCOMPARE(notices(module), 3);
        // Target B answers the tags that target A has flipped, and flips them back.
        answer(module, kSessionOneTargetB);
        QCOMPARE(notices(module), 3);
        QCOMPARE(notices(module), 0);
        answer(module, kSessionOneTargetA);
        QCOMPARE(notices(module), 3);
    }

    // A round answers what one tunnel reply carries; the rest wait unread.
    void roundFillsOneTunnelReply() {
        UhfModule module;
        module.setRoundReplies(UhfModule::RoundReplies::Every);
        module.field().clear();
        for (std::uint8_t n = 1; n <= 20; ++n)
            module.field().present(Gen2Tag(numberedEpc(n), n));
        answer(module, kSessionOneTargetA);
        sim::TunnelFamily tunnel(module);
        std::set<std::uint8_t> seen;
        for (int expected : {9, 9, 2, 0}) {
            sim::Bytes frame = bytes(kInventory);
            const std::optional<sim::Bytes> reply =
                tunnel.answer(0xCE, sim::Bytes(frame.begin(), frame.end()));
            QVERIFY(reply && reply->front() == sim::kStatusOk);
            QVERIFY(reply->size() - 1 <= UhfModule::kMaxRoundReply);
            if (expected == 0) {
                QCOMPARE(reply->size(), std::size_t(9));
                continue;
            }
            QCOMPARE(reply->size() - 1, expected * kNoticeSize);
            for (int i = 0; i < expected; ++i)
                seen.insert((*reply)[1 + i * kNoticeSize + 19]);
        }
        QCOMPARE(seen.size(), std::size_t(20));
    }

    // Near the floor replies are lost at random, the more the closer to it;
    // a fixed seed gives the same reads every run.
    void missedReadsNearTheFloor() {
        auto run = [](unsigned seed) {
            UhfModule module;
            module.setRoundReplies(UhfModule::RoundReplies::Every);
            fill(module, {96, 94, 93}); // 0, 2 and 3 dB above the floor
            module.field().seed(seed);
            std::map<int, int> reads;
            for (int round = 0; round < 400; ++round) {
                const sim::Bytes reply = module.answer(bytes(kInventory));
                if (reply.size() == 8)
                    continue;
                for (std::size_t at = 0; at + kNoticeSize <= reply.size(); at += kNoticeSize)
                    ++reads[reply[at + 19]];
            }
            return reads;
        };
        const std::map<int, int> reads = run(7);
        QCOMPARE(reads, run(7));
        QCOMPARE(reads.at(3), 400);
        QVERIFY2(reads.at(1) > 60 && reads.at(1) < 140, qPrintable(QString::number(reads.at(1))));
        QVERIFY2(reads.at(2) > 260 && reads.at(2) < 340, qPrintable(QString::number(reads.at(2))));
        QCOMPARE(reads.at(1), 102);
        QCOMPARE(reads.at(2), 295);
        QVERIFY(run(8) != reads);
    }

    // Select mode 00 sends the select before the inventory too: only tags
    // holding the mask answer. The default (02) leaves the inventory alone.
    void selectModeZeroFiltersTheInventory() {
        UhfModule module;
        module.setRoundReplies(UhfModule::RoundReplies::Every);
        fill(module, {80, 80});
        module.field().present(Gen2Tag(sim::TagField::kFirstEpc, 9));
        // Mask 30 00 over the first 16 bits of the EPC.
        QCOMPARE(answer(module, "BB 00 0C 00 09 01 00 00 00 20 10 00 30 00 76 7E"),
                 QByteArray("BB 01 0C 00 01 00 0E 7E"));
        QCOMPARE(notices(module), 3);
        answer(module, "BB 00 12 00 01 00 13 7E");
        QCOMPARE(notices(module), 2);
        // E2 00: only the first tag.
        answer(module, "BB 00 0C 00 09 01 00 00 00 20 10 00 E2 00 28 7E");
        QVERIFY(answer(module, kInventory).contains("E2 00 47 13"));
        QCOMPARE(notices(module), 1);
        answer(module, "BB 00 12 00 01 02 15 7E");
        QCOMPARE(notices(module), 3);
    }

    // More tags than one reply holds: the arbitration lets the others in on
    // the next rounds, so every tag within reach is read within a few.
    void everyTagWithinReachIsReadWithinAFewRounds_data() {
        QTest::addColumn<QByteArray>("seed");
        QTest::newRow("default seed") << QByteArray();
        QTest::newRow("seed 3") << QByteArray("3");
    }
    void everyTagWithinReachIsReadWithinAFewRounds() {
        QFETCH(QByteArray, seed);
        qputenv("READERHID_SIM_TAGS", "50");
        if (!seed.isEmpty())
            qputenv("READERHID_SIM_SEED", seed);
        UhfModule module;
        sim::setUpFromEnvironment(module);
        qunsetenv("READERHID_SIM_TAGS");
        qunsetenv("READERHID_SIM_SEED");
        module.setRoundReplies(UhfModule::RoundReplies::Every);
        sim::TagField& field = module.field();
        // Within reach, and well within: above the band where replies are lost.
        std::set<sim::Bytes> withinReach;
        std::set<sim::Bytes> wellWithin;
        for (std::size_t i = 0; i < field.size(); ++i) {
            const int rssi = sim::TagField::kFullPowerDbm - field.pathLossDb(i);
            if (rssi >= sim::TagField::kFloorDbm)
                withinReach.insert(field.tag(i).epc());
            if (rssi >= sim::TagField::kFloorDbm + sim::TagField::kEdgeDb)
                wellWithin.insert(field.tag(i).epc());
        }
        // Most of the field is within reach at the default power, a few are not.
        QVERIFY2(withinReach.size() >= 40 && withinReach.size() < 50,
                 qPrintable(QString::number(withinReach.size())));
        std::set<sim::Bytes> seen;
        const auto rounds = [&](int count) {
            for (int round = 0; round < count; ++round) {
                const sim::Bytes reply = module.answer(bytes(kInventory));
                QVERIFY(reply.size() <= UhfModule::kMaxRoundReply);
                for (std::size_t at = 0; at + kNoticeSize <= reply.size(); at += kNoticeSize)
                    seen.emplace(reply.begin() + at + 8, reply.begin() + at + 20);
            }
        };
        rounds(6);
        QVERIFY(std::includes(seen.begin(), seen.end(), wellWithin.begin(), wellWithin.end()));
        // Those at the edge are heard one round in four at worst.
        rounds(34);
        QCOMPARE(seen, withinReach);
    }

    void fieldFromTheEnvironment() {
        qputenv("READERHID_SIM_TAGS", "50");
        qputenv("READERHID_SIM_SEED", "3");
        qputenv("READERHID_SIM_ROUND", "every");
        UhfModule module;
        sim::setUpFromEnvironment(module);
        qunsetenv("READERHID_SIM_TAGS");
        qunsetenv("READERHID_SIM_SEED");
        qunsetenv("READERHID_SIM_ROUND");
        sim::TagField& field = module.field();
        QCOMPARE(field.size(), std::size_t(50));
        std::set<sim::Bytes> tids;
        std::set<int> losses;
        int beyondReach = 0;
        for (std::size_t i = 0; i < field.size(); ++i) {
            sim::Bytes tid;
            field.tag(i).read(sim::MemoryBank::Tid, 0, 0, 0, &tid);
            tids.insert(tid);
            losses.insert(field.pathLossDb(i));
            beyondReach +=
                sim::TagField::kFullPowerDbm - field.pathLossDb(i) < sim::TagField::kFloorDbm;
        }
        QCOMPARE(tids.size(), std::size_t(50));
        QVERIFY(losses.size() > 8);
        QVERIFY(beyondReach > 0);
        // The first tag is the one at start, and the closest: the EPC page finds it.
        QCOMPARE(field.tag(0).epc(), sim::TagField::kFirstEpc);
        QVERIFY(notices(module) > 1);
    }
};

QTEST_GUILESS_MAIN(TagFieldTest)
#include "tag_field_test.moc"
