#include "app/qt_translation.h"
#include "settings/language.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QMap>
#include <QPushButton>
#include <QTest>

namespace {

using Environment = QMap<QString, QString>;

QString chosen(const QString& override, const Environment& environment) {
    return language::choose(
        override, [&](const char* name) { return environment.value(QString::fromLatin1(name)); });
}

} // namespace

class LanguageTest : public QObject {
    Q_OBJECT

  private slots:
    void chooseFollowsGettextOrder_data() {
        QTest::addColumn<QString>("override");
        QTest::addColumn<Environment>("environment");
        QTest::addColumn<QString>("expected");
        const QString none;
        QTest::newRow("nothing set") << none << Environment{} << "zh";
        QTest::newRow("LANG English") << none << Environment{{"LANG", "en_US.UTF-8"}} << "en";
        QTest::newRow("LANG Chinese") << none << Environment{{"LANG", "zh_CN.UTF-8"}} << "zh";
        QTest::newRow("LANG C") << none << Environment{{"LANG", "C.UTF-8"}} << "zh";
        QTest::newRow("LANG unknown") << none << Environment{{"LANG", "de_DE.UTF-8"}} << "zh";
        QTest::newRow("LC_MESSAGES over LANG")
            << none << Environment{{"LC_MESSAGES", "en_GB"}, {"LANG", "zh_CN.UTF-8"}} << "en";
        QTest::newRow("LC_ALL over LC_MESSAGES")
            << none << Environment{{"LC_ALL", "zh_CN.UTF-8"}, {"LC_MESSAGES", "en_US"}} << "zh";
        QTest::newRow("LC_ALL POSIX decides")
            << none << Environment{{"LC_ALL", "POSIX"}, {"LANG", "en_US.UTF-8"}} << "zh";
        QTest::newRow("empty LC_ALL passed over")
            << none << Environment{{"LC_ALL", ""}, {"LANG", "en_US.UTF-8"}} << "en";
        QTest::newRow("LANGUAGE list, first known entry")
            << none << Environment{{"LANGUAGE", "fr:en_US:zh"}, {"LANG", "zh_CN.UTF-8"}} << "en";
        QTest::newRow("LANGUAGE before LC_ALL")
            << none << Environment{{"LANGUAGE", "zh_TW"}, {"LC_ALL", "en_US.UTF-8"}} << "zh";
        QTest::newRow("LANGUAGE without a known entry")
            << none << Environment{{"LANGUAGE", "de:fr"}, {"LANG", "en_US.UTF-8"}} << "zh";
        QTest::newRow("override English beats locale")
            << "en" << Environment{{"LC_ALL", "zh_CN.UTF-8"}} << "en";
        QTest::newRow("override Chinese beats locale")
            << "zh" << Environment{{"LANGUAGE", "en"}} << "zh";
        QTest::newRow("unknown override follows locale")
            << "xx" << Environment{{"LANG", "en_US.UTF-8"}} << "en";
    }
    void chooseFollowsGettextOrder() {
        QFETCH(QString, override);
        QFETCH(Environment, environment);
        QFETCH(QString, expected);
        QCOMPARE(chosen(override, environment), expected);
    }

    // Chinese, the source text, loads no catalog; English loads the built-in
    // ones, and Qt's own texts then stay English.
    void installLoadsTheLanguagesCatalogs() {
        const char* failure = "命令操作失败.....";
        QVERIFY(language::install("zh", {language::kCoreCatalog, language::kWindowCatalog}));
        QCOMPARE(QCoreApplication::translate("status", failure), QString::fromUtf8(failure));
        QVERIFY(!language::install("en", {"no-such-catalog"}));
        QVERIFY(language::install("en", {language::kCoreCatalog}));
        QCOMPARE(language::current(), QString("en"));
        QCOMPARE(QCoreApplication::translate("status", failure),
                 QString("The command failed....."));
        QVERIFY(!installQtTranslation());
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QString("Cancel"));
    }
};

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
