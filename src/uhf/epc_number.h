#pragma once

#include <QString>

// The next EPC of a series: number + step, both hex text. The step is always
// big-endian; the number is big-endian, or little-endian (its first byte least
// significant) when littleEndian is set, and the result keeps its byte order.
// The shorter text is first filled with leading "0"s to the other's length;
// blanks are then dropped. A carry out of the top byte adds a byte 01. Text
// that is not whole bytes of hex digits, or longer than 64 bytes, raises
// ConversionError.
QString addhex(const QString& number, const QString& step, bool littleEndian);

// Why an EPC number cannot be written as it is; empty when it can. The PC word
// counts whole words, 31 at most, so 2 to 62 bytes in whole words.
QString epcNumberProblem(const QString& epc);

// A step's value: upper-case hex digits without leading zeros, "0" for zero.
// "1", "01" and "0001" are one step, so that a series is known by its value.
QString stepValue(const QString& step);
