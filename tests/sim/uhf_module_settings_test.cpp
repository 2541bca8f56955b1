#include "sim/uhf_module.h"
#include "sim_bytes.h"

#include <QTest>

#include <utility>
#include <vector>

namespace {

using Exchange = std::pair<QByteArray, QByteArray>;
using Exchanges = std::vector<Exchange>;

const QByteArray kBadParameter("BB 01 FF 00 01 17 18 7E");

} // namespace

Q_DECLARE_METATYPE(Exchanges)

class UhfModuleSettingsTest : public QObject {
    Q_OBJECT

  private slots:
    // Exchanges in order with a module fresh from start: each setting is
    // taken or refused as a whole, and what is read back is what was kept.
    void settings_data() {
        QTest::addColumn<Exchanges>("exchanges");
        QTest::newRow("module information") << Exchanges{
            {"BB 00 03 00 01 00 04 7E", "BB 01 03 00 13 00 53 49 4D 2D 55 48 46 20 32 36 64 42 6D "
                                        "20 56 31 2E 30 B0 7E"},
            {"BB 00 03 00 01 01 05 7E", "BB 01 03 00 07 01 56 31 2E 30 2E 30 4F 7E"},
            {"BB 00 03 00 01 03 07 7E", kBadParameter},
        };
        QTest::newRow("power") << Exchanges{
            {"BB 00 B7 00 00 B7 7E", "BB 01 B7 00 02 0A 28 EC 7E"},
            {"BB 00 B6 00 02 07 D0 8F 7E", "BB 01 B6 00 01 00 B8 7E"},
            {"BB 00 B7 00 00 B7 7E", "BB 01 B7 00 02 07 D0 91 7E"},
            {"BB 00 B6 00 02 01 F4 AD 7E", "BB 01 B6 00 01 00 B8 7E"},
            {"BB 00 B6 00 02 0A 28 EA 7E", "BB 01 B6 00 01 00 B8 7E"},
        };
        QTest::newRow("power out of range or between steps") << Exchanges{
            {"BB 00 B6 00 02 01 90 49 7E", kBadParameter}, // 4 dBm
            {"BB 00 B6 00 02 0A 8C 4E 7E", kBadParameter}, // 27 dBm
            {"BB 00 B6 00 02 08 02 C2 7E", kBadParameter}, // 20.50 dBm
            {"BB 00 B6 00 01 14 CB 7E", kBadParameter},    // one byte
            {"BB 00 B7 00 00 B7 7E", "BB 01 B7 00 02 0A 28 EC 7E"},
        };
        QTest::newRow("region and its channels") << Exchanges{
            {"BB 00 08 00 00 08 7E", "BB 01 08 00 01 01 0B 7E"},
            {"BB 00 07 00 01 01 09 7E", "BB 01 07 00 01 00 09 7E"},
            {"BB 00 AB 00 01 13 BF 7E", "BB 01 AB 00 01 00 AD 7E"}, // China 900: 0-19
            {"BB 00 AB 00 01 14 C0 7E", kBadParameter},
            {"BB 00 AB 00 01 01 AD 7E", "BB 01 AB 00 01 00 AD 7E"},
            {"BB 00 AA 00 00 AA 7E", "BB 01 AA 00 01 01 AD 7E"},
            // The same region again keeps the channel; another starts over at 0.
            {"BB 00 07 00 01 01 09 7E", "BB 01 07 00 01 00 09 7E"},
            {"BB 00 AA 00 00 AA 7E", "BB 01 AA 00 01 01 AD 7E"},
            {"BB 00 07 00 01 02 0A 7E", "BB 01 07 00 01 00 09 7E"},
            {"BB 00 08 00 00 08 7E", "BB 01 08 00 01 02 0C 7E"},
            {"BB 00 AA 00 00 AA 7E", "BB 01 AA 00 01 00 AC 7E"},
            {"BB 00 AB 00 01 33 DF 7E", "BB 01 AB 00 01 00 AD 7E"}, // US: 0-51
            {"BB 00 AB 00 01 34 E0 7E", kBadParameter},
            {"BB 00 AA 00 00 AA 7E", "BB 01 AA 00 01 33 DF 7E"},
            {"BB 00 07 00 01 05 0D 7E", kBadParameter},
            {"BB 00 08 00 00 08 7E", "BB 01 08 00 01 02 0C 7E"},
        };
        QTest::newRow("hopping") << Exchanges{
            {"BB 00 AD 00 01 00 AE 7E", "BB 01 AD 00 01 00 AF 7E"},
            {"BB 00 AD 00 01 01 AF 7E", kBadParameter},
            {"BB 00 AD 00 01 FF AD 7E", "BB 01 AD 00 01 00 AF 7E"},
        };
        QTest::newRow("Query parameters") << Exchanges{
            {"BB 00 0D 00 00 0D 7E", "BB 01 0D 00 02 10 20 40 7E"},
            {"BB 00 0E 00 02 11 20 41 7E", "BB 01 0E 00 01 00 10 7E"}, // S1
            {"BB 00 0E 00 02 90 20 C0 7E", kBadParameter},             // DR 64/3
            {"BB 00 0E 00 02 30 20 60 7E", kBadParameter},             // M2
            {"BB 00 0E 00 02 00 20 30 7E", kBadParameter},             // TRext off
            {"BB 00 0D 00 00 0D 7E", "BB 01 0D 00 02 11 20 41 7E"},
            {"BB 00 0E 00 02 10 20 40 7E", "BB 01 0E 00 01 00 10 7E"},
            {"BB 00 0D 00 00 0D 7E", "BB 01 0D 00 02 10 20 40 7E"},
        };
        QTest::newRow("select mode and select parameters") << Exchanges{
            {"BB 00 12 00 01 01 14 7E", "BB 01 12 00 01 00 14 7E"},
            {"BB 00 12 00 01 03 16 7E", kBadParameter},
            {"BB 00 0B 00 00 0B 7E", "BB 01 0B 00 07 01 00 00 00 20 00 00 34 7E"},
            {"BB 00 0C 00 09 01 00 00 00 20 10 00 E2 00 28 7E", "BB 01 0C 00 01 00 0E 7E"},
            {"BB 00 0B 00 00 0B 7E", "BB 01 0B 00 09 01 00 00 00 20 10 00 E2 00 28 7E"},
        };
        QTest::newRow("stop without a multiple inventory")
            << Exchanges{{"BB 00 28 00 00 28 7E", "BB 01 28 00 01 00 2A 7E"}};
    }
    void settings() {
        QFETCH(Exchanges, exchanges);
        sim::UhfModule module;
        for (const auto& [frame, reply] : exchanges)
            QCOMPARE(hex(module.answer(bytes(frame))), reply);
    }

    void settingsAreKept() {
        sim::UhfModule module;
        module.answer(bytes("BB 00 B6 00 02 07 D0 8F 7E"));
        module.answer(bytes("BB 00 AD 00 01 00 AE 7E"));
        module.answer(bytes("BB 00 12 00 01 00 13 7E"));
        QCOMPARE(module.field().powerDbm(), 20);
        QVERIFY(!module.hopping());
        QCOMPARE(module.selectMode(), std::uint8_t(0x00));
    }
};

QTEST_GUILESS_MAIN(UhfModuleSettingsTest)
#include "uhf_module_settings_test.moc"
