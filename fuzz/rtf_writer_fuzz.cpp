// The RTF writer with arbitrary Unicode lines: no crash, and the document
// stays plain 7-bit text with balanced braces.
#include "app/rtf_writer.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    const QByteArray rtf = linesToRtf(text.split(QLatin1Char('\n')));
    int depth = 0;
    bool escaped = false;
    for (char c : rtf) {
        if (static_cast<unsigned char>(c) > 0x7f)
            std::abort();
        if (escaped) {
            escaped = false;
            continue;
        }
        if (c == '\\')
            escaped = true;
        else if (c == '{')
            ++depth;
        else if (c == '}' && --depth < 0)
            std::abort();
    }
    if (depth != 0)
        std::abort();
    return 0;
}
