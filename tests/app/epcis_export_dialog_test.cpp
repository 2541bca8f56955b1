#include "app/epcis_export_dialog.h"
#include "app/journal_window.h"
#include "uhf/epcis_small_journal.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class EpcisExportDialogTest : public QObject {
    Q_OBJECT

  private slots:
    // The station's own location, "after the last export", a refused SGLN.
    void exportsWhatIsNewWithTheStationsLocation() {
        QTemporaryDir dir;
        const QString address = dir.filePath(QStringLiteral("journal.sqlite"));
        SmallJournal small;
        QVERIFY(small.open(address));
        QStringList errors;
        JournalWindow window(small.journal, [](const QString&) {});
        QVERIFY(window.findChild<QPushButton*>(QStringLiteral("JournalEpcisExport")));
        EpcisExportDialog dialog(small.journal, address,
                                 [&](const QString& text) { errors << text; });
        auto* station = dialog.findChild<QComboBox*>(QStringLiteral("EpcisStation"));
        auto* readPoint = dialog.findChild<QLineEdit*>(QStringLiteral("EpcisReadPoint"));
        auto* result = dialog.findChild<QLabel*>(QStringLiteral("EpcisResult"));
        QCOMPARE(station->itemText(1), QStringLiteral("line1"));
        station->setCurrentIndex(1);
        dialog.findChild<QComboBox*>(QStringLiteral("EpcisSince"))->setCurrentIndex(1);
        dialog.findChild<QComboBox*>(QStringLiteral("EpcisFormat"))->setCurrentIndex(1);

        const QString file = dir.filePath(QStringLiteral("epcis.xml"));
        readPoint->setText(QStringLiteral("urn:epc:id:sgln:0614141.0734.1"));
        QVERIFY(!dialog.exportTo(file));
        QCOMPARE(errors.size(), 1);
        QVERIFY(!QFile::exists(file));

        readPoint->setText(QStringLiteral("urn:epc:id:sgln:0614141.07346.1234"));
        QVERIFY(dialog.exportTo(file));
        QCOMPARE(result->text(),
                 QStringLiteral("已导出 2 个事件；略去 2 条记录：1 条不是 GS1，1 条未确定"));
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("<id>urn:epc:id:sgln:0614141.07346.1234</id>"));
        QVERIFY(dialog.exportTo(file));
        QVERIFY(result->text().startsWith(QStringLiteral("已导出 0 个事件")));

        // A new dialog shows the station's read point as kept.
        EpcisExportDialog again(small.journal, address,
                                [&](const QString& text) { errors << text; });
        again.findChild<QComboBox*>(QStringLiteral("EpcisStation"))->setCurrentIndex(1);
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("EpcisReadPoint"))->text(),
                 QStringLiteral("urn:epc:id:sgln:0614141.07346.1234"));
        QCOMPARE(errors.size(), 1);
    }
};

QTEST_MAIN(EpcisExportDialogTest)
#include "epcis_export_dialog_test.moc"
