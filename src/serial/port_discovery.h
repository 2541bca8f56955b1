#pragma once

#include <QStringList>

// The serial devices probed for the port list, in order: /dev/ttyUSB0-7,
// /dev/ttyACM0-7, /dev/ttyS0-15; or, when RFID_SERIAL_PORTS is set, its
// paths separated by ':' (a simulated reader's pseudo-terminal, the tests).
QStringList serialPortCandidates();

// The candidates that can be opened exclusively at this moment: a port held
// by another program, or by this one, is left out.
QStringList availableSerialPorts();
