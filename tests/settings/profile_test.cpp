#include "protocol/hex_text.h"
#include "protocol/status.h"
#include "settings/configuration_record.h"
#include "settings/profile_applier.h"
#include "support/recording_log.h"
#include "support/sim_device.h"
#include "uhf/issuing_journal.h"
#include "uhf/module_frame.h"
#include "uhf/module_settings.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace settings;
using Outcome = SettingResult::Outcome;

namespace {

Profile parsed(const QByteArray& text) {
    QStringList problems;
    const std::optional<Profile> profile =
        Profile::parse(text, QStringLiteral("site.ini"), &problems);
    if (!profile)
        qFatal("%s", qPrintable(problems.join('\n')));
    return *profile;
}

QString outcomes(const QList<SettingResult>& results) {
    QStringList list;
    for (const SettingResult& r : results)
        list << r.setting + '=' + outcomeName(r.outcome);
    return list.join(' ');
}

// The simulated reader behind a link with a fixed clock, and what it logged.
// After `failAfter` frames it is unplugged; `beforeFrame` runs before each.
struct Rig : SimDevice {
    RecordingLog log;
    FixedClock clock{QDateTime(QDate(2024, 5, 6), QTime(14, 5, 9))};
    ReaderLink link{*this, log, clock};
    int failAfter = -1;
    std::function<void(const QString&)> beforeFrame;
    // Replies come with a status that is neither 00 nor 01.
    bool garbled = false;

    int write(const QByteArray& frame) override {
        if (failAfter >= 0 && int(written.size()) >= failAfter)
            return -1;
        if (beforeFrame)
            beforeFrame(hex::fromBytes(frame));
        return SimDevice::write(frame);
    }
    int read(unsigned char* buffer, int capacity) override {
        const int count = SimDevice::read(buffer, capacity);
        if (garbled && count > 3)
            buffer[3] = 0x02;
        return count;
    }
    ReaderFailure lastFailure() override {
        return failAfter >= 0 && int(written.size()) >= failAfter
                   ? ReaderFailure{ReaderFailure::DeviceGone, QStringLiteral("/dev/hidraw3"), {}}
                   : ReaderFailure{};
    }
    QList<SettingResult> apply(const QByteArray& text, bool keepGoing = false) {
        ProfileApplier applier(link);
        applier.keepGoing = keepGoing;
        return applier.apply(parsed(text));
    }
};

} // namespace

class ProfileTest : public QObject {
    Q_OBJECT
  private slots:
    void validation_data();
    void validation();
    void templateSendsThePagesDefaultFrames();
    void everySettingIsAppliedAndReadBack();
    void decimalsAreReadByValue_data();
    void decimalsAreReadByValue();
    void refusalStopsUnlessKeepGoing_data();
    void refusalStopsUnlessKeepGoing();
    void readBackDifferenceIsAFailure();
    void garbledReplyIsAFailure();
    void readerGoneStopsItsSettings();
    void moduleSettingsAreAppliedAndReadBack();
    void moduleRefusalStopsUnlessKeepGoing_data();
    void moduleRefusalStopsUnlessKeepGoing();
    void secretIsSavedOwnerOnly();
    void applicationsAreRecorded();
    void firstRecordsOnPostgresWaitForTheJournalsSchemaLock();
};

void ProfileTest::validation_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("problems");
    auto row = [](const char* name, const char* text, QStringList problems) {
        QTest::newRow(name) << QByteArray(text) << problems;
    };
    row("bad key, bad value, unknown page",
        "# site\n[uhf_machine]\nrf_powr = 1\nrf_power = 10\n[serial]\nbaud = 9600\n",
        {"site.ini:3: [uhf_machine] 中没有“rf_powr”这一项",
         "site.ini:4: uhf_machine.rf_power 须为 0 到 9 的十进制数，不能是“10”",
         "site.ini:5: 未知的节 [serial]"});
    row("outside a section", "rf_power = 1\n", {"site.ini:1: “rf_power”不在任何 [节] 之内"});
    row("twice", "[relay]\nstate = on\nstate = off\n",
        {"site.ini:3: relay.state 给了两次（第一次在第 2 行）"});
    row("not an entry", "[relay]\nstate\n",
        {"site.ini:2: 既不是“[节]”也不是“键 = 值”：“state”"});
    row("flag", "[output_format]\nrssi = yes\n",
        {"site.ini:2: output_format.rssi 只能是 on 或 off，不能是“yes”"});
    row("format code", "[output_format]\nformat = 11\n",
        {"site.ini:2: output_format.format 须为 07 0C 0D 03 0B 06 0E 08 09 0A 05 0F 00 01 02 04 "
         "10 custom 之一，不能是“11”"});
    row("custom length", "[output_format]\ncustom_bytes = 128\n",
        {"site.ini:2: output_format.custom_bytes 须为 0 到 127 的十进制数，不能是“128”"});
    row("signed decimal", "[uhf_machine]\nsearch_interval = +5\n",
        {"site.ini:2: uhf_machine.search_interval 须为 0 到 255 的十进制数，不能是“+5”"});
    row("five prefix bytes", "[prefix_suffix]\nprefix = 30 31 32 33 34\n",
        {"site.ini:2: prefix_suffix.prefix 须为 0 到 4 个十六进制字节，不能是“30 31 32 33 34”"});
    row("half a byte", "[prefix_suffix]\nsuffix = 3\n",
        {"site.ini:2: prefix_suffix.suffix 须为 0 到 4 个十六进制字节，不能是“3”"});
    row("pulse width zero", "[uhf_machine]\nwiegand_low_pulse = 00\n",
        {"site.ini:2: uhf_machine.wiegand_low_pulse 须为 01 到 FF 的一个十六进制字节，不能是“00”"});
    row("password length", "[read_mode]\narea_password = 00 00 00\n",
        {"site.ini:2: read_mode.area_password 须为 4 个十六进制字节，不能是“00 00 00”"});
    row("baud rate", "[uhf_machine]\nbaud_rate = 4800\n",
        {"site.ini:2: uhf_machine.baud_rate 须为 9600 19200 38400 57600 115200 之一，不能是“4800”"});
    row("comma in network name", "[wifi]\npassword = \"password\"\nname = a,b\n",
        {"site.ini:3: Wifi名称中不能有逗号，命令未发送"});
    row("module power", "[uhf_module]\npower = 40\n",
        {"site.ini:2: uhf_module.power 须为 5 到 33 的十进制数，不能是“40”"});
    row("module region", "[uhf_module]\nregion = jp\n",
        {"site.ini:2: uhf_module.region 须为 cn900 cn800 us eu kr 之一，不能是“jp”"});
    row("channel beyond its region", "[uhf_module]\nregion = eu\nchannel = 15\n",
        {"site.ini:3: uhf_module.channel 在区域 eu 中须为 0 到 14，不能是“15”"});
    row("module target", "[uhf_module]\ntarget = c\n",
        {"site.ini:2: uhf_module.target 须为 a b 之一，不能是“c”"});
    row("module hopping", "[uhf_module]\nhopping = auto\n",
        {"site.ini:2: uhf_module.hopping 只能是 on 或 off，不能是“auto”"});
    row("nothing to send", "# only a comment\n[relay]\n", {"site.ini: 没有任何设置"});
    row("not UTF-8", "[wifi]\nname = \xB0\xEC\n", {"site.ini: 不是 UTF-8 文本"});
}

void ProfileTest::validation() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, problems);
    QStringList found;
    QVERIFY(!Profile::parse(text, QStringLiteral("site.ini"), &found));
    QCOMPARE(found, problems);
}

// Applied to a reader, the template sends what the pages send with their
// controls at the defaults, in the pages' order, with the pages' log lines.
void ProfileTest::templateSendsThePagesDefaultFrames() {
    Rig rig;
    const QList<SettingResult> results = rig.apply(Profile::templateText().toUtf8());
    QVERIFY(allSucceeded(results));
    QCOMPARE(rig.written, QStringList({"AA0009820F00000001010100 85BB", "AA0006CB0130313233CCBB",
                                       "AA0006CB0231323334CBBB", "AA0002C10AC9BB", "AA0002C20ACABB",
                                       "AA0002BD0AB5BB", "AA0004C3010101C6BB", "AA0002C400C6BB",
                                       "AA0002C502C5BB", "AA0002CC02CCBB", "AA0002C600C4BB",
                                       "AA0002C909C2BB", "AA0002C70ACFBB", "AA0002C80AC0BB",
                                       "AA00020F010CBB", "AA00028700 85BB", "AA000183 82BB"})
                              .replaceInStrings(" ", ""));
    QCOMPARE(rig.log.texts.mid(0, 2),
             QStringList({"输出格式设置成功   02:05:09 PM\r\n", "前缀设置成功   02:05:09 PM\r\n"}));
    QVERIFY(rig.log.texts.contains("设置 主动寻单卡EPC号 成功   02:05:09 PM"));
}

void ProfileTest::everySettingIsAppliedAndReadBack() {
    Rig rig;
    const QList<SettingResult> results = rig.apply(
        "[output_format]\nformat = custom\ncustom_bytes = 12\nsemicolon = on\nquestion_mark = on\n"
        "comma = on\ncarriage_return = off\nlarge_buzzer = off\nrssi = on\n"
        "[prefix_suffix]\nprefix = 41 42\nsuffix =\n"
        "[uhf_machine]\nsearch_interval = 25\nfilter_count = 3\nread_wait = 7\n"
        "serial_output = off\nwiegand_output = on\nusb_output = off\nbaud_rate = 115200\n"
        "terminator = 1\nrf_power = 9\nwiegand_format = 3\nwiegand_position = 11\n"
        "wiegand_low_pulse = 25\nwiegand_idle_width = FF\n"
        "[read_mode]\nmode = memory_area\narea_bank = 01\narea_password = 11223344\n"
        "area_address = 02\narea_length = 06\n"
        "[relay]\nstate = on\n"
        "[wifi]\nname = \"办公室WiFi\"\npassword = \" pass word \"\n"
        "[check]\nversion = UHF915-OUT V3.2 2023-06\n");
    QCOMPARE(outcomes(results),
             "output_format=success prefix=success suffix=success search_interval=success "
             "filter_count=success read_wait=success output_interfaces=success baud_rate=success "
             "terminator=success rf_power=success wiegand_format=success "
             "wiegand_position=success wiegand_low_pulse=success wiegand_idle_width=success "
             "read_mode=success relay=success wifi=success output_format read back=success "
             "version=success");
    const sim::OutputFormatSettings& f = rig.reader.outputFormat();
    QCOMPARE(f.formatCode, 0x8C);
    QVERIFY(f.semicolon && f.questionMark && f.comma && !f.carriageReturn && !f.largeBuzzer &&
            f.rssi);
    const sim::UhfMachineSettings& m = rig.reader.uhfMachine();
    QCOMPARE(m.prefix, sim::Bytes({0x41, 0x42}));
    QVERIFY(m.suffix.empty());
    QCOMPARE((std::vector<int>{m.searchInterval, m.filterCount, m.readWait, m.baudCode,
                               m.terminator, m.rfPower, m.wiegandFormat, m.wiegandPosition,
                               m.wiegandLowPulse, m.wiegandIdleWidth}),
             (std::vector<int>{25, 3, 7, 4, 1, 9, 3, 11, 0x25, 0xFF}));
    QVERIFY(!m.serialOutput && m.wiegandOutput && !m.usbOutput && m.relayOn);
    QCOMPARE(m.readMode, sim::ReadMode::MemoryArea);
    QCOMPARE((std::vector<int>{m.areaBank, m.areaPassword[0], m.areaPassword[3], m.areaAddress,
                               m.areaLength}),
             (std::vector<int>{1, 0x11, 0x44, 2, 6}));
    QCOMPARE(rig.reader.wifiModule().joinedName, std::string("\xB0\xEC\xB9\xAB\xCA\xD2WiFi"));
    QCOMPARE(rig.reader.wifiModule().password, std::string(" pass word "));
}

// Each module setting set through the tunnel and read back (the module keeps
// them), the Query bits the profile does not name left as they were.
void ProfileTest::moduleSettingsAreAppliedAndReadBack() {
    Rig rig;
    const QList<SettingResult> results =
        rig.apply("[uhf_module]\nregion = us\nchannel = 3\nhopping = off\npower = 20\n"
                  "session = 1\ntarget = B\nq = 6\n");
    QCOMPARE(outcomes(results),
             "uhf_module.region=success uhf_module.channel=success uhf_module.hopping=success "
             "uhf_module.power=success uhf_module.query=success");
    QCOMPARE(rig.log.texts,
             QStringList({"设置工作区域 美国 成功   02:05:09 PM", "设置信道 3 成功   02:05:09 PM",
                          "关闭跳频 成功   02:05:09 PM", "设置发射功率 20 dBm 成功   02:05:09 PM",
                          "设置 Query 参数 S1 B Q=6 成功   02:05:09 PM"}));
    ModuleSettings module(rig.link);
    int region = 0, channel = 0, power = 0;
    QueryParameters query;
    QCOMPARE(module.readRegion(&region), ModuleSettings::Outcome::Done);
    QCOMPARE(module.readChannel(&channel), ModuleSettings::Outcome::Done);
    QCOMPARE(module.readPower(&power), ModuleSettings::Outcome::Done);
    QCOMPARE(module.readQuery(&query), ModuleSettings::Outcome::Done);
    QCOMPARE((std::vector<int>{region, channel, power, query.word()}),
             (std::vector<int>{uhfRegion::us, 3, 2000, 0x11B0}));
}

// 30 dBm is beyond the simulated 26 dBm module: its error in words, and the
// Query parameters after it only with keep going.
void ProfileTest::moduleRefusalStopsUnlessKeepGoing_data() {
    QTest::addColumn<bool>("keepGoing");
    QTest::addColumn<QString>("outcomes");
    QTest::newRow("stop") << false << "uhf_module.power=refused uhf_module.query=not sent";
    QTest::newRow("keep going") << true << "uhf_module.power=refused uhf_module.query=success";
}
void ProfileTest::moduleRefusalStopsUnlessKeepGoing() {
    QFETCH(bool, keepGoing);
    QFETCH(QString, outcomes);
    Rig rig;
    const QList<SettingResult> results = rig.apply("[uhf_module]\npower = 30\nq = 5\n", keepGoing);
    QCOMPARE(::outcomes(results), outcomes);
    QCOMPARE(results[0].detail, uhf::errorText(0x17));
    QCOMPARE(rig.log.texts.mid(0, 2), QStringList({"设置发射功率 30 dBm 失败   02:05:09 PM",
                                                   uhf::errorText(0x17) + "\r\n"}));
}

void ProfileTest::decimalsAreReadByValue_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("payload");
    for (const char* bytes : {"0", "00", "000"})
        QTest::addRow("custom_bytes %s: the whole number", bytes)
            << "[output_format]\nformat = custom\ncustom_bytes = " + QByteArray(bytes) + '\n'
            << "82010000000101"
               "0100";
    for (const char* bytes : {"10", "010"})
        QTest::addRow("custom_bytes %s", bytes)
            << "[output_format]\nformat = custom\ncustom_bytes = " + QByteArray(bytes) + '\n'
            << "828A0000000101"
               "0100";
    QTest::newRow("rf_power 007") << QByteArray("[uhf_machine]\nrf_power = 007\n") << "cc07";
}

void ProfileTest::decimalsAreReadByValue() {
    QFETCH(QByteArray, text);
    QFETCH(QString, payload);
    QCOMPARE(parsed(text).settings().first().payload, payload);
}

void ProfileTest::refusalStopsUnlessKeepGoing_data() {
    QTest::addColumn<bool>("keepGoing");
    QTest::addColumn<QString>("outcomes");
    QTest::newRow("stop") << false
                          << "rf_power=success wiegand_position=refused "
                             "wiegand_low_pulse=not sent version=not sent";
    QTest::newRow("keep going") << true
                                << "rf_power=success wiegand_position=refused "
                                   "wiegand_low_pulse=success version=success";
}

// The reader takes the value position from a 12-byte number: 12 is refused.
void ProfileTest::refusalStopsUnlessKeepGoing() {
    QFETCH(bool, keepGoing);
    QFETCH(QString, outcomes);
    Rig rig;
    const QList<SettingResult> results =
        rig.apply("[uhf_machine]\nrf_power = 5\nwiegand_position = 12\nwiegand_low_pulse = 20\n"
                  "[check]\nversion = UHF915-OUT V3.2 2023-06\n",
                  keepGoing);
    QCOMPARE(::outcomes(results), outcomes);
    QCOMPARE(results[1].detail, falsereason(QStringLiteral("10")));
    QCOMPARE(rig.written.size(), keepGoing ? 4 : 2);
    QCOMPARE(rig.log.texts.mid(1, 2),
             QStringList({"维根取值位置 设置失败   02:05:09 PM", falsereason("10") + "\r\n"}));
}

void ProfileTest::readBackDifferenceIsAFailure() {
    Rig rig;
    // Something else changes the reader between setting and reading back.
    rig.beforeFrame = [&rig](const QString& frame) {
        if (frame.startsWith(QLatin1String("AA000183")))
            rig.reader.outputFormat().comma = true;
    };
    rig.reader.outputFormat().version = "UHF915-OUT V3.3";
    const QList<SettingResult> results = rig.apply(
        "[output_format]\nformat = 0d\n[check]\nversion = UHF915-OUT V3.2 2023-06\n", true);
    QCOMPARE(outcomes(results),
             "output_format=success output_format read back=mismatch version=mismatch");
    QCOMPARE(rig.written.first(), QStringLiteral("AA0009820D0000000101010087BB"));
    QCOMPARE(results[1].detail,
             QStringLiteral("the reader reports 0D00000101, the profile sets 0D00000001"));
    QCOMPARE(results[2].detail, QStringLiteral("the reader reports 'UHF915-OUT V3.3'"));
}

void ProfileTest::garbledReplyIsAFailure() {
    Rig rig;
    rig.garbled = true;
    const QList<SettingResult> results =
        rig.apply("[relay]\nstate = on\n[uhf_machine]\nrf_power = 1\n");
    QCOMPARE(outcomes(results), "rf_power=garbled relay=not sent");
    QCOMPARE(rig.log.texts, QStringList({"数据丢包，流水校验出错   02:05:09 PM\r\n"}));
}

void ProfileTest::readerGoneStopsItsSettings() {
    Rig rig;
    rig.failAfter = 1;
    const QList<SettingResult> results =
        rig.apply("[uhf_machine]\nrf_power = 5\nterminator = 1\nwiegand_format = 1\n", true);
    QCOMPARE(outcomes(results), "terminator=success rf_power=no reply wiegand_format=not sent");
    QCOMPARE(results[1].detail, readerFailureText({ReaderFailure::DeviceGone, "/dev/hidraw3", {}}));
}

void ProfileTest::secretIsSavedOwnerOnly() {
    QTemporaryDir dir;
    QString error;
    const QString secret = dir.filePath("secret.ini");
    const QString plain = dir.filePath("plain.ini");
    QVERIFY2(Profile::save(secret, "[wifi]\npassword = \"x\"\n", true, &error), qPrintable(error));
    QVERIFY2(Profile::save(plain, "[relay]\nstate = on\n", false, &error), qPrintable(error));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(secret) & (others | QFile::ReadOwner),
             QFile::Permissions(QFile::ReadOwner));
    QVERIFY(QFile::permissions(plain) & QFile::ReadOther);
    // In a folder that may not be written to the save is refused with the
    // file's name, and the old file stays (root may write anywhere).
    if (getuid() == 0)
        return;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY(!Profile::save(plain, "[relay]\nstate = off\n", false, &error));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(error.startsWith(plain));
    QFile file(plain);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[relay]\nstate = on\n"));
}

void ProfileTest::applicationsAreRecorded() {
    QTemporaryDir dir;
    IssuingJournal journal;
    QVERIFY(journal.open(dir.filePath("journal.sqlite")));
    ConfigurationRecord record(journal.database());
    record.now = [] { return QDateTime(QDate(2024, 5, 6), QTime(6, 5, 9), Qt::UTC); };
    const QList<SettingResult> results{{"rf_power", Outcome::Success, ""},
                                       {"wifi", Outcome::Refused, "say \"no\", twice"}};
    QCOMPARE(record.add("0483:5750 SIM0001", "site", "ab12", results), 1);
    QCOMPARE(record.add("0483:5750 SIM0002", "site", "ab12", {}), 2);
    const QList<ConfigurationRecord::Application> applications = record.applications();
    QCOMPARE(applications.size(), 2);
    QCOMPARE(applications[0].reader, "0483:5750 SIM0001");
    QCOMPARE(outcomes(applications[0].results), "rf_power=success wifi=refused");
    QCOMPARE(applications[1].results.size(), 0);
    QCOMPARE(ConfigurationRecord::csv(applications),
             "id,time,reader,profile,profile_hash,setting,outcome,detail\n"
             "1,2024-05-06T06:05:09Z,0483:5750 SIM0001,site,ab12,rf_power,success,\n"
             "1,2024-05-06T06:05:09Z,0483:5750 SIM0001,site,ab12,wifi,refused,"
             "\"say \"\"no\"\", twice\"\n");
}

// Two first records must not create the tables at once: the one that finds the
// journal's schema lock taken waits (here: until its lock time-out).
void ProfileTest::firstRecordsOnPostgresWaitForTheJournalsSchemaLock() {
    const QByteArray url = qgetenv("RFID_TEST_POSTGRES_URL");
    if (url.isEmpty())
        QSKIP("RFID_TEST_POSTGRES_URL is not set (scripts/test starts a server)");
    IssuingJournal holder;
    IssuingJournal journal;
    QVERIFY2(holder.open(QString::fromLatin1(url)), qPrintable(holder.errorText()));
    QVERIFY2(journal.open(QString::fromLatin1(url)), qPrintable(journal.errorText()));
    QSqlQuery(journal.database()).exec("DROP TABLE IF EXISTS configured_settings, configurations");
    QSqlQuery(journal.database()).exec("SET lock_timeout = 300");
    QSqlQuery lock(holder.database());
    QVERIFY(lock.exec("BEGIN"));
    QVERIFY(lock.exec("SELECT pg_advisory_xact_lock(7215)"));
    ConfigurationRecord record(journal.database());
    QCOMPARE(record.add("0483:5750 SIM0001", "site", "ab12", {}), 0);
    QVERIFY2(record.errorText().contains("lock timeout") && !record.errorText().contains('\n'),
             qPrintable(record.errorText()));
    QVERIFY(lock.exec("COMMIT"));
    ConfigurationRecord again(journal.database());
    QVERIFY2(again.add("0483:5750 SIM0001", "site", "ab12", {}) > 0, qPrintable(again.errorText()));
}

QTEST_GUILESS_MAIN(ProfileTest)
#include "profile_test.moc"
