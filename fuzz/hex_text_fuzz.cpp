// Hex-text helpers, frame builders and the integer conversion on arbitrary text.
#include "protocol/conversion.h"
#include "protocol/frames.h"
#include "protocol/hex_text.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    const QString compact = checkdata(text);
    if (compact.size() % 2 || hex::toBytes(text).size() != compact.size() / 2)
        std::abort();
    adddate(text);
    cdate(text);
    Getchr(text);
    GetAscii(text.toUtf8());
    hex::mid(text, int(size % 7), int(size % 5) - 1);
    const QString frame = hfFrame(QStringLiteral("00"), text);
    if (!frame.isEmpty() && hex::toBytes(frame).size() != compact.size() / 2 + 5)
        std::abort();
    tunnelFrame(QStringLiteral("1a"), text);
    int value = 0;
    tryStrToInt(text, &value);
    return 0;
}
