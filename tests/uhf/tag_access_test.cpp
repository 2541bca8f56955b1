#include "support/module_replies.h"
#include "support/recording_log.h"
#include "support/sim_device.h"
#include "uhf/module_frame.h"
#include "uhf/tag_access.h"

#include <QTest>
#include <functional>
#include <utility>

namespace {

using uhf::Bank;
using uhf::LockAction;
using uhf::LockArea;
using uhf::LockPlan;
using uhf::TagAccess;
using Outcome = TagAccess::Outcome;

const QByteArray firstEpc = QByteArray::fromHex("E20047139020602107401234");
const QByteArray firstTid = QByteArray::fromHex("E28011052000000000000001");
constexpr quint32 password = 0x0000FFFF;

// The in-process simulated reader with one tag, whose access and kill
// passwords are given (a tag with an access password has its passwords, EPC
// and User memory locked).
struct Rig {
    explicit Rig(quint32 accessPassword = 0, quint32 killPassword = 0, std::size_t userWords = 32) {
        field().clear();
        sim::Gen2Tag tag(sim::TagField::kFirstEpc, 1, accessPassword, userWords);
        const sim::Bytes kill{quint8(killPassword >> 24), quint8(killPassword >> 16),
                              quint8(killPassword >> 8), quint8(killPassword)};
        tag.write(sim::MemoryBank::Reserved, 0, kill, accessPassword);
        field().present(tag);
    }
    sim::TagField& field() { return device.reader.uhfModule().field(); }
    // The module frames sent since the last call.
    QStringList sent() { return std::exchange(device.written, {}); }

    SimDevice device;
    RecordingLog log;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 30))};
    ReaderLink link{device, log, clock};
    TagAccess access{link};
};

QStringList tunnelledAll(const QStringList& moduleFrames) {
    QStringList frames;
    for (const QString& frame : moduleFrames)
        frames << tunnelled(frame);
    return frames;
}

QString tidSelect() {
    return moduleFrame("00 0C 00 13 02 00 00 00 00 60 00 E2 80 11 05 20 00 00 00 00 00 00 01");
}

const QString selectMode02 = QStringLiteral("BB 00 12 00 01 02 15 7E");

} // namespace

class TagAccessTest : public QObject {
    Q_OBJECT

  private slots:
    // Every area with every action, and the examples of the module's manual.
    void lockPayload_data() {
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("payload");
        const char* const payloads[5][4] = {
            {"080000", "080200", "0C0300", "0C0100"}, // kill password
            {"020000", "020080", "0300C0", "030040"}, // access password
            {"008000", "008020", "00C030", "00C010"}, // EPC bank
            {"002000", "002008", "00300C", "003004"}, // TID bank
            {"000800", "000802", "000C03", "000C01"}, // User bank
        };
        for (int area = 0; area < 5; ++area)
            for (int action = 0; action < 4; ++action) {
                const QString plan = uhf::lockAreaName(LockArea(area)) + '=' +
                                     uhf::lockActionName(LockAction(action));
                QTest::newRow(qPrintable(plan)) << plan << payloads[area][action];
            }
        QTest::newRow("access and EPC locked, as issuing does") << "access=lock,epc=lock"
                                                                << "0280A0";
        QTest::newRow("all permalocked") << "kill=permalock,access=permalock,epc=permalock,"
                                            "tid=permalock,user=permalock"
                                         << "0FFFFF";
    }
    void lockPayload() {
        QFETCH(QString, plan);
        QFETCH(QString, payload);
        LockPlan lock;
        for (const QString& part : plan.split(',')) {
            LockArea area;
            LockAction action;
            QVERIFY(uhf::lockAreaFromName(part.section('=', 0, 0), &area));
            QVERIFY(uhf::lockActionFromName(part.section('=', 1), &action));
            lock.set(area, action);
        }
        QCOMPARE(lock.payloadHex(), payload);
        QCOMPARE(lock.text(), plan);
        QCOMPARE(lock.permanent(), plan.contains("perma"));
    }

    void tidIsDecoded() {
        const uhf::TidInfo info = uhf::decodeTid(firstTid);
        QVERIFY(info.valid);
        QCOMPARE(info.maskDesigner, 0x801);
        QCOMPARE(info.model, 0x105);
        QCOMPARE(info.summary(), QString("class E2 (EPC Gen2), mask designer 801, model 105"));
        QCOMPARE(uhf::decodeTid(QByteArray::fromHex("E280")).summary(),
                 QString("class E2 (EPC Gen2)"));
        QCOMPARE(uhf::decodeTid(QByteArray::fromHex("E0040150")).summary(),
                 QString("class E0 (ISO/IEC 7816-6)"));
        QVERIFY(!uhf::decodeTid(QByteArray()).valid);
    }

    // A tag known by its EPC only is selected by it, its TID read, and then
    // selected by the TID; the select mode makes the module select before
    // each operation.
    void choosingATag() {
        Rig rig;
        QCOMPARE(int(rig.access.choose({QByteArray(), firstEpc})), int(Outcome::Done));
        QCOMPARE(rig.access.tag().tid, firstTid);
        QCOMPARE(rig.sent(),
                 tunnelledAll({moduleFrame("00 0C 00 13 01 00 00 00 20 60 00 "
                                           "E2 00 47 13 90 20 60 21 07 40 12 34"),
                               selectMode02, "BB 00 39 00 09 00 00 00 00 02 00 00 00 06 4A 7E",
                               tidSelect()}));
        QCOMPARE(int(rig.access.choose({firstTid, QByteArray()})), int(Outcome::Done));
        QCOMPARE(rig.sent(), tunnelledAll({tidSelect(), selectMode02}));
        QCOMPARE(int(rig.access.choose({})), int(Outcome::NotSent));
        QVERIFY(rig.sent().isEmpty());
    }

    // The frames of each operation on a tag chosen by its TID, whose access
    // and kill passwords are 0000FFFF.
    void operationFrames_data() {
        QTest::addColumn<std::function<Outcome(TagAccess&)>>("operation");
        QTest::addColumn<QStringList>("frames");
        using Op = std::function<Outcome(TagAccess&)>;
        QTest::newRow("read 2 User words") << Op([](TagAccess& a) {
            QByteArray data;
            return a.read(Bank::User, 0, 2, password, &data);
        }) << QStringList{"BB 00 39 00 09 00 00 FF FF 03 00 00 00 02 45 7E"};
        QTest::newRow("read 40 words in two steps")
            << Op([](TagAccess& a) {
                   QByteArray data;
                   return a.read(Bank::User, 0, 40, password, &data);
               })
            << QStringList{moduleFrame("00 39 00 09 00 00 FF FF 03 00 00 00 20"),
                           moduleFrame("00 39 00 09 00 00 FF FF 03 00 20 00 08")};
        QTest::newRow("write a User word") << Op([](TagAccess& a) {
            return a.write(Bank::User, 5, QByteArray::fromHex("ABCD"), password);
        }) << QStringList{moduleFrame("00 49 00 0B 00 00 FF FF 03 00 05 00 01 AB CD")};
        QTest::newRow("write 33 words in two steps")
            << Op([](TagAccess& a) { return a.write(Bank::User, 0, QByteArray(66, 0), password); })
            << QStringList{moduleFrame("00 49 00 49 00 00 FF FF 03 00 00 00 20 " +
                                       QString("00 ").repeated(64)),
                           moduleFrame("00 49 00 0B 00 00 FF FF 03 00 20 00 01 00 00")};
        QTest::newRow("access password")
            << Op([](TagAccess& a) { return a.setAccessPassword(0x12345678, password); })
            << QStringList{moduleFrame("00 49 00 0D 00 00 FF FF 00 00 02 00 02 12 34 56 78")};
        QTest::newRow("kill password")
            << Op([](TagAccess& a) { return a.setKillPassword(0x9ABCDEF0, password); })
            << QStringList{moduleFrame("00 49 00 0D 00 00 FF FF 00 00 00 00 02 9A BC DE F0")};
        QTest::newRow("lock the access password") << Op([](TagAccess& a) {
            return a.lock(LockPlan().set(LockArea::AccessPassword, LockAction::Lock), password);
        }) << QStringList{"BB 00 82 00 07 00 00 FF FF 02 00 80 09 7E"};
        QTest::newRow("kill") << Op([](TagAccess& a) { return a.kill(password); })
                              << QStringList{"BB 00 65 00 04 00 00 FF FF 67 7E"};
    }
    void operationFrames() {
        QFETCH(std::function<Outcome(TagAccess&)>, operation);
        QFETCH(QStringList, frames);
        Rig rig(password, password, 64);
        QCOMPARE(int(rig.access.choose({firstTid, firstEpc})), int(Outcome::Done));
        rig.sent();
        QCOMPARE(int(operation(rig.access)), int(Outcome::Done));
        QCOMPARE(rig.sent(), tunnelledAll(frames));
        QCOMPARE(rig.access.answeredEpc(), firstEpc);
    }

    // What the tag refuses, in the module's words and naming the tag.
    void refusals_data() {
        QTest::addColumn<quint32>("accessPassword");
        QTest::addColumn<quint32>("killPassword");
        QTest::addColumn<std::function<Outcome(TagAccess&)>>("operation");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("code");
        using Op = std::function<Outcome(TagAccess&)>;
        const auto readBank = [](Bank bank, int word, int count, quint32 given) {
            return Op([=](TagAccess& a) {
                QByteArray data;
                return a.read(bank, word, count, given, &data);
            });
        };
        const int refused = int(Outcome::Refused);
        QTest::newRow("wrong access password")
            << password << 0u << readBank(Bank::Reserved, 2, 2, 0x1234u) << refused << 0x16;
        QTest::newRow("locked access password, read without it")
            << password << 0u << readBank(Bank::Reserved, 2, 2, 0u) << refused << 0xA4;
        QTest::newRow("locked EPC, written without the password")
            << password << 0u << Op([](TagAccess& a) {
                   return a.write(Bank::Epc, 2, QByteArray::fromHex("1234"), 0);
               })
            << refused << 0xB4;
        QTest::newRow("TID permalocked at the factory") << 0u << 0u << Op([](TagAccess& a) {
            return a.write(Bank::Tid, 0, QByteArray::fromHex("1234"), 0);
        }) << refused << 0xB4;
        QTest::newRow("lock without the access password") << password << 0u << Op([](TagAccess& a) {
            return a.lock(LockPlan().set(LockArea::Epc, LockAction::Open), 0);
        }) << refused << 0x13;
        QTest::newRow("kill, the tag's kill password zero")
            << 0u << 0u << Op([](TagAccess& a) { return a.kill(0x1234); }) << refused << 0xD0;
        QTest::newRow("kill, wrong kill password")
            << 0u << 0x5678u << Op([](TagAccess& a) { return a.kill(0x1234); }) << refused << 0x12;
        QTest::newRow("no User memory")
            << 0u << 0u << readBank(Bank::User, 0, 1, 0u) << refused << 0xA3;
    }
    void refusals() {
        QFETCH(quint32, accessPassword);
        QFETCH(quint32, killPassword);
        QFETCH(std::function<Outcome(TagAccess&)>, operation);
        QFETCH(int, outcome);
        QFETCH(int, code);
        Rig rig(accessPassword, killPassword, 0);
        QCOMPARE(int(rig.access.choose({firstTid, firstEpc})), int(Outcome::Done));
        QCOMPARE(int(operation(rig.access)), outcome);
        QCOMPARE(rig.access.errorCode(), code);
        QCOMPARE(rig.access.errorText(),
                 QString("TID E28011052000000000000001：") + uhf::errorText(code));
    }

    void refusedBeforeSending() {
        Rig rig;
        QCOMPARE(int(rig.access.choose({firstTid, firstEpc})), int(Outcome::Done));
        rig.sent();
        QByteArray data;
        QCOMPARE(int(rig.access.kill(0)), int(Outcome::NotSent));
        QCOMPARE(rig.access.errorText(), QString("灭活密码为零：标签不能用它灭活，命令未发送"));
        QCOMPARE(int(rig.access.write(Bank::User, 0, QByteArray::fromHex("AB"), 0)),
                 int(Outcome::NotSent));
        QCOMPARE(int(rig.access.read(Bank::User, 0, 0, 0, &data)), int(Outcome::NotSent));
        QCOMPARE(int(rig.access.lock(LockPlan(), 0)), int(Outcome::NotSent));
        QVERIFY(rig.sent().isEmpty());
        QCOMPARE(rig.field().size(), std::size_t(1));
    }

    // A production tag: access password set, EPC and password locked; then a
    // write or password read without it is refused, with it allowed.
    void finishingATag() {
        Rig rig;
        TagAccess& a = rig.access;
        const QByteArray epcWords = QByteArray::fromHex("000000000000000000000001");
        QCOMPARE(int(a.choose({QByteArray(), firstEpc})), int(Outcome::Done));
        QCOMPARE(int(a.write(Bank::Epc, 2, epcWords, 0)), int(Outcome::Done));
        QCOMPARE(int(a.setAccessPassword(0x1A2B3C4D, 0)), int(Outcome::Done));
        QCOMPARE(int(a.lock(LockPlan()
                                .set(LockArea::Epc, LockAction::Lock)
                                .set(LockArea::AccessPassword, LockAction::Lock),
                            0x1A2B3C4D)),
                 int(Outcome::Done));
        QByteArray data;
        QCOMPARE(int(a.write(Bank::Epc, 2, epcWords, 0)), int(Outcome::Refused));
        QCOMPARE(int(a.read(Bank::Reserved, 2, 2, 0, &data)), int(Outcome::Refused));
        QCOMPARE(int(a.read(Bank::Reserved, 2, 2, 0x1A2B3C4D, &data)), int(Outcome::Done));
        QCOMPARE(data, QByteArray::fromHex("1A2B3C4D"));
        // The User bank was left open.
        QCOMPARE(int(a.write(Bank::User, 0, QByteArray::fromHex("BEEF"), 0)), int(Outcome::Done));
        QCOMPARE(int(a.read(Bank::Epc, 2, 6, 0, &data)), int(Outcome::Done));
        QCOMPARE(data, epcWords);
    }

    // Permanent means for good: no lock changes it again, even with the password.
    void permalockedStaysLocked() {
        Rig rig(password);
        TagAccess& a = rig.access;
        QCOMPARE(int(a.choose({firstTid, firstEpc})), int(Outcome::Done));
        const LockPlan permalock = LockPlan().set(LockArea::User, LockAction::Permalock);
        QCOMPARE(int(a.lock(permalock, password)), int(Outcome::Done));
        QCOMPARE(int(a.lock(permalock, password)), int(Outcome::Done)); // no change: taken
        QCOMPARE(int(a.lock(LockPlan().set(LockArea::User, LockAction::Open), password)),
                 int(Outcome::Refused));
        QCOMPARE(a.errorCode(), 0xC4);
        QCOMPARE(int(a.write(Bank::User, 0, QByteArray::fromHex("BEEF"), password)),
                 int(Outcome::Refused));
        QCOMPARE(a.errorCode(), 0xB4);
    }

    // A killed tag leaves the field: nothing answers for it any more.
    void killedTagIsGone() {
        Rig rig(0, 0x87654321);
        TagAccess& a = rig.access;
        QCOMPARE(int(a.choose({firstTid, firstEpc})), int(Outcome::Done));
        QCOMPARE(int(a.kill(0x87654321)), int(Outcome::Done));
        QCOMPARE(rig.field().size(), std::size_t(0));
        QByteArray data;
        QCOMPARE(int(a.read(Bank::Epc, 2, 6, 0, &data)), int(Outcome::NoTag));
        QList<QByteArray> epcs;
        QCOMPARE(int(a.tagsInField(&epcs)), int(Outcome::Done));
        QVERIFY(epcs.isEmpty());
    }

    void tagsInTheField() {
        Rig rig;
        rig.field().present(sim::Gen2Tag(sim::Bytes(12, 0x22), 2), 90);
        rig.device.reader.uhfModule().setRoundReplies(sim::UhfModule::RoundReplies::Every);
        QList<QByteArray> epcs;
        QCOMPARE(int(rig.access.tagsInField(&epcs)), int(Outcome::Done));
        QCOMPARE(epcs, (QList<QByteArray>{firstEpc, QByteArray(12, 0x22)}));
    }
};

QTEST_GUILESS_MAIN(TagAccessTest)
#include "tag_access_test.moc"
