#include "support/form_fixture.h"
#include "support/installer_device.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

sim::Gen2Tag blankTag(std::uint8_t serial) {
    return sim::Gen2Tag({0xE2, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xBE, serial},
                        serial);
}

QString epcText(const sim::Gen2Tag& tag) {
    const sim::Bytes epc = tag.epc();
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(epc.data()), int(epc.size())).toHex().toUpper());
}

QString line(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

// Automatic issuing and the read operations against the simulated reader.
class EpcIssuingTest : public QObject {
    Q_OBJECT

  private slots:
    // Five tags, each left in the field for three cycles with an empty cycle
    // after it, get five consecutive numbers, each exactly once. The first
    // number is typed in lower case.
    void issuesConsecutiveNumbersOncePerTag() {
        InstallerDevice device;
        FormFixture f(device);
        f.find<QLineEdit>("Edit54")->setText("00000000000000000000000a");
        auto* box = f.find<QCheckBox>("CheckBox20");
        constexpr int tags = 5;
        constexpr int cyclesPerTag = 4; // three with the tag, one empty
        QStringList issued;
        device.beforeInventory = [&](int inventory) {
            const int cycle = (inventory - 1) % cyclesPerTag;
            if (cycle == 3 || inventory > tags * cyclesPerTag) {
                if (!device.field().empty())
                    issued << epcText(device.field().tag(0));
                device.field().clear();
                if (inventory == tags * cyclesPerTag)
                    box->click();
            } else if (cycle == 0) {
                device.field().present(blankTag(std::uint8_t(inventory)));
            }
        };
        device.field().clear();
        box->click();

        QCOMPARE(device.inventories, tags * cyclesPerTag);
        QCOMPARE(issued, (QStringList{"00000000000000000000000A", "00000000000000000000000B",
                                      "00000000000000000000000C", "00000000000000000000000D",
                                      "00000000000000000000000E"}));
        int writes = 0;
        for (const QString& frame : device.written)
            writes += frame.startsWith("AA0021CEBB0049");
        QCOMPARE(writes, tags);
        QStringList expected;
        for (const QString& number : issued)
            expected << line("写卡成功,卡号") +
                            (number.endsWith('A') ? QString("00000000000000000000000a") : number)
                     << line("The card is not exist..!   09:30:00 AM");
        QCOMPARE(f.lines(), expected);
        QCOMPARE(f.find<QLineEdit>("Edit54")->text(), QString("00000000000000000000000F"));
        QCOMPARE(box->text(), line("自动发卡"));
        QVERIFY(f.errors.isEmpty());
    }

    void readsTheTagInTheField() {
        SimDevice device;
        FormFixture f(device);
        f.click("Button65");
        f.click("Button67");
        const QString epc = QStringLiteral("the epc is: E20047139020602107401234");
        QCOMPARE(f.lines(), (QStringList{epc, epc}));
        // The read of the EPC bank went through the tunnel and was answered.
        QVERIFY(f.form.link().ReplyText().startsWith("BB0139001F0E3000E2004713"));
    }

    // A tag with an access password refuses the write until the password is
    // given; the number is kept for it.
    void protectedTagIsWrittenWithItsPassword() {
        SimDevice device;
        FormFixture f(device);
        device.reader.uhfModule().field().clear();
        device.reader.uhfModule().field().present(
            sim::Gen2Tag(sim::TagField::kFirstEpc, 1, 0x12345678));
        f.click("Button66");
        QCOMPARE(f.lines(), (QStringList{line("写卡失败   09:30:00 AM"), ""}));
        QCOMPARE(f.find<QLineEdit>("Edit54")->text(), QString("000000000000000000000001"));
        f.find<QLineEdit>("Edit63")->setText("12 34 56 78");
        f.click("Button66");
        QCOMPARE(f.lines().last(), line("写卡成功,卡号000000000000000000000001"));
        QCOMPARE(epcText(device.reader.uhfModule().field().tag(0)),
                 QString("000000000000000000000001"));
    }
};

QTEST_MAIN(EpcIssuingTest)
#include "epc_issuing_test.moc"
