#include "app/qt_translation.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString cancelText() {
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

} // namespace

class QtTranslationTest : public QObject {
    Q_OBJECT

  private slots:
    // First, before anything is installed: a folder without the file.
    void missingFileLeavesQtInEnglish() {
        QTemporaryDir empty;
        QVERIFY(!installQtTranslation(empty.path()));
        QCOMPARE(cancelText(), QString("Cancel"));
    }

    void standardButtonsSpeakChinese() {
        QVERIFY(installQtTranslation());
        QCOMPARE(cancelText(), QString::fromUtf8("取消"));
    }
};

QTEST_MAIN(QtTranslationTest)
#include "qt_translation_test.moc"
