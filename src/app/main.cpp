#include "device_monitor.h"
#include "main_window.h"
#include "protocol/reader_device.h"
#include "qt_translation.h"
#include "styles.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// Qt aborts with a long message when it finds no display; say it in one line.
bool displayAvailable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (!displayAvailable()) {
        std::fprintf(stderr, "rfid-setup: no display found; run it under a virtual one: "
                             "xvfb-run -a build/bin/rfid-setup\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RFID"));
    installQtTranslation();
    styles::applyStartup();

    SystemClock clock;
    LibraryDevice device;
    TForm1 form(device, clock);
    form.createSecondaryWindows();
    DeviceMonitor monitor;
    if (monitor.start())
        form.watch(monitor);
    form.show();
    return app.exec();
}
