// page_screenshot INDEX OUT.png: the main window showing page INDEX, saved as
// a picture; with INDEX "reader", the reader dialog instead. Run it under
// xvfb-run (or with QT_QPA_PLATFORM=offscreen); the language is chosen as
// the program chooses it (LANG=en_US.UTF-8 for English).
#include "app/main_window.h"
#include "app/qt_translation.h"
#include "app/reader_dialog.h"
#include "app/styles.h"
#include "protocol/reader_device.h"
#include "settings/language.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: page_screenshot INDEX OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    language::install(language::choose(TForm1::savedLanguage()),
                      {QString::fromLatin1(language::kCoreCatalog),
                       QString::fromLatin1(language::kWindowCatalog)});
    installQtTranslation();
    styles::applyStartup();
    SystemClock clock;
    LibraryDevice device;
    TForm1 form(device, clock);
    const QString page = QString::fromLocal8Bit(argv[1]);
    form.pageControl()->setCurrentIndex(page.toInt());
    form.show();
    ReaderDialog dialog(device, &form);
    if (page == QLatin1String("reader"))
        dialog.show();
    const QString out = QString::fromLocal8Bit(argv[2]);
    // PAGE_SCREENSHOT_COMBO=NAME:INDEX: the combo box NAME shows item INDEX first.
    const QStringList combo = qEnvironmentVariable("PAGE_SCREENSHOT_COMBO").split(':');
    if (auto* box = form.findChild<QComboBox*>(combo.value(0)); box && combo.size() == 2)
        box->setCurrentIndex(combo[1].toInt());
    // PAGE_SCREENSHOT_RUN=BOX: the page's continuous mode BOX runs for 3 s first.
    const QString run = qEnvironmentVariable("PAGE_SCREENSHOT_RUN");
    auto* box = run.isEmpty() ? nullptr : form.findChild<QCheckBox*>(run);
    if (box)
        QTimer::singleShot(0, box, [box] { box->click(); });
    QTimer::singleShot(box ? 3000 : 500, &form, [&] {
        (dialog.isVisible() ? static_cast<QWidget&>(dialog) : form).grab().save(out);
        if (box)
            box->setChecked(false);
        app.quit();
    });
    return app.exec();
}
