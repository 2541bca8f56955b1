#include "support/module_replies.h"
#include "support/recording_log.h"
#include "support/scripted_device.h"
#include "uhf/module_settings.h"

#include <QTest>
#include <functional>

namespace {

using Outcome = ModuleSettings::Outcome;

struct Rig {
    ScriptedDevice device;
    RecordingLog log;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0))};
    ReaderLink link{device, log, clock};
    ModuleSettings settings{link};

    void answer(std::initializer_list<QString> moduleReplies) {
        for (const QString& reply : moduleReplies)
            device.reply(carrying(reply));
    }
};

QString ok(const char* command) {
    return moduleFrame(QStringLiteral("01 %1 00 01 00").arg(QLatin1String(command)));
}

// One operation, the module's replies to it, and what must come of it.
struct Case {
    const char* name;
    std::function<Outcome(ModuleSettings&)> run;
    QStringList replies;
    QStringList sent; // module frames, in order
    Outcome outcome;
    QString error;
};

} // namespace

class ModuleSettingsTest : public QObject {
    Q_OBJECT
  private slots:
    void setsAreSentThenReadBack() {
        const QString busy = moduleErrorText(QStringLiteral("17"));
        const Case cases[] = {
            {"power 20 dBm",
             [](ModuleSettings& s) { return s.setPower(2000); },
             {ok("B6"), moduleFrame("01 B7 00 02 07 D0")},
             {"BB 00 B6 00 02 07 D0 8F 7E", "BB 00 B7 00 00 B7 7E"},
             Outcome::Done,
             {}},
            {"power read back lower",
             [](ModuleSettings& s) { return s.setPower(2000); },
             {ok("B6"), moduleFrame("01 B7 00 02 07 08")},
             {"BB 00 B6 00 02 07 D0 8F 7E", "BB 00 B7 00 00 B7 7E"},
             Outcome::Mismatch,
             QStringLiteral("发射功率回读为 18.00 dBm，与设置的 20.00 dBm 不符")},
            {"power refused: no read back",
             [](ModuleSettings& s) { return s.setPower(4000); },
             {moduleFrame("01 FF 00 01 17")},
             {"BB 00 B6 00 02 0F A0 67 7E"},
             Outcome::Refused,
             busy},
            {"region China 900",
             [](ModuleSettings& s) { return s.setRegion(uhfRegion::china900); },
             {ok("07"), moduleFrame("01 08 00 01 01")},
             {"BB 00 07 00 01 01 09 7E", "BB 00 08 00 00 08 7E"},
             Outcome::Done,
             {}},
            {"region read back as US",
             [](ModuleSettings& s) { return s.setRegion(uhfRegion::europe); },
             {ok("07"), moduleFrame("01 08 00 01 02")},
             {"BB 00 07 00 01 03 0B 7E", "BB 00 08 00 00 08 7E"},
             Outcome::Mismatch,
             QStringLiteral("工作区域回读为 美国，与设置的 欧洲 不符")},
            {"channel 1",
             [](ModuleSettings& s) { return s.setChannel(1); },
             {ok("AB"), moduleFrame("01 AA 00 01 01")},
             {"BB 00 AB 00 01 01 AD 7E", "BB 00 AA 00 00 AA 7E"},
             Outcome::Done,
             {}},
            {"hopping on",
             [](ModuleSettings& s) { return s.setHopping(true); },
             {ok("AD")},
             {"BB 00 AD 00 01 FF AD 7E"},
             Outcome::Done,
             {}},
            {"hopping off",
             [](ModuleSettings& s) { return s.setHopping(false); },
             {ok("AD")},
             {"BB 00 AD 00 01 00 AE 7E"},
             Outcome::Done,
             {}},
            {"query default",
             [](ModuleSettings& s) { return s.setQuery(QueryParameters::fromWord(0x1020)); },
             {ok("0E"), moduleFrame("01 0D 00 02 10 20")},
             {"BB 00 0E 00 02 10 20 40 7E", "BB 00 0D 00 00 0D 7E"},
             Outcome::Done,
             {}},
            {"query S1, target B, Q 7 keeps the other bits",
             [](ModuleSettings& s) {
                 QueryParameters query = QueryParameters::fromWord(0x1020);
                 query.session = 1;
                 query.targetB = true;
                 query.q = 7;
                 return s.setQuery(query);
             },
             {ok("0E"), moduleFrame("01 0D 00 02 11 B8")},
             {"BB 00 0E 00 02 11 B8 D9 7E", "BB 00 0D 00 00 0D 7E"},
             Outcome::Done,
             {}},
            {"set answered for another command",
             [](ModuleSettings& s) { return s.setChannel(2); },
             {ok("AD")},
             {"BB 00 AB 00 01 02 AE 7E"},
             Outcome::Garbled,
             QStringLiteral("数据丢包，流水校验出错")},
            {"read back with a bad checksum",
             [](ModuleSettings& s) { return s.setChannel(2); },
             {ok("AB"), QStringLiteral("BB01AA00010200 7E")},
             {"BB 00 AB 00 01 02 AE 7E", "BB 00 AA 00 00 AA 7E"},
             Outcome::Garbled,
             QStringLiteral("数据丢包，流水校验出错")},
        };
        for (const Case& c : cases) {
            Rig rig;
            for (const QString& reply : c.replies)
                rig.answer({reply});
            QCOMPARE(int(c.run(rig.settings)), int(c.outcome));
            QStringList expected;
            for (const QString& frame : c.sent)
                expected << tunnelled(frame);
            QVERIFY2(rig.device.written == expected, c.name);
            QVERIFY2(rig.settings.errorText() == c.error, qPrintable(rig.settings.errorText()));
        }
    }

    void readsTellWhatTheModuleKeeps() {
        Rig rig;
        rig.answer({moduleFrame(QStringLiteral("01 03 00 10 00") + GetAscii("M100 26dBM V1.0")),
                    moduleFrame("01 B7 00 02 0A 28"), moduleFrame("01 08 00 01 02"),
                    moduleFrame("01 AA 00 01 33"), moduleFrame("01 0D 00 02 12 A0")});
        QString hardware;
        QCOMPARE(rig.settings.readInfo(ModuleSettings::Info::Hardware, &hardware), Outcome::Done);
        QCOMPARE(hardware, QString("M100 26dBM V1.0"));
        int power = 0;
        QCOMPARE(rig.settings.readPower(&power), Outcome::Done);
        QCOMPARE(power, 2600);
        int region = 0;
        QCOMPARE(rig.settings.readRegion(&region), Outcome::Done);
        QCOMPARE(region, uhfRegion::us);
        int channel = 0;
        QCOMPARE(rig.settings.readChannel(&channel), Outcome::Done);
        QCOMPARE(channel, 0x33);
        QueryParameters query;
        QCOMPARE(rig.settings.readQuery(&query), Outcome::Done);
        QCOMPARE(query.session, 2);
        QVERIFY(query.targetB);
        QCOMPARE(query.q, 4);
        QCOMPARE(rig.device.written,
                 (QStringList{tunnelled("BB 00 03 00 01 00 04 7E"), tunnelled("BB00B70000B77E"),
                              tunnelled("BB0008000008 7E"), tunnelled("BB00AA0000AA7E"),
                              tunnelled("BB000D00000D7E")}));
    }

    void failuresOfTheLinkAreNamed() {
        Rig rig;
        int power = 0;
        QCOMPARE(rig.settings.readPower(&power), Outcome::NoReply);
        QCOMPARE(rig.settings.errorText(), QStringLiteral("通讯错误，没有接收到数据.."));
        // The reader itself refuses the tunnel.
        rig.device.reply(QStringLiteral("AA 00 02 01 83 80 BB"));
        QCOMPARE(rig.settings.readPower(&power), Outcome::Refused);
        QCOMPARE(rig.settings.errorText(), QStringLiteral("卡不存在...."));
        // Module information that answers another question.
        rig.answer({moduleFrame("01 03 00 03 01 56 32")});
        QString text;
        QCOMPARE(rig.settings.readInfo(ModuleSettings::Info::Manufacturer, &text),
                 Outcome::Garbled);
        QVERIFY(text.isEmpty());
    }

    void queryWordLayout() {
        const QueryParameters fallback = QueryParameters::fromWord(0x1020);
        QCOMPARE(fallback.session, 0);
        QVERIFY(!fallback.targetB);
        QCOMPARE(fallback.q, 4);
        QCOMPARE(fallback.word(), 0x1020);
        // Every bit outside session, target and Q survives a change of those.
        QueryParameters all = QueryParameters::fromWord(0xFFFF);
        QCOMPARE(all.session, 3);
        QCOMPARE(all.q, 15);
        all.session = 0;
        all.targetB = false;
        all.q = 0;
        QCOMPARE(all.word(), 0xFC07);
    }

    void channelPlans() {
        const struct {
            int region;
            int index;
            double mhz;
        } plans[] = {{uhfRegion::china900, 1, 920.375}, {uhfRegion::china800, 0, 840.125},
                     {uhfRegion::us, 51, 927.75},       {uhfRegion::europe, 2, 865.5},
                     {uhfRegion::korea, 3, 917.7},      {0x09, 1, 0}};
        for (const auto& plan : plans)
            QCOMPARE(uhfRegion::channelMHz(plan.region, plan.index), plan.mhz);
        QCOMPARE(uhfRegion::name(0x09), QStringLiteral("区域 09"));
        QCOMPARE(ModuleSettings::maximumPowerDbm("M100 26dBM V1.0"), 26);
        QCOMPARE(ModuleSettings::maximumPowerDbm("M200 30 dBm"), 30);
        QCOMPARE(ModuleSettings::maximumPowerDbm("V2.3.5"), 26);
    }
};

QTEST_GUILESS_MAIN(ModuleSettingsTest)
#include "module_settings_test.moc"
