#include "sim/hf_frame.h"
#include "sim/uhf_frame.h"
#include "sim_bytes.h"

#include <QTest>

using sim::Bytes;

class SimFramesTest : public QObject {
    Q_OBJECT

  private slots:
    void buildsHfFrame_data() {
        QTest::addColumn<int>("address");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("CD 00") << 0x00 << QByteArray("CD 00") << QByteArray("AA 00 02 CD 00 CF BB");
        QTest::newRow("B8") << 0x00 << QByteArray("B8") << QByteArray("AA 00 01 B8 B9 BB");
        QTest::newRow("0F 01") << 0x00 << QByteArray("0F 01") << QByteArray("AA 00 02 0F 01 0C BB");
        QTest::newRow("no payload") << 0x00 << QByteArray() << QByteArray("AA 00 00 00 BB");
        QTest::newRow("address 11") << 0x11 << QByteArray("83") << QByteArray("AA 11 01 83 93 BB");
        QTest::newRow("tunnel") << 0x00 << QByteArray("CE BB 00 22 00 00 22 7E")
                                << QByteArray("AA 00 08 CE BB 00 22 00 00 22 7E 03 BB");
    }
    void buildsHfFrame() {
        QFETCH(int, address);
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, frame);
        QCOMPARE(hex(sim::HfFrame::build(address, bytes(payload))), frame);
    }

    void longestHfFrameReadsBack() {
        Bytes payload(255);
        for (std::size_t i = 0; i < payload.size(); ++i)
            payload[i] = static_cast<std::uint8_t>(i);
        const sim::HfFrame frame = sim::HfFrame::parse(sim::HfFrame::build(0x20, payload));
        QVERIFY(frame.check == sim::HfFrame::Check::Good);
        QCOMPARE(frame.address, 0x20);
        QVERIFY(frame.payload == payload);
    }

    void buildsUhfFrame_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("parameters");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("inventory") << 0x22 << QByteArray() << QByteArray("BB 00 22 00 00 22 7E");
        QTest::newRow("USB HID") << 0xC2 << QByteArray("00")
                                 << QByteArray("BB 00 C2 00 01 00 C3 7E");
        QTest::newRow("memory read mode")
            << 0xC9 << QByteArray("03 00 00 00 00 00 08")
            << QByteArray("BB 00 C9 00 07 03 00 00 00 00 00 08 DB 7E");
    }
    void buildsUhfFrame() {
        QFETCH(int, command);
        QFETCH(QByteArray, parameters);
        QFETCH(QByteArray, frame);
        QCOMPARE(hex(sim::UhfFrame::build(sim::UhfFrame::kCommand, command, bytes(parameters))),
                 frame);
    }

    // More than 255 parameters need both length bytes, and the checksum wraps many times.
    void longUhfFrameReadsBack() {
        const Bytes parameters(300, 0xFE);
        const Bytes wire = sim::UhfFrame::build(sim::UhfFrame::kCommand, 0x49, parameters);
        QCOMPARE(wire.size(), std::size_t(307));
        QCOMPARE(wire[3], 0x01);
        QCOMPARE(wire[4], 0x2C);
        const auto frame = sim::UhfFrame::parse(wire);
        QVERIFY(frame);
        QCOMPARE(frame->type, sim::UhfFrame::kCommand);
        QCOMPARE(frame->command, 0x49);
        QVERIFY(frame->parameters == parameters);
    }
};

QTEST_GUILESS_MAIN(SimFramesTest)
#include "sim_frames_test.moc"
