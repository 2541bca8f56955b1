// The reader choice and the added ids kept between runs, in a settings folder
// of the test's own.
#include "protocol/reader_settings.h"
#include "support/private_settings.h"
#include "support/scripted_device.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class ReaderSettingsTest : public QObject {
    Q_OBJECT

    PrivateSettings settings;

  private slots:
    void initTestCase() { settings.use(); }
    void init() { PrivateSettings::clear(); }

    void nothingSavedIsNoChoice() {
        QCOMPARE(readersettings::savedChoice(), ReaderInfo());
        QVERIFY(readersettings::addedIds().isEmpty());
    }

    void choiceRoundTrip() {
        const ReaderInfo reader{0x1a86, 0xe010,         QString::fromUtf8("读卡器 B"),
                                "B2",   "/dev/hidraw7", true};
        readersettings::saveChoice(reader);
        ReaderInfo expected = reader;
        expected.inUse = false;
        QCOMPARE(readersettings::savedChoice(), expected);
        QVERIFY(QFile::exists(settings.filePath("rfid-setup/rfid-setup.conf")));

        readersettings::saveChoice(ReaderInfo());
        QCOMPARE(readersettings::savedChoice(), ReaderInfo());
    }

    // A file edited by hand with a broken id is no choice, not a zero id.
    void brokenSavedIdIsNoChoice() {
        QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"))
            .setValue("reader/id", "0483:57");
        QCOMPARE(readersettings::savedChoice(), ReaderInfo());
    }

    void parseId_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("vendorId");
        QTest::addColumn<int>("productId");
        QTest::newRow("lower") << "1a86:e010" << 0x1a86 << 0xe010;
        QTest::newRow("upper, blanks round") << " 1A86:E010 " << 0x1a86 << 0xe010;
        QTest::newRow("zero vendor") << "0000:e010" << -1 << -1;
        QTest::newRow("zero product") << "1a86:0000" << -1 << -1;
        QTest::newRow("0x prefix") << "0x86:e010" << -1 << -1;
        QTest::newRow("three parts") << "1a86:e010:1" << -1 << -1;
        QTest::newRow("empty") << "" << -1 << -1;
    }
    void parseId() {
        QFETCH(QString, text);
        QFETCH(int, vendorId);
        QFETCH(int, productId);
        quint16 vendor = 7;
        quint16 product = 7;
        QCOMPARE(readersettings::parseId(text, vendor, product), vendorId >= 0);
        QCOMPARE(int(vendor), vendorId >= 0 ? vendorId : 7);
        QCOMPARE(int(product), productId >= 0 ? productId : 7);
    }

    void applyHandsIdsAndChoiceToTheLibrary() {
        readersettings::saveAddedIds({"1a86:e010", "broken", "10c4:ea60"});
        const ReaderInfo reader{0x1a86, 0xe010, "Reader", "", "/dev/hidraw2", false};
        readersettings::saveChoice(reader);

        ScriptedDevice device;
        device.listing = true;
        readersettings::apply(device);
        QCOMPARE(device.addedIds, (QStringList{"1a86:e010", "10c4:ea60"}));
        QCOMPARE(device.chosen, QList<ReaderInfo>{reader});

        // A library without the optional part is left alone.
        ScriptedDevice plain;
        readersettings::apply(plain);
        QVERIFY(plain.addedIds.isEmpty() && plain.chosen.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ReaderSettingsTest)
#include "reader_settings_test.moc"
