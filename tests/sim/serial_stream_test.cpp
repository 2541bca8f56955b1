#include "sim/serial/serial_reader.h"
#include "sim_bytes.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <chrono>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;
using sim::SerialReader;

namespace {

// 10,000 rounds, and stop with its answer.
const QByteArray kTenThousandRounds("BB 00 27 00 03 22 27 10 83 7E");
const QByteArray kStop("BB 00 28 00 00 28 7E");
const QByteArray kStopped("BB 01 28 00 01 00 2A 7E");
const QByteArray kBadParameter("BB 01 FF 00 01 17 18 7E");
constexpr std::size_t kNoticeSize = 24;

QByteArray rounds(std::uint16_t count) {
    sim::Bytes frame = bytes("BB 00 27 00 03 22");
    frame.push_back(std::uint8_t(count >> 8));
    frame.push_back(std::uint8_t(count));
    unsigned sum = 0;
    for (std::size_t i = 1; i < frame.size(); ++i)
        sum += frame[i];
    frame.push_back(std::uint8_t(sum));
    frame.push_back(0x7E);
    return hex(frame);
}

// A module with `tags` tags close to the antenna.
void fill(sim::UhfModule& module, int tags) {
    module.field().clear();
    for (int n = 1; n <= tags; ++n) {
        sim::Bytes epc(12, 0x00);
        epc[11] = std::uint8_t(n);
        module.field().present(sim::Gen2Tag(epc, n));
    }
}

} // namespace

class SerialStreamTest : public QObject {
    Q_OBJECT

  private slots:
    // Rounds of 4 tags at 1,000 notices per second: the stream begins with
    // the first look at it, each notice comes in its turn, and the stream ends
    // with the last round.
    void roundCountIsHonoured() {
        sim::UhfModule module;
        fill(module, 4);
        SerialReader reader(module);
        reader.setNoticeRate(1000);
        QVERIFY(reader.receive(bytes(rounds(3))).empty());
        QVERIFY(reader.streaming());
        QCOMPARE(hex(reader.due(10ms)),
                 QByteArray("BB 02 22 00 11 C8 30 00 00 00 00 00 00 00 00 00 00 00 00 01 "
                            "1D 8C D7 7E"));
        QCOMPARE(reader.nextDue(), std::optional<SerialReader::Microseconds>(11ms));
        QCOMPARE(reader.due(15ms).size(), 5 * kNoticeSize);
        QCOMPARE(reader.due(1s).size(), 6 * kNoticeSize);
        QVERIFY(!reader.streaming());
        QVERIFY(reader.due(2s).empty());
        QCOMPARE(reader.nextDue(), std::nullopt);
    }

    void fastStream() {
        sim::UhfModule module;
        fill(module, 50);
        SerialReader reader(module);
        reader.setNoticeRate(2000);
        reader.receive(bytes(kTenThousandRounds));
        std::size_t received = reader.due(0ms).size();
        for (auto at = 1ms; at <= 1000ms; at += 1ms)
            received += reader.due(at).size();
        QCOMPARE(received, 2001 * kNoticeSize);
    }

    // Rounds in which no tag answers still take their time, and still count.
    void emptyRoundsCount() {
        sim::UhfModule module;
        module.field().clear();
        SerialReader reader(module);
        reader.setNoticeRate(1000);
        reader.receive(bytes(rounds(5)));
        QVERIFY(reader.due(0ms).empty());
        QVERIFY(reader.due(3ms).empty());
        QVERIFY(reader.streaming());
        QVERIFY(reader.due(4ms).empty());
        QVERIFY(!reader.streaming());
    }

    void stopEndsTheStream() {
        sim::UhfModule module;
        fill(module, 3);
        SerialReader reader(module);
        reader.setNoticeRate(1000);
        reader.receive(bytes(kTenThousandRounds));
        QCOMPARE(reader.due(0ms).size(), kNoticeSize);
        QCOMPARE(reader.due(10ms).size(), 10 * kNoticeSize);
        QCOMPARE(hex(reader.receive(bytes(kStop))), kStopped);
        QVERIFY(!reader.streaming());
        QVERIFY(reader.due(1s).empty());
    }

    void refusedStarts_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("no reserved byte") << QByteArray("BB 00 27 00 02 27 10 60 7E");
        QTest::newRow("other reserved byte") << QByteArray("BB 00 27 00 03 23 27 10 84 7E");
        QTest::newRow("no rounds") << rounds(0);
    }
    void refusedStarts() {
        QFETCH(QByteArray, frame);
        sim::UhfModule module;
        SerialReader reader(module);
        QCOMPARE(hex(reader.receive(bytes(frame))), kBadParameter);
        QVERIFY(!reader.streaming());
    }

    // The program on its pseudo-terminal: exactly the notices of the rounds
    // asked for, then silence; a long stream ends on stop with its answer.
    void programStreamsAndStops() {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("READERHID_SIM_TAGS", "1");
        environment.insert("READERHID_SIM_NOTICE_RATE", "2000");
        program.setProcessEnvironment(environment);
        program.start(QFileInfo(SIM_LIBRARY).absolutePath() + "/reader-sim-serial");
        QVERIFY(program.waitForStarted());
        QVERIFY(program.waitForReadyRead(10000));
        const QByteArray path = program.readLine().trimmed();
        const int port = ::open(path.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(port >= 0);
        termios raw{};
        tcgetattr(port, &raw);
        cfmakeraw(&raw);
        tcsetattr(port, TCSANOW, &raw);

        auto send = [&](const QByteArray& frame) {
            const sim::Bytes wire = bytes(frame);
            QCOMPARE(::write(port, wire.data(), wire.size()), ssize_t(wire.size()));
        };
        // What comes until the line has been quiet for `quiet`, or `enough` bytes.
        auto receive = [&](std::chrono::milliseconds quiet, int enough = INT_MAX) {
            QByteArray got;
            pollfd line{port, POLLIN, 0};
            while (got.size() < enough && ::poll(&line, 1, int(quiet.count())) > 0) {
                char buffer[4096];
                const ssize_t n = ::read(port, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                got.append(buffer, int(n));
            }
            return got;
        };

        send(rounds(300));
        const QByteArray notices = receive(500ms);
        QCOMPARE(notices.size(), int(300 * kNoticeSize));
        QCOMPARE(notices.count(QByteArray::fromHex("BB02220011")), 300);

        send(kTenThousandRounds);
        QVERIFY(receive(5000ms, 10 * kNoticeSize).size() > 0);
        send(kStop);
        const QByteArray tail = receive(500ms);
        QVERIFY(tail.size() >= 8);
        QCOMPARE(hex(sim::Bytes(tail.end() - 8, tail.end())), kStopped);
        QCOMPARE((tail.size() - 8) % int(kNoticeSize), 0);
        ::close(port);
        program.kill();
        program.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(SerialStreamTest)
#include "serial_stream_test.moc"
