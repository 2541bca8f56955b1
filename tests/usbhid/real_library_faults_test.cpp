#include "sim/simulated_reader.h"
#include "standin/hidapi_standin.h"
#include "usbhid/readerhid_api.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <dlfcn.h>

namespace {

using Transfer = int (*)(int, int, unsigned char*);

constexpr int kCapacity = 245;
constexpr int kTimeoutMs = 300;
// Far above the time-out: a call that takes this long has hung.
constexpr qint64 kHangMs = 10000;
constexpr unsigned char kUntouched = 0x5A;

const QByteArray kVersion = QByteArray::fromHex("AA0001C0C1BB");
const QByteArray kUnknown = QByteArray::fromHex("AA00017F7EBB");
const QByteArray kUnknownReply = QByteArray::fromHex("AA0002018F8CBB");

QByteArray simulatedReply(const QByteArray& frame) {
    sim::SimulatedReader reader;
    const sim::Bytes reply = reader.exchange(sim::Bytes(frame.begin(), frame.end()));
    return QByteArray(reinterpret_cast<const char*>(reply.data()), int(reply.size()));
}

} // namespace

// The real reader library (build/lib/libreaderhid.so itself) over the hidapi stand-in, which
// it takes for hidapi since the stand-in, loaded first, has hidapi's soname. Two simulated
// readers are plugged in, the second with an id the library does not look for by default.
class RealLibraryFaultsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        qputenv("READERHID_TIMEOUT_MS", QByteArray::number(kTimeoutMs));
        qputenv("READERHID_SIM_READERS", "2");
        qunsetenv("READERHID_DEVICE");
        standin_ = dlopen(HIDAPI_STANDIN, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(standin_, dlerror());
        library_ = dlopen(REAL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(library_, dlerror());
        QVERIFY(!dlsym(library_, "readerSimulated"));
        look(standin_, "hidStandinReset", reset_);
        look(standin_, "hidStandinFault", fault_);
        look(standin_, "hidStandinPlug", plug_);
        look(standin_, "hidStandinSetId", setId_);
        look(standin_, "hidStandinInject", inject_);
        look(standin_, "hidStandinCount", count_);
        look(standin_, "hidStandinLastReport", lastReport_);
        look(library_, "hidWriteData", write_);
        look(library_, "hidReadData", read_);
        look(library_, "readerList", list_);
        look(library_, "readerChoose", choose_);
        look(library_, "readerAddId", addId_);
        look(library_, "readerLastError", lastError_);
    }
    void cleanupTestCase() {
        QCOMPARE(dlclose(library_), 0);
        QCOMPARE(dlclose(standin_), 0);
    }
    void init() {
        reset_();
        setId_(1, 0x1a86, 0xe010);
        choose_(nullptr);
    }

    // A healthy reader answers through the library with the simulated reader's own frame.
    void replyCrossesTheReportPath() {
        QCOMPARE(exchange(kVersion), simulatedReply(kVersion));
        QCOMPARE(count_(HIDSTANDIN_FRAMES), 1);
    }

    // A reply over several input reports comes back whole, with none of their padding.
    void replySplitOverReports_data() {
        QTest::addColumn<int>("reportSize");
        const int length = simulatedReply(kVersion).size();
        for (int reports = 2; reports <= 4; ++reports)
            QTest::addRow("%d reports", reports) << (length + reports - 1) / reports;
    }
    void replySplitOverReports() {
        QFETCH(int, reportSize);
        fault_(HIDSTANDIN_INPUT_REPORT_SIZE, reportSize);
        QCOMPARE(exchange(kVersion), simulatedReply(kVersion));
    }

    // Reports of zeros before the reply belong to no frame.
    void reportsOfZerosBeforeTheReply() {
        fault_(HIDSTANDIN_ZERO_REPORTS, 2);
        QCOMPARE(exchange(kVersion), simulatedReply(kVersion));
    }

    // What an earlier exchange left behind is never taken for the new reply: a reply injected
    // before the write, one that came after its exchange timed out, one to a write cut short.
    void staleReplyIsNotTakenForTheNewOne_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("value");
        QTest::newRow("left in the queue") << 0 << 0;
        QTest::newRow("came after the time-out")
            << int(HIDSTANDIN_REPLY_DELAY_MS) << 2 * kTimeoutMs;
        QTest::newRow("write cut short") << int(HIDSTANDIN_SHORT_WRITES) << 1;
    }
    void staleReplyIsNotTakenForTheNewOne() {
        QFETCH(int, fault);
        QFETCH(int, value);
        if (fault == 0) {
            const QByteArray stale = simulatedReply(kVersion);
            inject_(0, reinterpret_cast<const unsigned char*>(stale.constData()), stale.size());
        } else {
            fault_(fault, value);
            QElapsedTimer timer;
            timer.start();
            QCOMPARE(exchange(kVersion), QByteArray());
            QVERIFY(timer.elapsed() < kHangMs);
            // The late reply is in the queue by now.
            QThread::msleep(2 * kTimeoutMs);
            fault_(HIDSTANDIN_REPLY_DELAY_MS, 0);
        }
        QCOMPARE(exchange(kUnknown), kUnknownReply);
    }

    // A reply that stops partway is not handed on when the wait ends, and what came of it
    // is not taken for the next reply.
    void replyCutShortIsNotHandedOn() {
        fault_(HIDSTANDIN_INPUT_REPORT_SIZE, 4);
        fault_(HIDSTANDIN_CUT_REPLY, 4);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(exchange(kVersion), QByteArray());
        QVERIFY(timer.elapsed() < kHangMs);
        QCOMPARE(exchange(kUnknown), kUnknownReply);
    }

    // A write that fails leaves the reader plugged in: no reply, no reason beyond "nothing
    // came", and the next exchange opens it again.
    void failedWriteThenRecovery() {
        fault_(HIDSTANDIN_FAILED_WRITES, 1);
        QCOMPARE(exchange(kVersion), QByteArray());
        // The write falls short, so that the caller reports no data at once.
        QCOMPARE(written_, 0);
        char path[READERHID_TEXT] = "junk";
        QCOMPARE(lastError_(path, sizeof path), int(READERHID_NO_ERROR));
        QCOMPARE(exchange(kVersion), simulatedReply(kVersion));
    }

    // Unplugged mid-exchange: nothing, and the reason names the reader gone; it leaves the
    // list, and once back under a new path it is found and answers again.
    void unpluggedMidExchangeThenBackUnderANewPath() {
        fault_(HIDSTANDIN_UNPLUG_AFTER_WRITE, 1);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(exchange(kVersion), QByteArray());
        QVERIFY(timer.elapsed() < kHangMs);
        char path[READERHID_TEXT] = {};
        QCOMPARE(lastError_(path, sizeof path), int(READERHID_DEVICE_GONE));
        QCOMPARE(QByteArray(path), QByteArray("simulated"));
        QCOMPARE(paths(), QStringList());
        QCOMPARE(exchange(kVersion), QByteArray());

        plug_(0, 1);
        QCOMPARE(paths(), QStringList{"simulated.1"});
        QCOMPARE(exchange(kVersion), simulatedReply(kVersion));
    }

    // A reader that never stops sending gives nothing, and no call waits past its time-out.
    void deviceThatNeverStopsSending() {
        fault_(HIDSTANDIN_FLOOD, 1);
        QElapsedTimer timer;
        timer.start();
        for (int attempt = 0; attempt < 3; ++attempt)
            QCOMPARE(exchange(kVersion), QByteArray());
        QVERIFY(timer.elapsed() < kHangMs);
        fault_(HIDSTANDIN_FLOOD, 0);
        QCOMPARE(exchange(kUnknown), kUnknownReply);
    }

    // Of two readers only the one with a listed id is taken, and never by its keyboard
    // interface; once its id is added the other can be chosen and gets the frames.
    void twoReadersOneWithAnotherId() {
        QCOMPARE(paths(), QStringList{"simulated"});
        QCOMPARE(exchange(kVersion), simulatedReply(kVersion));
        QCOMPARE(count_(HIDSTANDIN_FRAMES_OF + 0), 1);

        QCOMPARE(addId_(0x1a86, 0xe010), 1);
        QCOMPARE(paths(), (QStringList{"simulated", "simulated-2"}));
        ReaderHidInfo other{};
        other.vendorId = 0x1a86;
        other.productId = 0xe010;
        std::strcpy(other.serial, "SIM0002");
        QCOMPARE(choose_(&other), 1);
        QCOMPARE(exchange(kVersion), simulatedReply(kVersion));
        QCOMPARE(count_(HIDSTANDIN_FRAMES_OF + 1), 1);
        QCOMPARE(count_(HIDSTANDIN_FRAMES_OF + 0), 1);
        QCOMPARE(count_(HIDSTANDIN_OTHER_OPENS), 0);
    }

    // The reader has no numbered reports: every output report is the report id 00 and 64
    // bytes, a frame longer than one report going on in the next.
    void everyReportStartsWithReportIdZero() {
        QByteArray frame = QByteArray::fromHex("AA00477F");
        frame += QByteArray(70, '\x11');
        char x = 0;
        for (int i = 1; i < frame.size(); ++i)
            x ^= frame[i];
        frame += x;
        frame += '\xBB';
        QCOMPARE(exchange(frame), kUnknownReply);
        unsigned char report[80] = {};
        QCOMPARE(lastReport_(report, sizeof report), 65);
        QCOMPARE(report[0], 0);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(report) + 1, frame.size() - 64), frame.mid(64));
    }

  private:
    template <class Function> void look(void* handle, const char* name, Function& function) {
        function = reinterpret_cast<Function>(dlsym(handle, name));
        QVERIFY2(function, name);
    }

    // The reply the library hands on; empty when the write fell short or nothing came (the
    // buffer then left as it was).
    QByteArray exchange(QByteArray frame) {
        written_ = write_(0, frame.size(), reinterpret_cast<unsigned char*>(frame.data()));
        if (written_ != frame.size())
            return QByteArray();
        unsigned char buffer[kCapacity];
        std::fill(std::begin(buffer), std::end(buffer), kUntouched);
        const int count = read_(0, kCapacity, buffer);
        if (count <= 0) {
            if (!std::all_of(std::begin(buffer), std::end(buffer),
                             [](unsigned char b) { return b == kUntouched; }))
                return QByteArray("buffer touched");
            return QByteArray();
        }
        return QByteArray(reinterpret_cast<char*>(buffer), count);
    }

    QStringList paths() {
        ReaderHidInfo found[4];
        const int count = list_(found, 4);
        QStringList paths;
        for (int i = 0; i < count && i < 4; ++i)
            paths << QString::fromUtf8(found[i].path);
        return paths;
    }

    // What the last exchange's write returned.
    int written_ = -1;
    void* standin_ = nullptr;
    void* library_ = nullptr;
    void (*reset_)() = nullptr;
    void (*fault_)(int, int) = nullptr;
    int (*plug_)(int, int) = nullptr;
    int (*setId_)(int, unsigned, unsigned) = nullptr;
    int (*inject_)(int, const unsigned char*, int) = nullptr;
    int (*count_)(int) = nullptr;
    int (*lastReport_)(unsigned char*, int) = nullptr;
    Transfer write_ = nullptr;
    Transfer read_ = nullptr;
    int (*list_)(ReaderHidInfo*, int) = nullptr;
    int (*choose_)(const ReaderHidInfo*) = nullptr;
    int (*addId_)(unsigned, unsigned) = nullptr;
    int (*lastError_)(char*, int) = nullptr;
};

QTEST_GUILESS_MAIN(RealLibraryFaultsTest)
#include "real_library_faults_test.moc"
