#include "app/journal_window.h"
#include "pages/uhf/gs1_start_dialog.h"
#include "support/form_fixture.h"
#include "support/private_settings.h"
#include "support/sim_device.h"
#include "uhf/issuing_journal.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const QString sgtin = QStringLiteral("3074257BF7194E4000001A85");
const QString sgtinUri = QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.6789");
const QString sscc = QStringLiteral("3154257BF4499602D2000000");

sim::Bytes bytesOf(const QString& hex) {
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    return sim::Bytes(bytes.begin(), bytes.end());
}

QAction* gs1Item(FormFixture& f) {
    return f.form.findChild<QAction*>(QStringLiteral("ShowGs1"));
}

void fill(Gs1StartDialog& dialog, const QString& gtin, int prefixLength, int filter,
          const QString& serial) {
    dialog.findChild<QLineEdit*>(QStringLiteral("Gs1Gtin"))->setText(gtin);
    dialog.findChild<QSpinBox*>(QStringLiteral("Gs1PrefixLength"))->setValue(prefixLength);
    dialog.findChild<QComboBox*>(QStringLiteral("Gs1Filter"))->setCurrentIndex(filter);
    dialog.findChild<QLineEdit*>(QStringLiteral("Gs1Serial"))->setText(serial);
}

} // namespace

// The window's GS1 view: off at start and kept in settings; when on, one more
// log line per EPC read or written and a dialog that builds an SGTIN-96 start.
class Gs1ViewTest : public QObject {
    Q_OBJECT
    PrivateSettings settings;

  private slots:
    void initTestCase() { settings.use(); }
    void init() { PrivateSettings::clear(); }

    void offAtStartAndKeptFromRunToRun() {
        SimDevice device;
        {
            FormFixture f(device);
            QVERIFY(!gs1Item(f)->isChecked());
            QVERIFY(f.find<QPushButton>("Gs1StartButton")->isHidden());
            gs1Item(f)->setChecked(true);
            QVERIFY(!f.find<QPushButton>("Gs1StartButton")->isHidden());
        }
        FormFixture again(device);
        QVERIFY(gs1Item(again)->isChecked());
        QVERIFY(!again.find<QPushButton>("Gs1StartButton")->isHidden());
    }

    void everyEpcReadOrWrittenGetsItsTagUri() {
        SimDevice device;
        FormFixture f(device);
        gs1Item(f)->setChecked(true);
        sim::TagField& field = device.reader.uhfModule().field();
        field.clear();
        field.present(sim::Gen2Tag(bytesOf(sgtin), 1));
        f.click("Button65");
        QCOMPARE(f.lines(), (QStringList{"the epc is: " + sgtin, "GS1: " + sgtinUri}));

        f.clearLog();
        field.clear();
        field.present(sim::Gen2Tag(sim::TagField::kFirstEpc, 2));
        f.click("Button67");
        QCOMPARE(
            f.lines(),
            (QStringList{"the epc is: E20047139020602107401234",
                         QString::fromUtf8("GS1: 不是GS1编码 (头部 E2 不是 GS1 EPC 的头部)")}));

        f.clearLog();
        f.find<QLineEdit>("Edit54")->setText(sscc);
        f.click("Button66");
        QCOMPARE(f.lines(), (QStringList{QString::fromUtf8("写卡成功,卡号") + sscc,
                                         "GS1: urn:epc:tag:sscc-96:2.0614141.1234567890"}));
    }

    // Fresh tags of the simulated field: every third an SGTIN-96, the next an SSCC-96.
    void simulatedFieldBringsGs1Tags() {
        SimDevice device;
        FormFixture f(device);
        gs1Item(f)->setChecked(true);
        sim::TagField& field = device.reader.uhfModule().field();
        field.replaceWrittenTags(
            std::chrono::milliseconds(0), [] { return std::chrono::milliseconds(0); }, 1);
        field.numberSerialsFrom(3);
        for (int i = 0; i < 2; ++i) {
            field.takeAway(field.strongest());
            f.click("Button65");
        }
        const QStringList lines = f.lines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[1], QString("GS1: urn:epc:tag:sgtin-96:1.4012345.123456.3"));
        QCOMPARE(lines[3], QString("GS1: urn:epc:tag:sscc-96:2.0614141.0000000004"));
    }

    // The start dialog shows the hex or why not, and OK puts the hex into Edit54.
    void startDialogFillsTheNextNumber() {
        SimDevice device;
        FormFixture f(device);
        gs1Item(f)->setChecked(true);
        QStringList shown; // what the dialog showed, and whether OK could be pressed
        QTimer::singleShot(0, [&shown] {
            auto* dialog = qobject_cast<Gs1StartDialog*>(QApplication::activeModalWidget());
            auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            auto* result = dialog->findChild<QLabel*>(QStringLiteral("Gs1Result"));
            for (const char* serial : {"274877906944", "6789"}) {
                fill(*dialog, "80614141123457", 7, 3, serial);
                shown << result->text() << QString::number(ok->isEnabled());
                fill(*dialog, "80614141123458", 7, 3, serial);
                shown << result->text() << QString::number(ok->isEnabled());
            }
            ok->click();
        });
        f.click("Gs1StartButton");
        QCOMPARE(shown.size(), 8);
        QVERIFY(shown[0].contains("GTIN 80614141123457 的校验位应为 8"));
        QCOMPARE(shown[1], "0");
        QVERIFY(shown[2].contains("的取值为 0 到 274877906943"));
        QCOMPARE(shown[3], "0");
        QCOMPARE(shown[6], QString::fromUtf8("EPC：") + sgtin + '\n' + sgtinUri);
        QCOMPARE(shown[7], "1");
        QCOMPARE(f.find<QLineEdit>("Edit54")->text(), sgtin);
    }

    void journalViewShowsTheUriOfGs1Epcs() {
        IssuingJournal journal;
        QVERIFY(journal.open(settings.filePath("journal.sqlite")));
        QCOMPARE(journal.hold(QStringLiteral("a")), IssuingJournal::Status::Ok);
        for (const QString& start : {QStringLiteral("000000000000000000000001"), sgtin}) {
            const std::optional<IssuingJournal::Series> series =
                journal.openSeries(start, QStringLiteral("1"), false);
            QVERIFY(series);
            QCOMPARE(journal.reserve(*series, start, QStringLiteral("a")).status,
                     IssuingJournal::Status::Ok);
        }
        JournalWindow view(journal, [](const QString&) {});
        auto* table = view.findChild<QTableWidget*>(QStringLiteral("JournalTable"));
        QCOMPARE(table->horizontalHeaderItem(5)->text(), QString::fromUtf8("GS1编码"));
        QCOMPARE(table->item(0, 5)->text(), QString());
        QCOMPARE(table->item(1, 5)->text(), sgtinUri);
    }
};

QTEST_MAIN(Gs1ViewTest)
#include "gs1_view_test.moc"
