#pragma once

#include "sim/reply.h"

#include <QByteArray>

// Frames in the tests are written as hex text; blanks are skipped.
inline sim::Bytes bytes(const char* hex) {
    const QByteArray raw = QByteArray::fromHex(hex);
    return sim::Bytes(raw.begin(), raw.end());
}

// Frames are compared as upper-case hex so that a failing comparison shows both.
inline QByteArray hex(const sim::Bytes& data) {
    return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<int>(data.size()))
        .toHex(' ')
        .toUpper();
}
