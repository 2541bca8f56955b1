#pragma once

#include <QString>
#include <stdexcept>

// Raised when operator text is not an integer; the handler's caller shows it in
// an error box and the rest of the handler does not run.
class ConversionError : public std::runtime_error {
  public:
    explicit ConversionError(const QString& text);
    QString message() const;
};

// Strict conversion of operator text to an integer: optional sign, then decimal
// digits, or hex digits after "$". Surrounding blanks, full-width digits and
// values outside 32 bits are refused.
int strToInt(const QString& text);
bool tryStrToInt(const QString& text, int* value);
