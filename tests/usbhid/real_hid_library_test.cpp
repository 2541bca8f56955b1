#include "usbhid/readerhid_api.h"

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

    // With no reader at all the library has nothing to explain: the log stays as it was.
    void optionalPartWithoutDevice() {
        auto list = reinterpret_cast<int (*)(ReaderHidInfo*, int)>(dlsym(library_, "readerList"));
        auto choose =
            reinterpret_cast<int (*)(const ReaderHidInfo*)>(dlsym(library_, "readerChoose"));
        auto addId = reinterpret_cast<int (*)(unsigned, unsigned)>(dlsym(library_, "readerAddId"));
        auto lastError = reinterpret_cast<int (*)(char*, int)>(dlsym(library_, "readerLastError"));
        QVERIFY(list && choose && addId && lastError);

        ReaderHidInfo found[4];
        QCOMPARE(list(found, 4), 0);
        QCOMPARE(list(nullptr, 0), 0);
        QCOMPARE(choose(nullptr), 0);
        unsigned char frame[] = {0xAA, 0x00, 0x01, 0x83, 0x82, 0xBB};
        QCOMPARE(write_(0, sizeof frame, frame), 0);
        char path[8] = "junk";
        QCOMPARE(lastError(path, sizeof path), int(READERHID_NO_ERROR));
        QCOMPARE(path[0], '\0');

        // READERHID_DEVICE names the only ids looked for; whole ids or none.
        auto lookedFor = reinterpret_cast<int (*)(char*, int)>(dlsym(library_, "readerLookedFor"));
        QVERIFY(lookedFor);
        char ids[READERHID_TEXT];
        QCOMPARE(lookedFor(ids, sizeof ids), 1);
        QCOMPARE(QByteArray(ids), QByteArray("ffff:fffe"));
        char cut[9] = "junk";
        QCOMPARE(lookedFor(cut, sizeof cut), 1);
        QCOMPARE(QByteArray(cut), QByteArray());
        QCOMPARE(addId(0xffff, 0xfffe), 1);
        QCOMPARE(addId(0x1a86, 0xe010), 0);
        QCOMPARE(addId(0, 0x5750), 0);
        QCOMPARE(addId(0x10000, 0x5750), 0);
    }

  private:
    void* library_ = nullptr;
    Transfer write_ = nullptr;
    Transfer read_ = nullptr;
};

QTEST_GUILESS_MAIN(RealHidLibraryTest)
#include "real_hid_library_test.moc"
