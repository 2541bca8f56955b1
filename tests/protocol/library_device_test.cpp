// The reader library's optional part, found with dlsym when it is there and
// done without when it is not.
#include "protocol/reader_device.h"
#include "protocol/reader_link.h"
#include "support/recording_log.h"

#include "usbhid/readerhid_api.h"

#include <QTest>
#include <dlfcn.h>

class LibraryDeviceTest : public QObject {
    Q_OBJECT

  private slots:
    void libraryWithoutTheOptionalPartStillWorks() {
        LibraryDevice device(QStringLiteral(STANDIN_MINIMAL));
        QCOMPARE(device.unavailableReason(), QString());
        QVERIFY(!device.listsReaders());
        QVERIFY(device.readers().isEmpty());
        QVERIFY(!device.chooseReader(ReaderInfo{0x0483, 0x5750, {}, {}, {}, false}));
        QVERIFY(!device.addReaderId(0x1a86, 0xe010));
        QCOMPARE(device.lastFailure().kind, ReaderFailure::None);
        QVERIFY(!device.simulated());

        const QByteArray frame = QByteArray::fromHex("AA00018382BB");
        QCOMPARE(device.write(frame), frame.size());
        unsigned char buffer[245] = {};
        QCOMPARE(device.read(buffer, 245), 6);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), 6).toHex().toUpper(),
                 QByteArray("AA00010001BB"));
    }

    void optionalPartListsChoosesAndExplains() {
        LibraryDevice device(QStringLiteral(STANDIN_OPTIONAL));
        QVERIFY(device.listsReaders());
        const QList<ReaderInfo> readers = device.readers();
        QCOMPARE(readers.size(), 2);
        // A field without its NUL is read to its end and no further.
        QCOMPARE(readers[0].product, QString(READERHID_TEXT, QLatin1Char('P')));
        QCOMPARE(readers[0].id(), QStringLiteral("0483:5750"));
        QVERIFY(!readers[0].inUse);
        const ReaderInfo second{0x1a86, 0xe010,         QString::fromUtf8("读卡器 B"),
                                "B2",   "/dev/hidraw7", true};
        QCOMPARE(readers[1], second);

        QVERIFY(device.chooseReader(second));
        void* handle = dlopen(STANDIN_OPTIONAL, RTLD_NOW | RTLD_NOLOAD);
        QVERIFY(handle);
        auto chosen = reinterpret_cast<const ReaderHidInfo* (*)()>(dlsym(handle, "standinChosen"));
        QVERIFY(chosen);
        QCOMPARE(chosen()->vendorId, 0x1a86);
        QCOMPARE(QString::fromUtf8(chosen()->product), QString::fromUtf8("读卡器 B"));
        QCOMPARE(QString::fromUtf8(chosen()->path), QStringLiteral("/dev/hidraw7"));
        dlclose(handle);
        QVERIFY(!device.chooseReader(readers[0]));

        QVERIFY(device.addReaderId(0x1a86, 0xe011));
        QVERIFY(!device.addReaderId(0x1a86, 0xe012));

        const ReaderFailure failure = device.lastFailure();
        QCOMPARE(failure.kind, ReaderFailure::NoPermission);
        QCOMPARE(failure.path, QStringLiteral("/dev/hidraw7"));
    }

    // The whole way from the library to the log pane.
    void permissionLineFromTheLibrary() {
        LibraryDevice device(QStringLiteral(STANDIN_OPTIONAL));
        RecordingLog log;
        FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(12, 0, 0)));
        ReaderLink link(device, log, clock);
        link.setAddressSource([] { return QStringLiteral("00"); });
        link.setDebugSource([] { return false; });
        link.Send("83");
        const QStringList expected = {
            QString::fromUtf8("无有效数据，请检查设备是否联接...."),
            QString::fromUtf8(
                "没有读写 /dev/hidraw7 的权限：udev 规则 70-rfid-setup.rules 不包括读卡器 "
                "1a86:e010；请以 root 把这一行写入 /etc/udev/rules.d/70-rfid-setup-local.rules："
                "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"1a86\", ATTRS{idProduct}==\"e010\", "
                "TAG+=\"uaccess\"，再运行 sudo udevadm control --reload && sudo udevadm trigger，"
                "然后拔下读卡器再插上")};
        QCOMPARE(log.texts, expected);
    }

    void simulatedReaderListsItself() {
        LibraryDevice device(QStringLiteral(SIM_LIBRARY));
        QVERIFY(device.simulated());
        QVERIFY(device.listsReaders());
        const QList<ReaderInfo> readers = device.readers();
        QCOMPARE(readers.size(), 1);
        QCOMPARE(readers[0].product, QString::fromUtf8("模拟读卡器"));
        QVERIFY(readers[0].inUse);
        QVERIFY(device.chooseReader(readers[0]));
        QCOMPARE(device.lastFailure().kind, ReaderFailure::None);
    }
};

QTEST_GUILESS_MAIN(LibraryDeviceTest)
#include "library_device_test.moc"
