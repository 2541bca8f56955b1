#include "port_discovery.h"

#include "serial_platform.h"

#include <QFile>

QStringList serialPortCandidates() {
    if (qEnvironmentVariableIsSet("RFID_SERIAL_PORTS"))
        return qEnvironmentVariable("RFID_SERIAL_PORTS")
            .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    static const struct {
        const char* prefix;
        int count;
    } families[] = {{"/dev/ttyUSB", 8}, {"/dev/ttyACM", 8}, {"/dev/ttyS", 16}};
    QStringList candidates;
    for (const auto& family : families)
        for (int n = 0; n < family.count; ++n)
            candidates << QLatin1String(family.prefix) + QString::number(n);
    return candidates;
}

PortSurvey surveySerialPorts() {
    using serialplatform::OpenResult;
    PortSurvey survey;
    for (const QString& path : serialPortCandidates()) {
        const QByteArray device = QFile::encodeName(path);
        switch (serialplatform::probe(device)) {
        case OpenResult::Opened:
            survey.available << path;
            break;
        case OpenResult::Denied:
            survey.skipped << SkippedPort{path, true, 0, {}};
            break;
        case OpenResult::Busy: {
            const serialplatform::Holder holder = serialplatform::findHolder(device);
            survey.skipped << SkippedPort{path, false, holder.pid, holder.name};
            break;
        }
        default:
            break;
        }
    }
    return survey;
}
