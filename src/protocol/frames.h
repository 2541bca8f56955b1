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

// UHF module frames as hex text, type 00: BB, the text from the type byte to
// the last parameter, its checksum, 7E. The builders below take their byte
// fields as hex text and compute the lengths from the digits they are given.
QString uhfFrame(const QString& typeToLastParameter);
// Select (0C): the tags whose memory bank holds the mask at the bit pointer;
// target and action 0, truncation off.
QString uhfSelectFrame(int bank, int bitPointer, const QString& mask);
// Read memory (39): words from the word address of a bank.
QString uhfReadFrame(const QString& password, int bank, int wordAddress, int words);
// Write memory (49): the data words from the word address of a bank. The
// password text is taken as it is; the lengths count the data only.
QString uhfWriteFrame(const QString& password, int bank, int wordAddress, const QString& data);

// The module's settings commands: any command (type 00) with its parameters
// as hex text, the length counted from the digits given.
QString uhfCommandFrame(int command, const QString& parameters = QString());
