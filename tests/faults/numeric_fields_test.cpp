// Every numeric field given text that is not a usable number: empty, negative,
// huge, not a number, full-width digits, out of range. The operator gets an
// error box and nothing reaches the reader.
#include "support/form_fixture.h"
#include "support/scripted_device.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

class NumericFieldsTest : public QObject {
    Q_OBJECT
  private slots:
    void badNumbersAreRefusedBeforeSending_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        const struct {
            const char* edit;
            const char* button;
        } decimalFields[] = {{"Edit29", "Button30"}, {"Edit35", "Button35"}, {"Edit75", "Button83"},
                             {"Edit37", "Button56"}, {"Edit52", "Button62"}, {"Edit39", "Button58"},
                             {"Edit40", "Button59"}, {"Edit64", "Button24"}};
        const char* decimalTexts[] = {"", "-1", "256", "99999999999", "abc", "１２", " 1"};
        for (const auto& field : decimalFields)
            for (const char* text : decimalTexts) {
                // Edit64's range ends at 127; 256 is out of it too.
                QTest::addRow("%s %s", field.edit, text)
                    << field.edit << field.button << QString::fromUtf8(text);
            }
        const struct {
            const char* edit;
            const char* button;
        } hexFields[] = {{"Edit42", "Button60"}, {"Edit51", "Button61"}};
        const char* hexTexts[] = {"", "-1", "1FF", "FFFFFFFFFFFF", "xyz", "ＦＦ", "0 A"};
        for (const auto& field : hexFields)
            for (const char* text : hexTexts)
                QTest::addRow("%s %s", field.edit, text)
                    << field.edit << field.button << QString::fromUtf8(text);
    }
    void badNumbersAreRefusedBeforeSending() {
        QFETCH(QString, edit);
        QFETCH(QString, button);
        QFETCH(QString, text);
        ScriptedDevice device;
        FormFixture fixture(device);
        // Edit64 counts only with the custom-length format chosen.
        fixture.find<QRadioButton>("RadioButton35")->setChecked(true);
        fixture.find<QLineEdit>(edit.toLatin1().constData())->setText(text);
        fixture.click(button.toLatin1().constData());
        QVERIFY(device.written.isEmpty());
        QCOMPARE(fixture.errors.size(), 1);
        QVERIFY(fixture.errors.first().contains(text));
        QVERIFY(fixture.lines().isEmpty());
    }

    void intervalFieldFallsBackTo100() {
        ScriptedDevice device;
        FormFixture fixture(device);
        auto* interval = fixture.find<QLineEdit>("Edit22");
        for (const char* text : {"", "-1", "abc", "１２", "99999999999"}) {
            interval->setText(QString::fromUtf8(text));
            QCOMPARE(interval->text(), QString("100"));
        }
        interval->setText("0");
        QCOMPARE(interval->text(), QString("0"));
    }
};

QTEST_MAIN(NumericFieldsTest)
#include "numeric_fields_test.moc"
