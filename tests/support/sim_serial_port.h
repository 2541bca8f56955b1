#pragma once

#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QString>

// The simulated reader's USB virtual serial port (reader-sim-serial), in a
// process of its own, with the variables given on top of the test's
// environment; path is the port to open.
class SimulatedSerialPort {
  public:
    explicit SimulatedSerialPort(const QMap<QString, QString>& env = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (auto it = env.begin(); it != env.end(); ++it)
            environment.insert(it.key(), it.value());
        process.setProcessEnvironment(environment);
        process.start(QFileInfo(QStringLiteral(SIM_LIBRARY)).absolutePath() +
                      QStringLiteral("/reader-sim-serial"));
        if (!process.waitForReadyRead(20000))
            qFatal("reader-sim-serial did not start");
        path = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~SimulatedSerialPort() {
        process.kill();
        process.waitForFinished();
    }

    QProcess process;
    QString path;
};
