#include "protocol/hex_text.h"
#include "uhf/module_frame.h"

#include <QTest>

using namespace uhf;

namespace {

const QByteArray notice = hex::toBytes(
    QStringLiteral("BB 02 22 00 11 C9 34 00 30 75 1F EB 70 5C 59 04 E3 D5 0D 70 3A 76 EF 7E"));
const QByteArray stopReply = hex::toBytes(QStringLiteral("BB 01 28 00 01 00 2A 7E"));
const QByteArray noTag = hex::toBytes(QStringLiteral("BB 01 FF 00 01 15 16 7E"));

// Each frame as "kind command parameters", for comparing whole readings.
QStringList describe(const QList<ModuleFrame>& frames) {
    QStringList out;
    for (const ModuleFrame& f : frames)
        out << QStringLiteral("%1 %2 %3")
                   .arg(int(f.kind))
                   .arg(hex::byte(f.command))
                   .arg(hex::fromBytes(f.parameters.toByteArray()));
    return out;
}

} // namespace

class ModuleFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void splitsReplies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<int>("damaged");
        const QString noticeFrame = QStringLiteral("3 22 C9340030751FEB705C5904E3D50D703A76");
        const QString stopFrame = QStringLiteral("1 28 00");
        const QString errorFrame = QStringLiteral("2 FF 15");
        QTest::newRow("one notice") << notice << QStringList{noticeFrame} << 0;
        QTest::newRow("notices, then a response")
            << notice + notice + stopReply << QStringList{noticeFrame, noticeFrame, stopFrame} << 0;
        QTest::newRow("error response") << noTag << QStringList{errorFrame} << 0;
        QTest::newRow("command frame") << hex::toBytes(QStringLiteral("BB 00 22 00 00 22 7E"))
                                       << QStringList{QStringLiteral("0 22 ")} << 0;
        QTest::newRow("AA ... DD framing")
            << hex::toBytes(QStringLiteral("AA 01 28 00 01 00 2A DD")) << QStringList{stopFrame}
            << 0;
        QByteArray badSum = notice;
        badSum[22] = char(0xEE);
        QTest::newRow("bad checksum skipped whole")
            << badSum + stopReply << QStringList{stopFrame} << 1;
        QTest::newRow("two bad checksums, two damaged")
            << badSum + badSum + stopReply << QStringList{stopFrame} << 2;
        QByteArray badEnd = notice;
        badEnd[23] = char(0x7D);
        QTest::newRow("bad end mark") << badEnd + stopReply << QStringList{stopFrame} << 1;
        QByteArray badLength = notice;
        badLength[4] = char(0x10);
        QTest::newRow("bad length") << badLength + stopReply << QStringList{stopFrame} << 1;
        QTest::newRow("stray bytes between frames")
            << QByteArray("\x01\x02", 2) + notice + QByteArray("\x7E", 1) + stopReply
            << QStringList{noticeFrame, stopFrame} << 2;
        QTest::newRow("cut at the end")
            << notice + stopReply.left(5) << QStringList{noticeFrame} << 1;
        QTest::newRow("length past the limit")
            << hex::toBytes(QStringLiteral("BB 01 28 FF FF")) + stopReply << QStringList{stopFrame}
            << 1;
        QTest::newRow("empty") << QByteArray() << QStringList{} << 0;
    }
    void splitsReplies() {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, frames);
        QFETCH(int, damaged);
        int counted = -1;
        QCOMPARE(describe(framesOf(reply, &counted)), frames);
        QCOMPARE(counted, damaged);
    }

    // A stream cut at every possible place gives the same frames as in one piece.
    void streamsAcrossChunks() {
        const QByteArray stream = notice + noTag + notice + stopReply;
        for (int cut = 0; cut <= stream.size(); ++cut) {
            ModuleFrameReader reader;
            QStringList seen;
            const auto handler = [&](const ModuleFrame& f) { seen << describe({f}); };
            reader.feed(QByteArrayView(stream).first(cut), handler);
            reader.feed(QByteArrayView(stream).sliced(cut), handler);
            QCOMPARE(seen, describe(framesOf(stream)));
            QCOMPARE(reader.damagedFrames(), 0u);
            QCOMPARE(reader.pendingBytes(), 0);
        }
        ModuleFrameReader reader;
        int frames = 0;
        for (char byte : stream)
            reader.feed(QByteArrayView(&byte, 1), [&](const ModuleFrame&) { ++frames; });
        QCOMPARE(frames, 4);
        reader.feed(notice.left(3), [](const ModuleFrame&) {});
        reader.finish();
        QCOMPARE(reader.damagedFrames(), 1u);
        QCOMPARE(reader.pendingBytes(), 0);
    }

    void decodesNotices() {
        TagNotice n;
        QVERIFY(decodeNotice(framesOf(notice).value(0), &n));
        QCOMPARE(hex::fromBytes(n.epc), QStringLiteral("30751FEB705C5904E3D50D70"));
        QCOMPARE(n.pc, quint16(0x3400));
        QCOMPARE(n.rssi, -55);
        QCOMPARE(n.crc, quint16(0x3A76));
        QVERIFY(!decodeNotice(framesOf(stopReply).value(0), &n));
        const QByteArray shortNotice = hex::toBytes(QStringLiteral("BB 02 22 00 04 C9 34 00 30 55 7E"));
        QVERIFY(!decodeNotice(framesOf(shortNotice).value(0), &n));
    }

    void namesErrors_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("15") << 0x15 << "盘点失败：没有标签应答或 CRC 错误 (15)";
        QTest::newRow("09") << 0x09 << "读取失败：没有标签或 CRC 错误 (09)";
        QTest::newRow("16") << 0x16 << "访问失败：访问密码错误 (16)";
        QTest::newRow("17") << 0x17 << "命令错误：未知命令、参数错误或命令帧校验和错误 (17)";
        QTest::newRow("20") << 0x20 << "跳频失败：所有信道都忙，信道搜索超时 (20)";
        QTest::newRow("A3") << 0xA3 << "读取失败：超出标签存储区，或标签不支持该 EPC 长度 (A3)";
        QTest::newRow("B4") << 0xB4 << "写入失败：标签存储区已锁定 (B4)";
        QTest::newRow("BB") << 0xBB << "写入失败：标签能量不足 (BB)";
        QTest::newRow("C4") << 0xC4 << "锁定失败：标签存储区已锁定 (C4)";
        QTest::newRow("D0") << 0xD0 << "灭活失败：灭活密码为零，标签不能灭活 (D0)";
        QTest::newRow("D4") << 0xD4 << "灭活失败：标签存储区已锁定 (D4)";
        QTest::newRow("E0") << 0xE0 << "块永久锁定失败：标签其他错误 (E0)";
        QTest::newRow("EF") << 0xEF << "块永久锁定失败：标签非特定错误 (EF)";
        QTest::newRow("A5") << 0xA5 << "读取失败：标签错误代码 5 (A5)";
        QTest::newRow("unknown") << 0x42 << "模块错误 (42)";
    }
    void namesErrors() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(errorText(code), text);
    }

    void errorNamesTheTag() {
        const QString body =
            QStringLiteral("01 FF 00 10 16 0E 30 00 11 22 33 44 55 66 77 88 99 AA BB CC");
        const QByteArray frame = hex::toBytes(QStringLiteral("BB ") + body + ' ' +
                                              hex::byte(adddate(body) & 0xFF) + " 7E");
        const ModuleFrame f = framesOf(frame).value(0);
        QCOMPARE(f.errorCode(), 0x16);
        QCOMPARE(hex::fromBytes(errorTagEpc(f)), QStringLiteral("112233445566778899AABBCC"));
        QVERIFY(errorTagEpc(framesOf(noTag).value(0)).isEmpty());
        QCOMPARE(framesOf(stopReply).value(0).errorCode(), -1);
    }
};

QTEST_APPLESS_MAIN(ModuleFrameTest)
#include "module_frame_test.moc"
