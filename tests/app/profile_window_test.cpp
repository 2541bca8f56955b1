#include "app/profile_window.h"
#include "settings/configuration_record.h"
#include "support/form_fixture.h"
#include "support/sim_device.h"
#include "uhf/issuing_journal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>

class ProfileWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void savedProfileSendsWhatThePagesSend();
};

// A profile saved from the controls, applied from the window, sends exactly
// the frames that the pages' own buttons send, in the pages' order, records
// the application, and lists each setting's result in the table.
void ProfileWindowTest::savedProfileSendsWhatThePagesSend() {
    SimDevice device;
    FormFixture f(device);
    f.find<QRadioButton>("RadioButton35")->setChecked(true);
    f.find<QLineEdit>("Edit64")->setText("00");
    f.find<QCheckBox>("CheckBox17")->setChecked(true);
    f.find<QLineEdit>("Edit25")->clear();
    f.find<QLineEdit>("Edit52")->setText("7");
    f.find<QLineEdit>("Edit42")->setText("25");
    f.find<QRadioButton>("RadioButton26")->setChecked(true);
    f.find<QComboBox>("ComboBox20")->setCurrentText("38400");
    f.find<QRadioButton>("RadioButton36")->setChecked(true);
    f.find<QLineEdit>("Edit66")->setText("11223344");
    f.find<QLineEdit>("Edit73")->setText("Warehouse");
    f.find<QLineEdit>("Edit74")->setText("pass,word");

    for (const char* button :
         {"Button24", "Button43", "Button50", "Button30", "Button35", "Button83", "Button41",
          "Button51", "Button56", "Button62", "Button58", "Button59", "Button60", "Button61",
          "Button69", "Button78", "Button25"})
        f.click(button);
    const QStringList clicked = device.written;
    device.written.clear();

    QStringList problems;
    const auto profile = settings::Profile::parse(
        settings::Profile::text(profileValuesOf(&f.form)).toUtf8(), "saved", &problems);
    QVERIFY2(profile, qPrintable(problems.join('\n')));
    QTemporaryDir dir;
    IssuingJournal journal;
    QVERIFY(journal.open(dir.filePath("journal.sqlite")));
    ProfileWindow window(f.form.link(), &journal, *profile);
    window.apply();
    QCOMPARE(device.written, clicked);

    const auto* table = window.findChild<QTableWidget*>("ProfileResults");
    QCOMPARE(table->rowCount(), clicked.size());
    QCOMPARE(window.resultText().section('\n', 0, 0), "当前读卡器\toutput_format\t成功\t");
    QVERIFY(!window.resultText().contains(QStringLiteral("失败")));
    QCOMPARE(ConfigurationRecord(journal.database()).applications().size(), 1);
    QVERIFY(f.lines().contains("当前读卡器：设置完成   09:30:00 AM"));
}

QTEST_MAIN(ProfileWindowTest)
#include "profile_window_test.moc"
