#include "app/card_memory_window.h"
#include "app/epcis_export_dialog.h"
#include "app/journal_window.h"
#include "app/log_pane.h"
#include "app/main_window.h"
#include "app/reader_dialog.h"
#include "app/rtf_writer.h"
#include "app/version_window.h"
#include "pages/uhf/gs1_start_dialog.h"
#include "support/form_fixture.h"
#include "support/private_settings.h"
#include "support/scripted_device.h"
#include "uhf/issuing_journal.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QXmlStreamReader>
#include <memory>

namespace {

bool hasChinese(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) ||
            (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// One text a control shows, in the order the controls were made.
struct Shown {
    QString where;
    QString text;
};

QString where(const QObject* object, const char* what) {
    QString path = QLatin1String(what);
    for (const QObject* o = object; o; o = o->parent())
        if (!o->objectName().isEmpty())
            return path + QLatin1Char(' ') + o->objectName();
    return path;
}

void addHeaders(QList<Shown>& shown, const QTableView* view) {
    const QAbstractItemModel* model = view->model();
    if (!model)
        return;
    for (int column = 0; column < model->columnCount(); ++column)
        shown << Shown{where(view, "header"), model->headerData(column, Qt::Horizontal).toString()};
}

// Captions, titles, tool tips, placeholders, list items and menu items of a
// window and everything in it (what the operator reads, not what is typed).
QList<Shown> shownTexts(QWidget* window) {
    QList<Shown> shown;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        if (w->isWindow())
            shown << Shown{where(w, "title"), w->windowTitle()};
        shown << Shown{where(w, "tool tip"), w->toolTip()};
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            shown << Shown{where(w, "caption"), button->text()};
        else if (auto* label = qobject_cast<QLabel*>(w))
            shown << Shown{where(w, "label"), label->text()};
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            shown << Shown{where(w, "group"), group->title()};
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            shown << Shown{where(w, "placeholder"), edit->placeholderText()};
        else if (auto* spin = qobject_cast<QSpinBox*>(w))
            shown << Shown{where(w, "suffix"), spin->suffix()};
        else if (auto* view = qobject_cast<QTableView*>(w))
            addHeaders(shown, view);
        else if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                shown << Shown{where(w, "tab"), tabs->tabText(i)};
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                shown << Shown{where(w, "item"), combo->itemText(i)};
        if (auto* menu = qobject_cast<QMenu*>(w))
            shown << Shown{where(w, "menu"), menu->title()};
    }
    for (QAction* action : window->findChildren<QAction*>())
        shown << Shown{where(action, "menu item"), action->text()};
    return shown;
}

// The language menu names each language in its own words.
bool ownLanguageName(const Shown& s) {
    return s.where.endsWith(QLatin1String("LanguageMenu")) ||
           s.where.endsWith(QLatin1String("Language_zh"));
}

QString widestLine(const QString& text) {
    QString widest;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.trimmed().size() > widest.size())
            widest = line.trimmed();
    return widest;
}

// The shown controls of a window whose caption is wider than the control:
// buttons, check boxes and radio buttons with their indicator, labels, group
// box titles and the chosen item of a drop-down list. Blanks at either end
// are padding that may be cut.
QStringList clipped(QWidget* window) {
    QStringList found;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(window))
            continue;
        const QFontMetrics metrics = w->fontMetrics();
        QString text;
        int room = w->contentsRect().width();
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            text = button->text();
            room = w->width() - 4;
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            text = qobject_cast<QAbstractButton*>(w)->text();
            room = w->width() - w->style()->pixelMetric(QStyle::PM_IndicatorWidth) -
                   w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->wordWrap() || label->textFormat() == Qt::RichText)
                continue;
            text = label->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            text = group->title();
            room = w->width() - 16;
        } else if (auto* combo = qobject_cast<QComboBox*>(w); combo && !combo->isEditable()) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            text = combo->currentText();
            room = combo->style()
                       ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                        combo)
                       .width();
        } else {
            continue;
        }
        const QString line = widestLine(text);
        if (!line.isEmpty() && metrics.horizontalAdvance(line) > room)
            found << QStringLiteral("%1 \"%2\" needs %3, has %4")
                         .arg(where(w, "control"), line)
                         .arg(metrics.horizontalAdvance(line))
                         .arg(room);
    }
    if (auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("PageControl1"))) {
        const QTabBar* bar = tabs->tabBar();
        for (int i = 0; i < bar->count(); ++i)
            if (bar->isTabVisible(i) &&
                bar->tabRect(i).width() <= bar->fontMetrics().horizontalAdvance(bar->tabText(i)))
                found << QStringLiteral("tab \"%1\"").arg(bar->tabText(i));
    }
    return found;
}

// The translations as the catalogs, the window's and the core's, list them: source → translations
// (a source may read differently in two contexts).
QMultiMap<QString, QString> catalog() {
    QMultiMap<QString, QString> table;
    for (const char* name : {"rfid-setup_en.ts", "rfid-setup-core_en.ts"}) {
        QFile file(QStringLiteral(SOURCE_DIR "/translations/") + QLatin1String(name));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("no catalog %s", name);
        QXmlStreamReader xml(&file);
        QString source;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("source"))
                source = xml.readElementText();
            else if (xml.name() == QLatin1String("translation"))
                table.insert(source, xml.readElementText());
        }
    }
    return table;
}

// The English catalogs, the window's and the core's, for as long as it lives.
class English {
  public:
    // Both are built into the program with the catalogs' build.
    static bool built() {
        return QFile::exists(QStringLiteral(":/translations/rfid-setup_en.qm")) &&
               QFile::exists(QStringLiteral(":/translations/rfid-setup-core_en.qm"));
    }
    English() {
        for (const char* name : {"rfid-setup_en", "rfid-setup-core_en"}) {
            auto translator = std::make_unique<QTranslator>();
            if (!translator->load(QLatin1String(name), QStringLiteral(":/translations")))
                qFatal("catalog %s not built in", name);
            QCoreApplication::installTranslator(translator.get());
            translators_.push_back(std::move(translator));
        }
    }
    ~English() {
        for (const auto& translator : translators_)
            QCoreApplication::removeTranslator(translator.get());
    }

  private:
    std::vector<std::unique_ptr<QTranslator>> translators_;
};

// Every page of the window in turn, then each dialog, shown at its own size.
template <class Check> void walkWindow(FormFixture& f, ReaderDevice& device, Check check) {
    f.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form));
    check(&f.form, f.form.objectName());
    QTabWidget* pages = f.form.pageControl();
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        check(pages->widget(i), pages->widget(i)->objectName());
    }
    QTemporaryDir folder;
    IssuingJournal journal;
    QVERIFY(journal.open(folder.filePath(QStringLiteral("journal.db"))));
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.emplace_back(new TForm2(&f.form));
    dialogs.emplace_back(new TForm3(&f.form));
    dialogs.emplace_back(new ReaderDialog(device, &f.form));
    dialogs.emplace_back(new Gs1StartDialog(&f.form));
    dialogs.emplace_back(new JournalWindow(
        journal, [](const QString&) {}, &f.form));
    dialogs.emplace_back(new EpcisExportDialog(
        journal, QString(), [](const QString&) {}, &f.form));
    for (const auto& dialog : dialogs) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        check(dialog.get(), dialog->objectName());
        dialog->close();
    }
}

} // namespace

class EnglishInterfaceTest : public QObject {
    Q_OBJECT
    PrivateSettings settings;

  private slots:
    void initTestCase() { settings.use(); }
    void init() {
        PrivateSettings::clear();
        const QByteArray test = QTest::currentTestFunction();
        const bool chinese = QByteArray(QTest::currentDataTag()) == "Chinese";
        if (!test.startsWith("language") && !test.startsWith("anUnknown") && !chinese &&
            !English::built())
            QSKIP("the English catalogs are not built into this build");
    }

    void noChineseIsShownInEnglish() {
        const English english;
        ScriptedDevice device;
        FormFixture f(device);
        QStringList chinese;
        walkWindow(f, device, [&](QWidget* window, const QString&) {
            for (const Shown& s : shownTexts(window))
                if (hasChinese(s.text) && !ownLanguageName(s))
                    chinese << s.where + QLatin1String(": ") + s.text;
        });
        chinese.removeDuplicates();
        QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(QLatin1Char('\n'))));
    }

    void everyCaptionFitsItsControl_data() {
        QTest::addColumn<bool>("inEnglish");
        QTest::newRow("Chinese") << false;
        QTest::newRow("English") << true;
    }
    void everyCaptionFitsItsControl() {
        QFETCH(bool, inEnglish);
        std::unique_ptr<English> english(inEnglish ? new English : nullptr);
        ScriptedDevice device;
        FormFixture f(device);
        QStringList found;
        walkWindow(f, device, [&](QWidget* window, const QString& page) {
            for (const QString& problem : clipped(window))
                found << page + QLatin1String(": ") + problem;
        });
        found.removeDuplicates();
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    // The window made twice, in Chinese and in English: each Chinese caption
    // that is a text of the catalog shows as its translation there.
    void englishCaptionsAreTheCatalogsTranslations() {
        const QMultiMap<QString, QString> table = catalog();
        QMap<QString, QList<Shown>> chinese;
        QMap<QString, QList<Shown>> english;
        auto record = [](QMap<QString, QList<Shown>>& into) {
            return
                [&into](QWidget* window, const QString& page) { into[page] += shownTexts(window); };
        };
        {
            ScriptedDevice device;
            FormFixture f(device);
            walkWindow(f, device, record(chinese));
        }
        {
            const English inEnglish;
            ScriptedDevice device;
            FormFixture f(device);
            walkWindow(f, device, record(english));
        }
        int matched = 0;
        QStringList wrong;
        const QStringList pages = chinese.keys();
        for (const QString& page : pages) {
            const QList<Shown>& zh = chinese[page];
            const QList<Shown>& en = english[page];
            QCOMPARE(en.size(), zh.size());
            for (int i = 0; i < zh.size(); ++i) {
                if (!table.contains(zh[i].text))
                    continue;
                ++matched;
                if (!table.values(zh[i].text).contains(en[i].text))
                    wrong << QStringLiteral("%1 %2: \"%3\" shows \"%4\"")
                                 .arg(page, zh[i].where, zh[i].text, en[i].text);
            }
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
        QVERIFY2(matched > 300, qPrintable(QString::number(matched)));
    }

    void languageMenuKeepsTheChoiceForTheNextStart_data() {
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("line");
        QTest::newRow("English") << QByteArray("Language_en") << "en"
                                 << "界面语言改为“English”，重新启动程序后生效   09:30:00 AM";
        QTest::newRow("Chinese") << QByteArray("Language_zh") << "zh"
                                 << "界面语言改为“中文”，重新启动程序后生效   09:30:00 AM";
        QTest::newRow("system") << QByteArray("LanguageSystem") << ""
                                << "界面语言改为“跟随系统”，重新启动程序后生效   09:30:00 AM";
    }
    void languageMenuKeepsTheChoiceForTheNextStart() {
        QFETCH(QByteArray, item);
        QFETCH(QString, saved);
        QFETCH(QString, line);
        ScriptedDevice device;
        {
            FormFixture f(device);
            QVERIFY(f.form.findChild<QAction*>("LanguageSystem")->isChecked());
            f.form.findChild<QAction*>(QLatin1String(item))->trigger();
            QCOMPARE(f.lines(), QStringList{line});
        }
        QCOMPARE(TForm1::savedLanguage(), saved);
        FormFixture again(device);
        QVERIFY(again.form.findChild<QAction*>(QLatin1String(item))->isChecked());
    }

    void anUnknownSavedLanguageFollowsTheSystem() {
        QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"))
            .setValue(QStringLiteral("language"), QStringLiteral("fr"));
        QCOMPARE(TForm1::savedLanguage(), QString());
        ScriptedDevice device;
        FormFixture f(device);
        QVERIFY(f.form.findChild<QAction*>("LanguageSystem")->isChecked());
    }

    // Every button of every page pressed in English, with no reader answering
    // and with the simulated reader: no log line and no error box in Chinese.
    // A dialog a button opens is closed at once.
    void everyButtonAnswersInEnglish_data() {
        QTest::addColumn<bool>("simulated");
        QTest::newRow("no reply") << false;
        QTest::newRow("simulated reader") << true;
    }
    void everyButtonAnswersInEnglish() {
        QFETCH(bool, simulated);
        const English english;
        ScriptedDevice silent;
        LibraryDevice reader(simulatedReaderLibrary(QCoreApplication::applicationDirPath()));
        FormFixture f(simulated ? static_cast<ReaderDevice&>(reader) : silent);
        f.form.context().showCardMemory = [] {};
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        closer.start(20);
        QStringList chinese;
        QTabWidget* pages = f.form.pageControl();
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QWidget* page = pages->widget(i);
            for (QPushButton* button : page->findChildren<QPushButton*>()) {
                if (!button->isVisibleTo(page) || !button->isEnabled())
                    continue;
                f.clearLog();
                f.errors.clear();
                button->click();
                for (const QString& line : f.lines() + f.errors)
                    if (hasChinese(line))
                        chinese << page->objectName() + QLatin1Char(' ') + button->objectName() +
                                       QLatin1String(": ") + line;
            }
        }
        QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(QLatin1Char('\n'))));
    }

    // Lines written in English go into the saved log as they are: ASCII,
    // no GBK bytes; the same actions in Chinese write GBK.
    void aLogWrittenInEnglishIsSavedAsAscii() {
        const English english;
        ScriptedDevice device;
        FormFixture f(device);
        f.click("Button27"); // no reply
        device.replies << QByteArray::fromHex("AA00010001BB");
        f.click("Button28");
        f.form.findChild<QAction*>("Language_en")->trigger();
        const QStringList lines = f.lines();
        QVERIFY(lines.contains("Passive reading set   09:30:00 AM"));
        QVERIFY(lines.contains("Interface language set to \"English\"; restart the program to use "
                               "it   09:30:00 AM"));
        for (const QString& line : lines)
            QVERIFY2(!hasChinese(line), qPrintable(line));
        const QByteArray rtf = linesToRtf(f.lines());
        const QByteArray body = rtf.mid(rtf.indexOf("\\fs20 ") + 6);
        QVERIFY2(!body.contains("\\'") && !body.contains("\\u"), body.constData());
        QVERIFY(body.contains("Passive reading set   09:30:00 AM"));
    }
};

QTEST_MAIN(EnglishInterfaceTest)
#include "english_interface_test.moc"
