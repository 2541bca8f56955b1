#include "reply.h"

#include "hex_text.h"
#include "text_encoding.h"

#include <algorithm>

namespace reply {

QString byte(const QString& reply, int n) {
    return bytes(reply, n, n);
}

QString bytes(const QString& reply, int first, int last) {
    if (last < first)
        return QString();
    return hex::mid(reply, 2 * first - 1, 2 * (last - first + 1));
}

QString status(const QString& reply) {
    return byte(reply, 4);
}

int dataLength(const QString& reply) {
    return std::max(0, byte(reply, 3).toInt(nullptr, 16) - 1);
}

QString bytesToEnd(const QString& reply, int first) {
    return bytes(reply, first, dataLength(reply) + 4);
}

QString data(const QString& reply) {
    return bytesToEnd(reply, 5);
}

QString body(const QString& reply) {
    return bytes(reply, 5, int(reply.size()) / 2 - 2);
}

QString text(const QString& hexBytes, bool* ok) {
    return fromGbk(Getchr(hexBytes), ok);
}

} // namespace reply
