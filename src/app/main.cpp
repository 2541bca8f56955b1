#include "device_monitor.h"
#include "main_window.h"
#include "protocol/reader_device.h"
#include "qt_translation.h"
#include "settings/language.h"
#include "styles.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QProcess>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/prctl.h>

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

// Handles --help, --version and unknown options (each ends the program) and
// tells whether the simulated reader was asked for.
bool parseCommandLine(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Set up and try out RFID card readers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Use the simulated reader that comes with the program."));
    parser.addOption(simulate);
    parser.process(app);
    return parser.isSet(simulate);
}

// The simulated reader's virtual serial port: the pseudo-terminal program
// beside the simulated library prints its device path, which becomes the one
// port the serial page lists. A port list given in RFID_SERIAL_PORTS is kept.
void startSerialSimulator(QProcess& simulator, const QString& library) {
    if (qEnvironmentVariableIsSet("RFID_SERIAL_PORTS"))
        return;
    const QString program = QFileInfo(library).dir().filePath(QStringLiteral("reader-sim-serial"));
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Ended with the program even when the program is killed.
    simulator.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    simulator.start(program, QStringList());
    // The path is its first line, written at once.
    if (!simulator.waitForStarted(5000) || !simulator.waitForReadyRead(5000) ||
        !simulator.canReadLine()) {
        std::fprintf(stderr,
                     "rfid-setup: the simulated serial port (%s) did not start: "
                     "the serial page lists the machine's ports\n",
                     qPrintable(program));
        simulator.kill();
        simulator.waitForFinished(1000);
        return;
    }
    qputenv("RFID_SERIAL_PORTS", simulator.readLine().trimmed());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("rfid-setup"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RFID_SETUP_VERSION));
    if (!displayAvailable()) {
        // --help and --version need no display.
        const QCoreApplication console(argc, argv);
        parseCommandLine(console);
        std::fprintf(stderr, "rfid-setup: no display found; run it under a virtual one: "
                             "xvfb-run -a scripts/run (or xvfb-run -a rfid-setup --simulate)\n");
        return 1;
    }
    QApplication app(argc, argv);
    const bool simulate = parseCommandLine(app);
    QApplication::setApplicationName(QStringLiteral("RFID"));
    language::install(language::choose(TForm1::savedLanguage()),
                      {QString::fromLatin1(language::kCoreCatalog),
                       QString::fromLatin1(language::kWindowCatalog)});
    installQtTranslation();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/rfid-setup.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("rfid-setup"));
    styles::applyStartup();

    QString library = QStringLiteral("libreaderhid.so");
    if (simulate) {
        library = simulatedReaderLibrary(QCoreApplication::applicationDirPath());
        if (library.isEmpty()) {
            std::fprintf(stderr, "rfid-setup: the simulated reader library is not installed "
                                 "beside the program\n");
            return 1;
        }
    }
    QProcess serialSimulator;
    if (simulate)
        startSerialSimulator(serialSimulator, library);
    SystemClock clock;
    LibraryDevice device(library);
    TForm1 form(device, clock);
    form.createSecondaryWindows();
    DeviceMonitor monitor;
    if (monitor.start())
        form.watch(monitor);
    form.show();
    // The simulator stops (QProcess ends it) after the window, and its port, are gone.
    return app.exec();
}
