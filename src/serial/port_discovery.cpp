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

QStringList availableSerialPorts() {
    QStringList available;
    for (const QString& path : serialPortCandidates())
        if (serialplatform::canOpenExclusively(QFile::encodeName(path)))
            available << path;
    return available;
}
