#pragma once

#include "hex_text.h"

#include <QStringList>

// The serial baud rates of the reader, in the order of their codes 00 to 04.
inline const QStringList kBaudRates = {QStringLiteral("9600"), QStringLiteral("19200"),
                                       QStringLiteral("38400"), QStringLiteral("57600"),
                                       QStringLiteral("115200")};

// The code byte of a rate's text; empty for a rate the reader does not know.
inline QString baudRateCode(const QString& rate) {
    const int code = int(kBaudRates.indexOf(rate));
    return code < 0 ? QString() : hex::byte(code);
}
