#pragma once

#include <QByteArray>
#include <QString>

// Hex text: bytes as pairs of hex digits, high nibble first. Wherever hex text
// is read, every character other than 0-9, a-f, A-F is skipped; digits that the
// program produces itself are upper case.
namespace hex {

bool isDigit(QChar c);
// The hex digits of the text, in order, case kept.
QString digitsOf(const QString& text);
// The text as bytes: its digits taken pair by pair, a last unpaired digit dropped.
QByteArray toBytes(const QString& text);
// Bytes as compact upper-case hex text.
QString fromBytes(const QByteArray& bytes);
// Operator input read strictly (the command-line tool's options): hex digits
// in whole pairs, blanks allowed only between pairs. Gives the compact upper-case
// digits, or false for any other character or an unpaired digit.
bool strictDigits(const QString& text, QString* digits);
// One byte (or larger value) as upper-case hex of at least two digits.
QString byte(int value);
// Characters [from, from + count) of the text, positions counted from 1; a
// short text gives a short or empty result, never an out-of-range read.
QString mid(const QString& text, int from, int count = -1);

} // namespace hex

// The hex-text helpers of the pages, under the names the pages use.
QString checkdata(const QString& text);
int adddate(const QString& text);
QString cdate(const QString& text);
QString GetAscii(const QByteArray& text);
QByteArray Getchr(const QString& text);
