#include <QElapsedTimer>
#include <QTest>

#include <dlfcn.h>

namespace {

using Transfer = int (*)(int, int, unsigned char*);

constexpr int kCapacity = 245;
// Far above anything the library does without a device: a call that gets here has hung.
constexpr qint64 kHangMs = 10000;

} // namespace

// The real reader library on a machine without the reader.
class RealHidLibraryTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // An id no reader has, so that a reader plugged into the test machine stays out of it.
        qputenv("READERHID_DEVICE", "ffff:fffe");
        library_ = dlopen(REAL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(library_, dlerror());
        write_ = reinterpret_cast<Transfer>(dlsym(library_, "hidWriteData"));
        read_ = reinterpret_cast<Transfer>(dlsym(library_, "hidReadData"));
        QVERIFY(write_ && read_);
        QVERIFY(!dlsym(library_, "readerSimulated"));
    }
    void cleanupTestCase() { QCOMPARE(dlclose(library_), 0); }

    // Every write looks for the device again, and none of them may wait for it.
    void writeWithoutDeviceWritesNothing() {
        unsigned char frame[] = {0xAA, 0x00, 0x01, 0x83, 0x82, 0xBB};
        for (int attempt = 0; attempt < 3; ++attempt) {
            QElapsedTimer timer;
            timer.start();
            QCOMPARE(write_(0, sizeof frame, frame), 0);
            QVERIFY(timer.elapsed() < kHangMs);
        }
    }

    void readWithoutDeviceLeavesBufferAlone() {
        unsigned char buffer[kCapacity];
        std::fill(std::begin(buffer), std::end(buffer), 0x5A);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(read_(0, kCapacity, buffer), 0);
        QVERIFY(timer.elapsed() < kHangMs);
        QVERIFY(std::all_of(std::begin(buffer), std::end(buffer),
                            [](unsigned char b) { return b == 0x5A; }));
    }

  private:
    void* library_ = nullptr;
    Transfer write_ = nullptr;
    Transfer read_ = nullptr;
};

QTEST_GUILESS_MAIN(RealHidLibraryTest)
#include "real_hid_library_test.moc"
