#include "sim_bytes.h"

#include <QTest>

#include <dlfcn.h>

namespace {

using Transfer = int (*)(int, int, unsigned char*);
using Flag = int (*)();

constexpr int kCapacity = 245;
// No reply ends in this byte, so it marks what the library left alone.
constexpr std::uint8_t kUnused = 0xEE;
const QByteArray kTunnelRequest("AA 00 08 CE BB 00 22 00 00 22 7E 03 BB");
// The tag in the field at start answers the inventory.
const QByteArray kTunnelReply("AA 00 19 00 BB 01 22 00 11 C8 30 00 E2 00 47 13 90 20 60 21 07 40 12 "
                              "34 0E 24 58 7E 42 BB");

} // namespace

// The simulated reader's library, loaded as the program loads it.
class SimHidLibraryTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        library_ = dlopen(SIM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(library_, dlerror());
        write_ = reinterpret_cast<Transfer>(dlsym(library_, "hidWriteData"));
        read_ = reinterpret_cast<Transfer>(dlsym(library_, "hidReadData"));
        simulated_ = reinterpret_cast<Flag>(dlsym(library_, "readerSimulated"));
        QVERIFY(write_ && read_ && simulated_);
    }
    void cleanupTestCase() { QCOMPARE(dlclose(library_), 0); }

    // Each test starts with no reply waiting.
    void init() { read(kCapacity); }

    void saysItIsSimulated() { QCOMPARE(simulated_(), 1); }

    void readWithoutWriteGivesNothing() {
        QCOMPARE(read(kCapacity), QByteArray());
        QCOMPARE(lastResult_, 0);
    }

    void exchange_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("tunnel") << kTunnelRequest << kTunnelReply;
        QTest::newRow("unknown command")
            << QByteArray("AA 05 01 55 51 BB") << QByteArray("AA 05 02 01 8F 89 BB");
        QTest::newRow("not a frame") << QByteArray("AA 00 05 55 54 BB") << QByteArray();
    }
    void exchange() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        QCOMPARE(write(request), int(bytes(request).size()));
        QCOMPARE(read(kCapacity), reply);
        QCOMPARE(lastResult_, int(bytes(reply).size()));
        // The reply is handed out once.
        QCOMPARE(read(kCapacity), QByteArray());
    }

    void newWriteReplacesUnreadReply() {
        write(kTunnelRequest);
        write("AA 05 01 55 51 BB");
        QCOMPARE(read(kCapacity), QByteArray("AA 05 02 01 8F 89 BB"));
    }

    void readStopsAtCapacity() {
        write(kTunnelRequest);
        QCOMPARE(read(4), QByteArray("AA 00 19 00"));
        QCOMPARE(lastResult_, 4);
        QCOMPARE(read(kCapacity), QByteArray());
    }

    void refusesBadArguments() {
        unsigned char frame[] = {0xAA, 0x00, 0x01, 0x55, 0x54, 0xBB};
        QCOMPARE(write_(0, -1, frame), 0);
        QCOMPARE(write_(0, 6, nullptr), 0);
        write(kTunnelRequest);
        QCOMPARE(read_(0, kCapacity, nullptr), 0);
    }

  private:
    int write(const QByteArray& request) {
        sim::Bytes frame = bytes(request);
        return write_(0, static_cast<int>(frame.size()), frame.data());
    }

    // The buffer after the read, up to the last byte the library changed: it must hold the
    // reply and nothing after it.
    QByteArray read(int capacity) {
        sim::Bytes buffer(kCapacity, kUnused);
        lastResult_ = read_(0, capacity, buffer.data());
        while (!buffer.empty() && buffer.back() == kUnused)
            buffer.pop_back();
        return hex(buffer);
    }

    void* library_ = nullptr;
    Transfer write_ = nullptr;
    Transfer read_ = nullptr;
    Flag simulated_ = nullptr;
    int lastResult_ = 0;
};

QTEST_GUILESS_MAIN(SimHidLibraryTest)
#include "sim_hid_library_test.moc"
