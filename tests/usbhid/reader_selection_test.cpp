// Which enumerated HID interface the real library takes as the reader, fed
// enumerations as hidapi gives them, no hardware.
#include "reader_selection.h"

#include <QTest>

Q_DECLARE_METATYPE(std::vector<HidInterface>)
Q_DECLARE_METATYPE(ReaderPick)

namespace {

const std::vector<ReaderUsbId> kKnown(std::begin(knownReaderIds), std::end(knownReaderIds));

HidInterface hid(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t usagePage,
                 int interfaceNumber, const char* path, const char* serial = "") {
    return {vendorId, productId, usagePage, interfaceNumber, path, "RFID Reader", serial};
}

QStringList paths(const std::vector<HidInterface>& readers) {
    QStringList list;
    for (const HidInterface& r : readers)
        list << QString::fromStdString(r.path);
    return list;
}

} // namespace

class ReaderSelectionTest : public QObject {
    Q_OBJECT

  private slots:
    void readerInterfaces_data() {
        QTest::addColumn<std::vector<HidInterface>>("enumerated");
        QTest::addColumn<QStringList>("readers");
        // The reader's keyboard personality is interface 0 here, its command
        // channel interface 1; firmware builds differ in the numbering.
        QTest::newRow("keyboard interface of the reader left out")
            << std::vector<HidInterface>{hid(0x0483, 0x5750, 0x0001, 0, "/dev/hidraw0"),
                                         hid(0x0483, 0x5750, 0xFF00, 1, "/dev/hidraw1")}
            << QStringList{"/dev/hidraw1"};
        QTest::newRow("numbering the other way round")
            << std::vector<HidInterface>{hid(0x0483, 0x5750, 0xFFA0, 0, "/dev/hidraw4"),
                                         hid(0x0483, 0x5750, 0x0001, 1, "/dev/hidraw5")}
            << QStringList{"/dev/hidraw4"};
        QTest::newRow("keyboard only: no reader")
            << std::vector<HidInterface>{hid(0x0483, 0x5750, 0x0001, 0, "/dev/hidraw0")}
            << QStringList{};
        QTest::newRow("other vendor-defined devices ignored")
            << std::vector<HidInterface>{hid(0x046d, 0xc52b, 0xFF00, 2, "/dev/hidraw2"),
                                         hid(0x0483, 0x5751, 0xFF00, 0, "/dev/hidraw3")}
            << QStringList{};
        QTest::newRow("usage page just below vendor-defined")
            << std::vector<HidInterface>{hid(0x0483, 0x5750, 0xFEFF, 0, "/dev/hidraw0")}
            << QStringList{};
        QTest::newRow("one node with several collections listed once")
            << std::vector<HidInterface>{hid(0x0483, 0x5750, 0xFF00, 0, "/dev/hidraw6"),
                                         hid(0x0483, 0x5750, 0xFF01, 0, "/dev/hidraw6")}
            << QStringList{"/dev/hidraw6"};
        QTest::newRow("two readers in enumeration order")
            << std::vector<HidInterface>{hid(0x0483, 0x5750, 0xFF00, 1, "/dev/hidraw9"),
                                         hid(0x0483, 0x5750, 0xFF00, 1, "/dev/hidraw7")}
            << QStringList{"/dev/hidraw9", "/dev/hidraw7"};
        QTest::newRow("nothing enumerated") << std::vector<HidInterface>{} << QStringList{};
    }
    void readerInterfaces() {
        QFETCH(std::vector<HidInterface>, enumerated);
        QFETCH(QStringList, readers);
        QCOMPARE(paths(::readerInterfaces(enumerated, kKnown)), readers);
    }

    void addedIdsComeAfterTheKnownOnes() {
        std::vector<ReaderUsbId> ids = kKnown;
        ids.push_back({0x1a86, 0xe010});
        const std::vector<HidInterface> enumerated = {
            hid(0x1a86, 0xe010, 0xFF00, 0, "/dev/hidraw0"),
            hid(0x0483, 0x5750, 0xFF00, 0, "/dev/hidraw1")};
        QCOMPARE(paths(::readerInterfaces(enumerated, ids)),
                 (QStringList{"/dev/hidraw1", "/dev/hidraw0"}));
        QCOMPARE(paths(::readerInterfaces(enumerated, kKnown)), QStringList{"/dev/hidraw1"});
    }

    void pickReader_data() {
        QTest::addColumn<ReaderPick>("pick");
        QTest::addColumn<int>("index");
        QTest::newRow("no choice: the first") << ReaderPick() << 0;
        QTest::newRow("by serial, plugged elsewhere now")
            << ReaderPick{0x0483, 0x5750, "B2", "/dev/hidraw1"} << 1;
        QTest::newRow("no serial: by path") << ReaderPick{0x0483, 0x5750, "", "/dev/hidraw8"} << 2;
        QTest::newRow("chosen one absent: the first")
            << ReaderPick{0x0483, 0x5750, "C3", "/dev/hidraw2"} << 0;
        QTest::newRow("same serial, other id: the first")
            << ReaderPick{0x1a86, 0xe010, "B2", ""} << 0;
    }
    void pickReader() {
        QFETCH(ReaderPick, pick);
        QFETCH(int, index);
        const std::vector<HidInterface> readers = {
            hid(0x0483, 0x5750, 0xFF00, 1, "/dev/hidraw1", "A1"),
            hid(0x0483, 0x5750, 0xFF00, 1, "/dev/hidraw5", "B2"),
            hid(0x0483, 0x5750, 0xFF00, 1, "/dev/hidraw8")};
        QCOMPARE(::pickReader(readers, pick), index);
        QCOMPARE(::pickReader({}, pick), -1);
    }

    void parseDeviceIds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("one") << "1a86:E010" << true << QStringList{"1a86:e010"};
        QTest::newRow("two") << "0483:5750,1a86:e010" << true
                             << QStringList{"0483:5750", "1a86:e010"};
        QTest::newRow("zero vendor: any device") << "0000:5750" << false << QStringList{};
        QTest::newRow("zero product") << "0483:0000" << false << QStringList{};
        QTest::newRow("empty") << "" << false << QStringList{};
        QTest::newRow("trailing comma") << "0483:5750," << false << QStringList{};
        QTest::newRow("not hex") << "04g3:5750" << false << QStringList{};
        QTest::newRow("short") << "483:5750" << false << QStringList{};
        QTest::newRow("no colon") << "0483-5750" << false << QStringList{};
        QTest::newRow("blank before an id") << "0483:5750, 1a86:e010" << false << QStringList{};
        QTest::newRow("not ASCII") << "0483:575０" << false << QStringList{};
    }
    void parseDeviceIds() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QStringList, ids);
        std::vector<ReaderUsbId> parsed = {{0x1234, 0x5678}};
        QCOMPARE(::parseDeviceIds(text.toStdString(), parsed), ok);
        QStringList texts;
        for (const ReaderUsbId& id : parsed)
            texts << QString::asprintf("%04x:%04x", id.vendorId, id.productId);
        QCOMPARE(texts, ok ? ids : QStringList{"1234:5678"});
    }
};

QTEST_GUILESS_MAIN(ReaderSelectionTest)
#include "reader_selection_test.moc"
