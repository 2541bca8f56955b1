#include "protocol/reader_link.h"
#include "support/recording_log.h"
#include "support/scripted_device.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace {
const QString noon = QStringLiteral("12:00:05 PM");
}

class ReaderLinkTest : public QObject {
    Q_OBJECT

    ScriptedDevice* device = nullptr;
    RecordingLog* log = nullptr;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(12, 0, 5))};
    ReaderLink* link = nullptr;
    bool debug = false;

  private slots:
    void init() {
        device = new ScriptedDevice;
        log = new RecordingLog;
        link = new ReaderLink(*device, *log, clock);
        debug = false;
        link->setDebugSource([this] { return debug; });
    }
    void cleanup() {
        delete link;
        delete log;
        delete device;
    }

    void sendWritesTheFrameAndKeepsTheReplyFrame() {
        device->reply("AA 00 02 00 12 10 BB 99 99");
        link->Send("83");
        QCOMPARE(device->written, QStringList{"AA00018382BB"});
        QCOMPARE(link->ReplyText(), QString("AA0002001210BB"));
        QVERIFY(log->texts.isEmpty());
    }

    void addressComesFromTheSelector() {
        link->setAddressSource([] { return QStringLiteral("10"); });
        link->Send("83");
        QCOMPARE(device->written, QStringList{"AA10018392BB"});
    }

    void sendUhfTunnelsTheModuleFrame() {
        link->SendUHF("bb 00 22 00 00 22 7e ");
        QCOMPARE(device->written, QStringList{"AA0008CEBB00220000227E03BB"});
    }

    void noReplyBytesLeaveTheReplyEmpty() {
        link->setReplyText("AA0001000055BB");
        link->Send("83");
        QCOMPARE(link->ReplyText(), QString());
        QCOMPARE(link->judge(ReplyTexts("ok", "bad")), ReplyStatus::NoReply);
    }

    void lengthBeyondTheReceiveBufferIsCut() {
        QByteArray reply(245, '\x11');
        reply[0] = char(0xAA);
        reply[2] = char(0xFF);
        device->replies << reply;
        link->Send("83");
        QCOMPARE(link->ReplyText().size(), 2 * 245);
    }

    void shortWriteEmptiesTheReply() {
        link->setReplyText("AA0001000055BB");
        device->writeResult = 0;
        link->Send("83");
        QCOMPARE(link->ReplyText(), QString());
        QCOMPARE(log->texts, QStringList{QString::fromUtf8("无有效数据，请检查设备是否联接....")});
    }

    // The library's reason follows the usual line; with none, the log is as it always was.
    // The installed rule covers the known ids (and a device the library cannot
    // name); any other id gets the line of a rule of its own.
    void failedWriteSaysWhyWhenTheLibraryKnows_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("lines");
        const QString usual = QString::fromUtf8("无有效数据，请检查设备是否联接....");
        const QString covered = QString::fromUtf8(
            "没有读写 /dev/hidraw3 的权限：udev 规则 70-rfid-setup.rules 只让在本机桌面登录的用户"
            "（uaccess）打开读卡器；请确认已安装 rfid-setup 软件包（手工安装后运行 sudo udevadm "
            "control --reload && sudo udevadm trigger），在桌面会话中使用，然后拔下读卡器再插上");
        QTest::newRow("no device") << int(ReaderFailure::None) << "" << QStringList{usual};
        QTest::newRow("no permission, known id")
            << int(ReaderFailure::NoPermission) << "0483:5750" << QStringList{usual, covered};
        QTest::newRow("no permission, id unknown")
            << int(ReaderFailure::NoPermission) << "" << QStringList{usual, covered};
        QTest::newRow("no permission, added id")
            << int(ReaderFailure::NoPermission) << "0483:5751"
            << QStringList{
                   usual,
                   QString::fromUtf8(
                       "没有读写 /dev/hidraw3 的权限：udev 规则 70-rfid-setup.rules 不包括读卡器 "
                       "0483:5751；请以 root 把这一行写入 "
                       "/etc/udev/rules.d/70-rfid-setup-local.rules：SUBSYSTEM==\"hidraw\", "
                       "ATTRS{idVendor}==\"0483\", ATTRS{idProduct}==\"5751\", TAG+=\"uaccess\"，"
                       "再运行 sudo udevadm control --reload && sudo udevadm trigger，"
                       "然后拔下读卡器再插上")};
        QTest::newRow("unplugged")
            << int(ReaderFailure::DeviceGone) << "0483:5750"
            << QStringList{usual,
                           QString::fromUtf8("读卡器 /dev/hidraw3 已断开：请重新插上读卡器")};
    }
    void failedWriteSaysWhyWhenTheLibraryKnows() {
        QFETCH(int, kind);
        QFETCH(QString, id);
        QFETCH(QStringList, lines);
        device->writeResult = 0;
        device->failure = {ReaderFailure::Kind(kind), QStringLiteral("/dev/hidraw3"), id};
        link->Send("83");
        QCOMPARE(log->texts, lines);
        QCOMPARE(link->ReplyText(), QString());
    }

    void unavailableLibraryIsOneLine() {
        device->unavailable = QString::fromUtf8("无法加载读卡器库 libreaderhid.so：not found");
        link->setReplyText("AA0001000055BB");
        link->Send("83");
        QVERIFY(device->written.isEmpty());
        QCOMPARE(link->ReplyText(), QString());
        QCOMPARE(log->texts, QStringList{device->unavailable});
    }

    void oversizedFrameIsNotSent() {
        link->setReplyText("AA0001000055BB");
        link->Send(QString("00").repeated(251));
        QVERIFY(device->written.isEmpty());
        QCOMPARE(link->ReplyText(), QString());
        QCOMPARE(
            log->texts,
            QStringList{QString::fromUtf8("命令帧有 256 字节，超过 255 字节的发送缓冲，未发送   ") +
                        noon});
        log->texts.clear();
        link->Send(QString("00").repeated(250));
        QCOMPARE(device->written.size(), 1);
    }

    void oddDigitsAreNotSent() {
        link->setReplyText("AA0001000055BB");
        link->Send("0f 1");
        link->SendUHF("bb 00 2");
        QVERIFY(device->written.isEmpty());
        QCOMPARE(link->ReplyText(), QString());
        const QStringList expected = {
            QString::fromUtf8("十六进制数据有 3 位，不是整字节，命令未发送   ") + noon,
            QString::fromUtf8("十六进制数据有 5 位，不是整字节，命令未发送   ") + noon};
        QCOMPARE(log->texts, expected);
    }

    void debugLogsBothFrames() {
        debug = true;
        device->reply("AA0002001210BB");
        link->SendHex("aa 00 01 83 82 bb");
        const QStringList expected = {QString::fromUtf8("发送...aa00018382bb"),
                                      QString::fromUtf8("接收...AA0002001210BB")};
        QCOMPARE(log->texts, expected);
    }

    void judgeWritesOneOutcome_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("status");
        const QString s = QString::fromUtf8("读写器地址设置成功   ");
        const QString f = QString::fromUtf8("读写器地址设置失败   ");
        QTest::newRow("success") << "AA000100..BB" << QStringList{s + noon + "\r\n"}
                                 << int(ReplyStatus::Success);
        QTest::newRow("no card") << "AA0002018381BB"
                                 << QStringList{f + noon, QString::fromUtf8("卡不存在....\r\n")}
                                 << int(ReplyStatus::Failure);
        QTest::newRow("command failed")
            << "AA0002010102BB" << QStringList{f + noon, QString::fromUtf8("命令操作失败.....\r\n")}
            << int(ReplyStatus::Failure);
        QTest::newRow("unknown code")
            << "AA0002010605BB" << QStringList{f + noon, "\r\n"} << int(ReplyStatus::Failure);
        QTest::newRow("failure without code")
            << "AA000101" << QStringList{f + noon, "\r\n"} << int(ReplyStatus::Failure);
        QTest::newRow("garbled") << "AA0001020103BB"
                                 << QStringList{QString::fromUtf8("数据丢包，流水校验出错   ") +
                                                noon + "\r\n"}
                                 << int(ReplyStatus::Garbled);
        QTest::newRow("too short for a status")
            << "AA00" << QStringList{QString::fromUtf8("数据丢包，流水校验出错   ") + noon + "\r\n"}
            << int(ReplyStatus::Garbled);
        QTest::newRow("empty") << ""
                               << QStringList{QString::fromUtf8("通讯错误，没有接收到数据..   ") +
                                              noon + "\r\n"}
                               << int(ReplyStatus::NoReply);
    }
    void judgeWritesOneOutcome() {
        QFETCH(QString, reply);
        QFETCH(QStringList, lines);
        QFETCH(int, status);
        link->setReplyText(reply);
        const ReplyTexts texts{QString::fromUtf8("读写器地址设置成功   "),
                               QString::fromUtf8("读写器地址设置失败   ")};
        QCOMPARE(int(link->judge(texts)), status);
        QCOMPARE(log->texts, lines);
    }

    void successDataAndLineBreakFollowThePage() {
        device->reply("AA000200127FBB");
        ReplyTexts texts{QString::fromUtf8("系统地址为 : "), QString()};
        texts.data = [](const QString& reply) { return reply.mid(8, 2) + "   "; };
        link->command("83", 300, texts);
        QCOMPARE(log->texts, QStringList{QString::fromUtf8("系统地址为 : 12   ") + noon + "\r\n"});
        log->texts.clear();
        device->reply("AA000200127FBB");
        link->command("83", 300, ReplyTexts{"ok ", "", false});
        QCOMPARE(log->texts, QStringList{"ok " + noon});
    }

    void delayEndsAtOnceAfterAReply() {
        link->setReplyText("AA0001000055BB");
        QElapsedTimer timer;
        timer.start();
        link->Delay(5000);
        QVERIFY(timer.elapsed() < 4000);
    }

    void delayLastsItsTimeWithoutAReply() {
        QElapsedTimer timer;
        timer.start();
        link->Delay(300);
        QVERIFY(timer.elapsed() >= 299);
    }

    void delayEndsWhenAnEventFillsTheReply() {
        QTimer::singleShot(50, link, [this] { link->setReplyText("AA0001000055BB"); });
        QElapsedTimer timer;
        timer.start();
        link->Delay(10000);
        QVERIFY(timer.elapsed() < 9000);
        QCOMPARE(link->ReplyText(), QString("AA0001000055BB"));
    }

    void delayyLastsItsTimeAndHandlesEvents() {
        link->setReplyText("AA0001000055BB");
        bool handled = false;
        QTimer::singleShot(20, link, [&] { handled = true; });
        QElapsedTimer timer;
        timer.start();
        link->Delayy(300);
        QVERIFY(timer.elapsed() >= 299);
        QVERIFY(handled);
    }

    void abortedWaitsReturnAtOnce() {
        QTimer::singleShot(20, link, [this] { link->abortWaits(); });
        QElapsedTimer timer;
        timer.start();
        link->Delayy(10000);
        link->Delayy(10000);
        QVERIFY(timer.elapsed() < 9000);
    }
};

QTEST_GUILESS_MAIN(ReaderLinkTest)
#include "reader_link_test.moc"
