// TComm on real pseudo-terminals: line settings, exclusive opening, writes,
// chunking of received bytes by the read interval, closing while busy, and
// the device going away.
#include "serial/comm.h"
#include "serial/comm_window.h"
#include "serial/pseudo_terminal.h"
#include "serial/read_thread.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using serialplatform::canOpenExclusively;

namespace {

QByteArray pattern(int size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + seed) & 0xFF);
    return bytes;
}

// A port open on a fresh pseudo-terminal, with its events recorded.
struct OpenPort {
    PseudoTerminal terminal;
    TComm comm;
    QList<QByteArray> chunks;
    int hangups = 0;
    int emptied = 0;

    OpenPort() {
        comm.setCommName(terminal.path());
        // Every byte value is data here, as on the main window's port.
        comm.setOutx_XonXoffFlow(false);
        comm.setInx_XonXoffFlow(false);
        comm.OnReceiveData = [this](TComm* sender, const char* buffer, quint16 length) {
            QCOMPARE(sender, &comm);
            chunks << QByteArray(buffer, length);
        };
        comm.OnRequestHangup = [this](TComm*) { ++hangups; };
        comm.OnSendDataEmpty = [this](TComm*) { ++emptied; };
    }
    void open() { comm.OpenPort(); }
    QByteArray received() const { return chunks.join(); }
};

// Calls a function as each hang-up message a port thread posted reaches the
// main thread, before the component handles it.
class HangUpDelivery : public QObject {
  public:
    explicit HangUpDelivery(std::function<void()> then) : then_(std::move(then)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~HangUpDelivery() override { QCoreApplication::instance()->removeEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == CommEvent::kType &&
            static_cast<CommEvent*>(event)->message == RequestHangupMessage) {
            ++count;
            then_();
        }
        return false;
    }

  private:
    std::function<void()> then_;
};

QString openError(TComm& comm) {
    try {
        comm.OpenPort();
    } catch (const ECommsError& error) {
        return error.message();
    }
    return QString();
}

const QString busy = QString::fromUtf8("the com is busy!... Another program is using it.\n"
                                       "该串口正被其他程序使用：请先关闭那个程序再打开。");

// The open error that an ordinary user meets; as root, in a child process
// that has given up its privileges first.
QString openErrorAsUser(const QString& path) {
    const auto attempt = [&path] {
        TComm comm;
        comm.setCommName(path);
        return openError(comm);
    };
    if (geteuid() != 0)
        return attempt();
    int fds[2];
    if (pipe(fds) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        ::close(fds[0]);
        QByteArray message = "privileges not given up";
        if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0)
            message = attempt().toUtf8();
        [[maybe_unused]] const ssize_t n = ::write(fds[1], message.constData(), message.size());
        _exit(0);
    }
    ::close(fds[1]);
    QByteArray message;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        message.append(buffer, n);
    ::close(fds[0]);
    waitpid(child, nullptr, 0);
    return QString::fromUtf8(message);
}

} // namespace

class CommTest : public QObject {
    Q_OBJECT

  private slots:
    void opensWithTheMainWindowsSettings() {
        OpenPort port;
        TComm& comm = port.comm;
        comm.setParityCheck(true);
        comm.setTxContinueOnXoff(false);
        comm.setOutx_XonXoffFlow(false);
        comm.setInx_XonXoffFlow(false);
        port.open();
        const termios t = port.terminal.settings();
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
        QVERIFY(t.c_iflag & INPCK);
        QCOMPARE(t.c_iflag & (IXON | IXOFF | ICRNL), tcflag_t(0));
        QCOMPARE(t.c_lflag & (ECHO | ICANON | ISIG), tcflag_t(0));
        QCOMPARE(t.c_oflag & OPOST, tcflag_t(0));
    }

    void propertiesReachTheLineBeforeAndWhileOpen() {
        const struct {
            const char* name;
            std::function<void(TComm&)> set;
            std::function<bool(const termios&)> applied;
        } cases[] = {
            {"baud 115200", [](TComm& c) { c.setBaudRate(115200); },
             [](const termios& t) { return cfgetospeed(&t) == B115200; }},
            // A pseudo-terminal always keeps 8 data bits and clears the parity
            // enable bit; the kind of parity still shows.
            {"odd parity", [](TComm& c) { c.setParity(TParity::Odd); },
             [](const termios& t) { return (t.c_cflag & (PARODD | CMSPAR)) == PARODD; }},
            {"mark parity", [](TComm& c) { c.setParity(TParity::Mark); },
             [](const termios& t) { return (t.c_cflag & (PARODD | CMSPAR)) == (PARODD | CMSPAR); }},
            {"space parity", [](TComm& c) { c.setParity(TParity::Space); },
             [](const termios& t) { return (t.c_cflag & (PARODD | CMSPAR)) == CMSPAR; }},
            {"two stop bits", [](TComm& c) { c.setStopBits(TStopBits::_2); },
             [](const termios& t) { return (t.c_cflag & CSTOPB) != 0; }},
            {"CTS flow", [](TComm& c) { c.setOutx_CtsFlow(true); },
             [](const termios& t) { return (t.c_cflag & CRTSCTS) != 0; }},
            {"RTS handshake", [](TComm& c) { c.setRtsControl(TRtsControl::RtsHandshake); },
             [](const termios& t) { return (t.c_cflag & CRTSCTS) != 0; }},
            {"XON/XOFF out", [](TComm& c) { c.setOutx_XonXoffFlow(true); },
             [](const termios& t) { return (t.c_iflag & IXON) && !(t.c_iflag & IXOFF); }},
            {"XON/XOFF in", [](TComm& c) { c.setInx_XonXoffFlow(true); },
             [](const termios& t) { return (t.c_iflag & IXOFF) && !(t.c_iflag & IXON); }},
            {"XON character", [](TComm& c) { c.setXonChar(0x05); },
             [](const termios& t) { return t.c_cc[VSTART] == 0x05; }},
            {"parity checking", [](TComm& c) { c.setParityCheck(true); },
             [](const termios& t) { return (t.c_iflag & INPCK) != 0; }},
        };
        for (const auto& c : cases) {
            for (const bool whileOpen : {false, true}) {
                OpenPort port;
                if (whileOpen)
                    port.open();
                c.set(port.comm);
                if (!whileOpen)
                    port.open();
                QVERIFY2(c.applied(port.terminal.settings()),
                         qPrintable(QString("%1 %2").arg(c.name, whileOpen ? "open" : "closed")));
            }
        }
    }

    void anUnchangedValueIsNotReapplied() {
        OpenPort port;
        port.open();
        termios changed = port.terminal.settings();
        cfsetospeed(&changed, B1200);
        cfsetispeed(&changed, B1200);
        port.terminal.setSettings(changed);
        const auto speed = [&port] {
            const termios t = port.terminal.settings();
            return cfgetospeed(&t);
        };
        port.comm.setBaudRate(9600);
        QCOMPARE(speed(), speed_t(B1200));
        port.comm.setBaudRate(19200);
        QCOMPARE(speed(), speed_t(B19200));
    }

    void openFailsWithTheComponentsMessages() {
        QTemporaryDir dir;
        QFile plain(dir.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        // The name a failed discovery leaves, with a file of that name in the
        // working directory: a bare name is no device path.
        QFile none(dir.filePath("none"));
        QVERIFY(none.open(QIODevice::WriteOnly));
        none.close();
        const QString workingDirectory = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const struct {
            QString name;
            const char* message;
        } cases[] = {{"/dev/no-such-port", "the com is not exist!..."},
                     {"none", "the com is not exist!..."},
                     {"", "the com is not exist!..."},
                     {plain.fileName(), "File handle is not a comm handle "}};
        for (const auto& c : cases) {
            TComm comm;
            comm.setCommName(c.name);
            QCOMPARE(openError(comm), QString(c.message));
            QVERIFY(!comm.isOpen());
            QVERIFY(!comm.WritePortData("x", 1));
        }
        QDir::setCurrent(workingDirectory);
    }

    void aPortTheUserMayNotUseSaysHowToGetPermission() {
        PseudoTerminal terminal;
        QCOMPARE(chmod(terminal.path().toLocal8Bit().constData(), 0), 0);
        QCOMPARE(openErrorAsUser(terminal.path()),
                 QString::fromUtf8("the com is not allowed!... You have no permission to use "
                                   "it.\n没有使用该串口的权限：请把用户加入 dialout 组"
                                   "（sudo usermod -aG dialout 用户名），重新登录后再打开。"));
    }

    void aClosedPortIsNoLongerExclusive() {
        // The device side stays open elsewhere, as the simulated reader holds
        // it: the exclusive mark must not outlive the port.
        OpenPort port;
        QVERIFY(!port.terminal.exclusive());
        port.open();
        QVERIFY(port.terminal.exclusive());
        port.comm.ClosePort();
        QVERIFY(!port.terminal.exclusive());
        // Open, close and open again, as an ordinary user does.
        port.open();
        port.comm.ClosePort();
        port.open();
        QVERIFY(port.comm.isOpen());
    }

    void theTransmitQueueIsBounded() {
        OpenPort port;
        port.open();
        // Nobody reads the reader's end: the line fills, then the queue.
        const QByteArray big = pattern(65535, 7);
        qsizetype accepted = 0;
        int refusedAt = -1;
        for (int i = 0; i < 64 && refusedAt < 0; ++i) {
            if (port.comm.WritePortData(big.constData(), quint16(big.size())))
                accepted += big.size();
            else
                refusedAt = i;
        }
        QVERIFY2(refusedAt > 0, "a port that takes nothing queued 4 MiB");
        QVERIFY(port.comm.transmitBacklog() <= TComm::kTransmitQueueLimit);
        QVERIFY(port.comm.transmitBacklog() > TComm::kTransmitQueueLimit - big.size());
        QVERIFY(!port.comm.WritePortData(big.constData(), quint16(big.size())));

        // Once the line drains, the queue takes bytes again.
        QCOMPARE(port.terminal.read(accepted).size(), accepted);
        QTRY_COMPARE_WITH_TIMEOUT(port.comm.transmitBacklog(), qsizetype(0), 10000);
        QVERIFY(port.comm.WritePortData(big.constData(), quint16(big.size())));
        QCOMPARE(port.terminal.read(big.size()), big);
    }

    void theOpenPortIsExclusive() {
        OpenPort port;
        QVERIFY(canOpenExclusively(port.terminal.path().toLocal8Bit()));
        port.open();
        QVERIFY(!canOpenExclusively(port.terminal.path().toLocal8Bit()));

        QCOMPARE(openError(port.comm), QString("This serial port already opened"));
        TComm second;
        second.setCommName(port.terminal.path());
        QCOMPARE(openError(second), busy);
        QVERIFY(!second.isOpen());

        // The first opening still works.
        QVERIFY(port.comm.WritePortData("\x01\x02", 2));
        QCOMPARE(port.terminal.read(2), QByteArray("\x01\x02"));

        port.comm.ClosePort();
        QVERIFY(canOpenExclusively(port.terminal.path().toLocal8Bit()));
        port.comm.ClosePort(); // closed: nothing happens
    }

    void writesArriveWholeAndInOrder() {
        OpenPort port;
        port.open();
        const QByteArray parts[] = {pattern(10, 1), pattern(65535, 2), pattern(1, 3),
                                    pattern(3000, 4)};
        QByteArray all;
        for (const QByteArray& part : parts) {
            QVERIFY(port.comm.WritePortData(part.constData(), quint16(part.size())));
            all += part;
        }
        QCOMPARE(port.terminal.read(all.size()), all);
        QTRY_VERIFY_WITH_TIMEOUT(port.comm.sendQueueEmpty(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(port.emptied >= 1, 10000);
    }

    void writesAreRefusedWhenTheyCannotBeQueued() {
        OpenPort port;
        QVERIFY(!port.comm.WritePortData("x", 1)); // closed
        port.open();
        QVERIFY(!port.comm.WritePortData("x", 0));
        port.terminal.hangUp();
        // The transmit thread ends with the line; nothing can be queued after.
        QTRY_VERIFY_WITH_TIMEOUT(!port.comm.WritePortData("x", 1), 10000);
    }

    void bytesWithShortGapsArriveAsOneChunk() {
        // A loaded machine may stretch a gap; one clean attempt in three must
        // show the bytes as one chunk.
        bool oneChunk = false;
        for (int attempt = 0; attempt < 3 && !oneChunk; ++attempt) {
            OpenPort port;
            port.open();
            const QByteArray bytes = pattern(50, attempt);
            for (int i = 0; i < 5; ++i) {
                port.terminal.write(bytes.mid(i * 10, 10));
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            QTRY_COMPARE_WITH_TIMEOUT(port.received(), bytes, 10000);
            oneChunk = port.chunks.size() == 1;
        }
        QVERIFY(oneChunk);
    }

    void aPauseOfOneAndAHalfIntervalsSplitsTheChunks() {
        bool split = false;
        for (int attempt = 0; attempt < 3 && !split; ++attempt) {
            OpenPort port;
            port.open();
            port.terminal.write("first");
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            port.terminal.write("second");
            QTRY_COMPARE_WITH_TIMEOUT(port.received(), QByteArray("firstsecond"), 10000);
            split = port.chunks == QList<QByteArray>{"first", "second"};
        }
        QVERIFY(split);
    }

    void aChunkEndsAtTheReadSize() {
        OpenPort port;
        port.open();
        const QByteArray bytes = pattern(5000, 9);
        port.terminal.write(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(port.received(), bytes, 10000);
        for (const QByteArray& chunk : port.chunks)
            QVERIFY(chunk.size() <= 2048);
    }

    void closingEndsAWriteTheLineDoesNotTake() {
        OpenPort port;
        port.open();
        // Nobody reads the reader's end: the line fills and the write waits.
        const QByteArray big = pattern(65535, 5);
        for (int i = 0; i < 4; ++i)
            QVERIFY(port.comm.WritePortData(big.constData(), quint16(big.size())));
        QTest::qWait(200);
        QVERIFY(!port.comm.sendQueueEmpty());
        QElapsedTimer timer;
        timer.start();
        port.comm.ClosePort();
        QVERIFY(!port.comm.isOpen());
        QVERIFY(port.comm.sendQueueEmpty());
        // Generous: a close that waited for the write would never return.
        QVERIFY(timer.elapsed() < 8000);
    }

    void closingWhileBytesStreamIn() {
        OpenPort port;
        port.open();
        std::atomic<bool> streaming{true};
        std::thread reader([&] {
            const QByteArray bytes = pattern(512, 6);
            while (streaming)
                if (::write(port.terminal.readerEnd(), bytes.constData(), bytes.size()) < 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        QTRY_VERIFY_WITH_TIMEOUT(port.chunks.size() >= 3, 10000);
        port.comm.ClosePort();
        QVERIFY(!port.comm.isOpen());
        streaming = false;
        reader.join();
        QCOMPARE(port.hangups, 0);

        // Open again: the port works as before.
        port.chunks.clear();
        port.open();
        port.terminal.read(1 << 20, 300); // whatever the stream left
        QVERIFY(port.comm.WritePortData("ok", 2));
        QCOMPARE(port.terminal.read(2), QByteArray("ok"));
    }

    // The reader sends faster than the main thread takes the bytes: what
    // waits in posted events stays within the limit, the sender is held back,
    // and every byte arrives in order. A close while the receive thread waits
    // for room ends it at once.
    void aFastSenderIsHeldBackWithoutLoss() {
        OpenPort port;
        port.open();
        constexpr int kTotal = 2 << 20;
        QByteArray sent(kTotal, Qt::Uninitialized);
        for (int i = 0; i < kTotal; ++i)
            sent[i] = char(i % 251);
        std::thread reader([&] { port.terminal.write(sent); });

        // The main thread is busy for 100 ms after each further 256 KiB.
        std::size_t mostPending = 0;
        qsizetype received = 0;
        port.comm.OnReceiveData = [&](TComm*, const char* buffer, quint16 length) {
            port.chunks << QByteArray(buffer, length);
            const qsizetype before = received;
            received += length;
            if (received / (256 << 10) != before / (256 << 10)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                mostPending = std::max(mostPending, port.comm.receiveBacklog());
            }
        };
        QTRY_VERIFY_WITH_TIMEOUT(received >= kTotal, 60000);
        reader.join();
        QVERIFY(port.received() == sent);
        QVERIFY2(mostPending <= ReceiveBacklog::kLimit,
                 QByteArray::number(qulonglong(mostPending)));
        // The backlog did fill: the receive thread was the faster one.
        QVERIFY2(mostPending > ReceiveBacklog::kLimit / 2,
                 QByteArray::number(qulonglong(mostPending)));

        std::atomic<bool> streaming{true};
        std::thread flood([&] {
            while (streaming)
                if (::write(port.terminal.readerEnd(), sent.constData(), 65536) < 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QVERIFY(port.comm.receiveBacklog() + TReadThread::kReadSize > ReceiveBacklog::kLimit);
        QElapsedTimer timer;
        timer.start();
        port.comm.ClosePort();
        QVERIFY(timer.elapsed() < 8000);
        streaming = false;
        flood.join();
    }

    // Bytes still gathering into a chunk when the device goes are delivered
    // before the hang-up.
    void theDeviceGoingAwayAsksForAHangUp() {
        OpenPort port;
        port.comm.setReadIntervalTimeout(60000);
        port.open();
        int chunksAtHangUp = -1;
        HangUpDelivery delivery([&] { chunksAtHangUp = int(port.chunks.size()); });
        port.terminal.write("last");
        // Time for the thread to read them; its chunk is not over for a minute.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        port.terminal.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(port.hangups >= 1, 10000);
        QCOMPARE(port.received(), QByteArray("last"));
        QCOMPARE(chunksAtHangUp, 1);
        // The component stays open until it is closed.
        QVERIFY(port.comm.isOpen());
        port.comm.ClosePort();
        QVERIFY(!port.comm.isOpen());
    }

    void aDeviceGoneBeforeOpeningIsNotAPort() {
        // The reader was unplugged between listing the ports and "COM打开".
        OpenPort port;
        port.terminal.hangUp();
        QCOMPARE(openError(port.comm), QString("the com is not exist!..."));
        QVERIFY(!port.comm.isOpen());
        QVERIFY(!port.comm.WritePortData("x", 1));
        QCOMPARE(port.hangups, 0);
    }

    void aHangUpOfAPortClosedSinceIsNotReported() {
        OpenPort port;
        port.open();
        // The threads post the hang-up; the port is closed just before the
        // message is handled.
        HangUpDelivery delivery([&port] { port.comm.ClosePort(); });
        port.terminal.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(delivery.count >= 1, 10000);
        QCOMPARE(port.hangups, 0);
    }

    // The receive thread lowers its signal and then looks at the backlog
    // again: room made in between must not be slept through.
    void roomMadeBeforeTheWaitIsNotSleptThrough() {
        ReceiveBacklog backlog;
        backlog.add(1);
        serialplatform::Signal stop;
        stop.raise(); // a wait would end as stopped
        QVERIFY(backlog.waitForRoom(ReceiveBacklog::kLimit, stop));
    }

    void releasingAnOpenComponentClosesItsPort() {
        PseudoTerminal terminal;
        {
            TComm comm;
            comm.setCommName(terminal.path());
            comm.OpenPort();
            QVERIFY(comm.WritePortData("abc", 3));
        }
        QVERIFY(canOpenExclusively(terminal.path().toLocal8Bit()));
    }

    void driverCountersBecomeErrorsAndModemEvents() {
        using namespace serialplatform;
        const struct {
            LineCounters after;
            std::uint32_t errors;
            std::uint32_t modem;
        } cases[] = {
            {{}, 0, 0},
            {{1, 0, 0, 0, 0, 0, 0}, FramingError, 0},
            {{0, 1, 1, 0, 0, 0, 0}, Overrun | ParityError, 0},
            {{0, 0, 0, 2, 3, 0, 0}, Break | ReceiveQueueOverflow, 0},
            {{0, 0, 0, 0, 0, 1, 0}, 0, CarrierChange},
            {{0, 0, 0, 0, 0, 1, 1}, 0, CarrierChange | Ring},
        };
        for (const auto& c : cases) {
            const LineChange change = compareCounters(LineCounters{}, c.after);
            QCOMPARE(change.errors, c.errors);
            QCOMPARE(change.modem, c.modem);
        }
    }
};

QTEST_MAIN(CommTest)
#include "comm_test.moc"
