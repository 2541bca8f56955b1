#pragma once

#include <QString>

// Parameter bytes of a command, as hex text, from operator text. Input a
// command cannot carry raises InputError, naming the text and the range.
namespace parameter {
// Decimal text as an integer 0..max.
int decimal(const QString& text, int max);
// Decimal text, 0..max, as two hex digits ("10" gives "0A").
QString decimalByte(const QString& text, int max = 255);
// Hex text read with "$" before it, 00..FF, as two hex digits.
QString hexByte(const QString& text);
// 01 when set, 00 when not.
QString flag(bool set);
} // namespace parameter
