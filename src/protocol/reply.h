#pragma once

#include <QString>

// Reading a reply held as compact hex text, its bytes counted from 1 at the
// first byte. Every read is clamped: a short reply gives a short or empty
// field, never an exception or an out-of-range read.
namespace reply {

// Byte n as two hex digits.
QString byte(const QString& reply, int n);
// Bytes first..last; none when last < first.
QString bytes(const QString& reply, int first, int last);

// An HF reply frame: AA, address, length L, status, L - 1 data bytes, XOR, BB.
// The status byte (byte 4).
QString status(const QString& reply);
// The number of data bytes that L announces; 0 without L.
int dataLength(const QString& reply);
// Bytes first..L + 3: the data from byte first to its end.
QString bytesToEnd(const QString& reply, int first);
// Every data byte (bytes 5..L + 3).
QString data(const QString& reply);
// The bytes between the status byte and the XOR byte, as many as came,
// whatever L says: the frame a module behind the reader answered with.
QString body(const QString& reply);

// Hex bytes as text: GBK, as the reader's modules send it. Bytes that are not
// GBK become U+FFFD and *ok (when given) is set false.
QString text(const QString& hexBytes, bool* ok = nullptr);

} // namespace reply
