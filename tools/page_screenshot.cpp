// page_screenshot INDEX OUT.png: the main window showing page INDEX, saved as
// a picture. Run it under xvfb-run (or with QT_QPA_PLATFORM=offscreen).
#include "app/main_window.h"
#include "app/styles.h"
#include "protocol/reader_device.h"

#include <QApplication>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: page_screenshot INDEX OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    styles::applyStartup();
    SystemClock clock;
    LibraryDevice device;
    TForm1 form(device, clock);
    form.pageControl()->setCurrentIndex(QString::fromLocal8Bit(argv[1]).toInt());
    form.show();
    const QString out = QString::fromLocal8Bit(argv[2]);
    QTimer::singleShot(500, &form, [&] {
        form.grab().save(out);
        app.quit();
    });
    return app.exec();
}
