#pragma once

#include <QString>
#include <stdexcept>

// Operator input that a command cannot use (text that is not a number, a
// number too large for its byte, a name the reader would split): the
// handler's caller shows message() in an error box and the rest of the
// handler does not run, so nothing is sent.
class InputError : public std::runtime_error {
  public:
    explicit InputError(const QString& message);
    QString message() const;
};

// Raised when operator text is not an integer.
class ConversionError : public InputError {
  public:
    explicit ConversionError(const QString& text);
};

// Strict conversion of operator text to an integer: optional sign, then decimal
// digits, or hex digits after "$". Surrounding blanks, full-width digits and
// values outside 32 bits are refused.
int strToInt(const QString& text);
bool tryStrToInt(const QString& text, int* value);

// The one strict reading of a plain decimal number (command-line values,
// profile entries, GS1 fields): ASCII digits only, no sign, blank or "$",
// read by value whatever its leading zeros. False for anything else or a
// value above max.
bool plainDecimal(const QString& text, quint64 max, quint64* value);
