#pragma once

// rfid-setup-cli run to its end by a test, with settings and data in a folder
// of the test's own and the variables given on top of the test's environment.

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

struct Run {
    int code = -1;
    QString out;
    QString err;
};

inline Run runCli(const QStringList& arguments, const QTemporaryDir& home,
                  const QMap<QString, QString>& env) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    for (auto it = env.begin(); it != env.end(); ++it)
        environment.insert(it.key(), it.value());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CLI_PROGRAM), arguments);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline QJsonObject json(const QString& line) {
    return QJsonDocument::fromJson(line.toUtf8()).object();
}
