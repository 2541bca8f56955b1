#pragma once

// rfid-setup-cli issuing against its own simulated reader, for the tests of
// the issue command and of issuing with locks.

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// The number n of the series that starts at 1 and steps by 1.
inline QString number(int n) {
    return QString::number(n, 16).toUpper().rightJustified(24, QLatin1Char('0'));
}

// rfid-setup-cli against its own simulated reader, whose installer swaps a
// written tag within a millisecond and logs every tag written to a file that
// outlives the process.
class Cli {
  public:
    explicit Cli(const QTemporaryDir& dir) : dir_(dir) {}

    // More for the environment of every run, such as the simulator's settings.
    QHash<QString, QString> environment;

    QString journal() const { return dir_.filePath(QStringLiteral("journal.sqlite")); }
    QString writeLog() const { return dir_.filePath(QStringLiteral("writes.log")); }

    void start(QProcess& process, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("READERHID_SIM_SWAP_MS"), QStringLiteral("1"));
        environment.insert(QStringLiteral("READERHID_SIM_WRITE_LOG"), writeLog());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir_.filePath(QStringLiteral("data")));
        for (auto more = this->environment.begin(); more != this->environment.end(); ++more)
            environment.insert(more.key(), more.value());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(CLI_PROGRAM), arguments);
    }

    // Runs to the end; the exit code, stdout in *out, stderr in *err.
    int run(const QStringList& arguments, QByteArray* out = nullptr,
            QByteArray* err = nullptr) const {
        QProcess process;
        start(process, arguments);
        if (!process.waitForFinished(60000))
            return -1;
        if (out)
            *out = process.readAllStandardOutput();
        if (err)
            *err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QStringList issue(const QStringList& more) const {
        return QStringList{QStringLiteral("issue"),     QStringLiteral("--simulate"),
                           QStringLiteral("--pause"),   QStringLiteral("0"),
                           QStringLiteral("--journal"), journal()} +
               more;
    }

    // Records as "epc tid outcome".
    QStringList records() const {
        QByteArray out;
        run({QStringLiteral("journal"), QStringLiteral("list"), QStringLiteral("--journal"),
             journal()},
            &out);
        QStringList lines;
        for (const QByteArray& line : out.split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() == 7)
                lines << QString::fromLatin1(fields[2] + ' ' + fields[3] + ' ' + fields[6]);
        }
        return lines;
    }

    // The tags the simulated readers wrote, as "TID EPC".
    QStringList writes() const {
        QFile file(writeLog());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

  private:
    const QTemporaryDir& dir_;
};
