#include "support/module_replies.h"
#include "support/recording_log.h"
#include "support/scripted_device.h"
#include "uhf/hid_inventory.h"
#include "uhf/serial_inventory.h"

#include <QCoreApplication>
#include <QTest>

namespace {

const QDateTime at(QDate(2026, 12, 9), QTime(10, 0, 0));

// A notice of a 12-byte EPC ending in the byte given, at an RSSI byte.
// Type 01 gives the response of the notice's layout that some modules answer
// a single round with.
QString notice(int last, int rssi, const QString& type = QStringLiteral("02")) {
    return moduleFrame(
        QStringLiteral("%3 22 00 11 %1 30 00 E2 00 00 00 00 00 00 00 00 00 00 %2 12 34")
            .arg(hex::byte(rssi), hex::byte(last), type));
}

QString epc(int last) {
    return QStringLiteral("E200000000000000000000") + hex::byte(last);
}

const QString noTag = moduleFrame(QStringLiteral("01 FF 00 01 15"));
const QString inventoryFrame = QStringLiteral("BB00220000227E");

struct HidRig {
    ScriptedDevice device;
    RecordingLog log;
    FixedClock clock{at};
    ReaderLink link{device, log, clock};
    uhf::InventoryStatistics statistics{clock};
    HidInventory inventory{link, statistics};
    HidRig() { statistics.begin(); }
};

} // namespace

class InventoryRunsTest : public QObject {
    Q_OBJECT

  private slots:
    // Every notice of a reply counts; an empty round and a damaged frame do not.
    void hidRoundsCountEveryNotice() {
        HidRig rig;
        QStringList reads;
        rig.inventory.onRead = [&](const uhf::TagNotice& n) {
            reads << hex::fromBytes(n.epc) + ' ' + QString::number(n.rssi);
        };
        QString damaged = notice(3, 0xC0);
        damaged[damaged.size() - 3] =
            damaged[damaged.size() - 3] == QChar(0x30) ? QChar(0x31) : QChar(0x30);
        rig.device.reply(carrying(notice(1, 0xC9) + notice(2, 0xB0)));
        rig.device.reply(carrying(noTag));
        rig.device.reply(carrying(notice(1, 0xC8) + damaged));
        rig.device.reply(carrying(notice(2, 0xB1, QStringLiteral("01"))));
        int more = 4;
        QCOMPARE(rig.inventory.run(0, [&] { return more-- > 0; }), HidInventory::Outcome::Done);
        QCOMPARE(rig.device.written, QStringList(4, tunnelled(inventoryFrame)));
        QCOMPARE(reads,
                 (QStringList{epc(1) + " -55", epc(2) + " -80", epc(1) + " -56", epc(2) + " -79"}));
        QCOMPARE(rig.statistics.reads(), 4u);
        QCOMPARE(rig.statistics.distinctTags(), 2u);
        QCOMPARE(rig.statistics.damagedFrames(), 1u);
        QCOMPARE(rig.statistics.errorResponses(), 0u);
        QCOMPARE(rig.inventory.rounds(), 4);
    }

    void hidRunStopsOnFailureAndAtRoundCount() {
        HidRig rig;
        rig.device.reply(carrying(notice(1, 0xC9)));
        QCOMPARE(rig.inventory.run(0, [] { return true; }), HidInventory::Outcome::NoReply);
        QCOMPARE(rig.inventory.errorText(), noReplyText().trimmed());
        QCOMPARE(rig.statistics.reads(), 1u);

        HidRig counted;
        for (int i = 0; i < 5; ++i)
            counted.device.reply(carrying(noTag));
        QCOMPARE(counted.inventory.run(2, [] { return true; }), HidInventory::Outcome::Done);
        QCOMPARE(counted.device.written.size(), 2);
    }

    void hidMaskSelectsThenRestores() {
        HidRig rig;
        rig.device.reply(carrying(moduleFrame("01 0C 00 01 00")));
        rig.device.reply(carrying(moduleFrame("01 12 00 01 00")));
        rig.device.reply(carrying(moduleFrame("01 12 00 01 00")));
        QCOMPARE(rig.inventory.setMask(QStringLiteral("E200")), HidInventory::Outcome::Done);
        QCOMPARE(rig.inventory.clearMask(), HidInventory::Outcome::Done);
        QCOMPARE(rig.device.written,
                 (QStringList{tunnelled(moduleFrame("00 0C 00 09 01 00 00 00 20 10 00 E2 00")),
                              tunnelled(QStringLiteral("BB0012000100137E")),
                              tunnelled(QStringLiteral("BB0012000102157E"))}));
        rig.device.reply(carrying(moduleFrame("01 FF 00 01 17")));
        QCOMPARE(rig.inventory.setMask(QStringLiteral("E2")), HidInventory::Outcome::Refused);
        QCOMPARE(rig.inventory.errorText(),
                 QStringLiteral("命令错误：未知命令、参数错误或命令帧校验和错误 (17)"));
    }

    void serialFrames() {
        QCOMPARE(hex::fromBytes(SerialInventory::startFrame(10000)),
                 QStringLiteral("BB00270003222710837E"));
        QCOMPARE(hex::fromBytes(SerialInventory::stopFrame()), QStringLiteral("BB00280000287E"));
    }

    // Notices counted as they stream in, whatever the chunks; the run ends on
    // the answer to 28, and notices still on their way count.
    void serialStreamsUntilStopAnswered() {
        FixedClock clock(at);
        uhf::InventoryStatistics statistics(clock);
        statistics.begin();
        QStringList written;
        SerialInventory inventory(
            [&](const QByteArray& bytes) {
                written << hex::fromBytes(bytes);
                return true;
            },
            statistics);
        QVERIFY(inventory.start(SerialInventory::maxRounds, QStringLiteral("E2")));
        QCOMPARE(written, (QStringList{moduleFrame("00 0C 00 08 01 00 00 00 20 08 00 E2"),
                                       moduleFrame("00 12 00 01 00"),
                                       QStringLiteral("BB0027000322FFFF4A7E")}));
        const QByteArray stream =
            hex::toBytes(moduleFrame("01 0C 00 01 00") + notice(1, 0xC9) + noTag +
                         moduleFrame("01 FF 00 01 B4") + notice(2, 0xC0) + notice(1, 0xCA));
        for (int i = 0; i < stream.size(); i += 7)
            inventory.take(
                QByteArrayView(stream).sliced(i, std::min<qsizetype>(7, stream.size() - i)));
        QCOMPARE(statistics.reads(), 3u);
        QCOMPARE(statistics.errorResponses(), 1u);
        QCOMPARE(inventory.errorText(), QStringLiteral("写入失败：标签存储区已锁定 (B4)"));
        QCOMPARE(inventory.state(), SerialInventory::State::Running);

        written.clear();
        QVERIFY(inventory.stop());
        QCOMPARE(written,
                 (QStringList{QStringLiteral("BB00280000287E"), moduleFrame("00 12 00 01 02")}));
        QCOMPARE(inventory.state(), SerialInventory::State::Stopping);
        inventory.take(hex::toBytes(notice(2, 0xC1) + moduleFrame("01 28 00 01 00")));
        QCOMPARE(inventory.state(), SerialInventory::State::Idle);
        QCOMPARE(statistics.reads(), 4u);
        QCOMPARE(statistics.tag(statistics.rowOf(hex::toBytes(epc(2)))).reads, 2u);
    }

    void serialPortLost() {
        FixedClock clock(at);
        uhf::InventoryStatistics statistics(clock);
        statistics.begin();
        SerialInventory inventory([](const QByteArray&) { return true; }, statistics);
        QVERIFY(inventory.start(5));
        inventory.take(hex::toBytes(notice(1, 0xC9)).left(10));
        inventory.abandon();
        QCOMPARE(inventory.state(), SerialInventory::State::Idle);
        QCOMPARE(statistics.damagedFrames(), 1u);
        QCOMPARE(statistics.reads(), 0u);

        SerialInventory refused([](const QByteArray&) { return false; }, statistics);
        QVERIFY(!refused.start(5));
        QCOMPARE(refused.state(), SerialInventory::State::Idle);
    }
};

QTEST_GUILESS_MAIN(InventoryRunsTest)
#include "inventory_runs_test.moc"
