#pragma once

#include <QList>
#include <QStringList>

// The serial devices probed for the port list, in order: /dev/ttyUSB0-7,
// /dev/ttyACM0-7, /dev/ttyS0-15; or, when RFID_SERIAL_PORTS is set, its
// paths separated by ':' (a simulated reader's pseudo-terminal, the tests).
QStringList serialPortCandidates();

// A candidate that is there but could not be opened: the user may not use it
// (denied), or another program holds it, named where the system tells.
struct SkippedPort {
    QString path;
    bool denied = false;
    long holderPid = 0;
    QString holderName;
};

struct PortSurvey {
    // The candidates that can be opened exclusively at this moment: a port
    // held by another program, or by this one, is left out.
    QStringList available;
    QList<SkippedPort> skipped;
};
PortSurvey surveySerialPorts();
