#pragma once

#include <QString>

// HF command frame: AA, address, length, payload, XOR of address..payload, BB.
// Digits of the payload keep their case; the length and XOR are upper case.
// An odd number of payload digits would misalign the frame: the result is then
// empty and *error names the problem.
QString hfFrame(const QString& address, const QString& payload, QString* error = nullptr);

// The HF frame that carries a UHF module frame behind the tunnel byte CE.
QString tunnelFrame(const QString& address, const QString& uhfFrame, QString* error = nullptr);

// Checksum byte of a UHF module frame, from the type byte to the last parameter.
QString uhfChecksum(const QString& typeToLastParameter);

// Whether compact hex text holds a whole UHF module frame from its start: BB,
// type, command, two length bytes (high first), that many parameters,
// checksum and 7E. A reply that comes in several pieces is judged only then.
bool holdsWholeUhfFrame(const QString& hexText);
