// Starts as the program does (application, looks, reader library, main window
// with its secondary windows), shows the window and quits once it is exposed.
// Run it under `time` (bench/run does) to get process start to window shown.
#include "app/main_window.h"
#include "app/styles.h"
#include "protocol/reader_device.h"

#include <QApplication>
#include <QTest>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    styles::applyStartup();
    SystemClock clock;
    LibraryDevice device;
    TForm1 form(device, clock);
    form.createSecondaryWindows();
    form.show();
    return QTest::qWaitForWindowExposed(&form) ? 0 : 1;
}
