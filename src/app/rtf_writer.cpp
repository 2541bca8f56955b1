#include "rtf_writer.h"

#include <iconv.h>

namespace {

// The blank after "\fs20" only ends the control word; a line starting with
// a blank or a digit then keeps it.
const char kHeader[] = "{\\rtf1\\ansi\\ansicpg936\\deff0"
                       "{\\fonttbl{\\f0\\fnil\\fcharset134 MS Sans Serif;}}\r\n"
                       "\\f0\\fs20 ";

// One iconv descriptor for a whole document; closed when it goes away.
class GbkEncoder {
  public:
    GbkEncoder() : cd_(iconv_open("GBK", "UTF-16LE")) {}
    ~GbkEncoder() {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    GbkEncoder(const GbkEncoder&) = delete;
    GbkEncoder& operator=(const GbkEncoder&) = delete;

    // The GBK bytes of one character, or an empty array if GBK has none (or
    // iconv lacks the conversion, in which case every character falls back
    // to a Unicode escape and the text is still complete).
    QByteArray encode(char16_t unit) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            return QByteArray();
        char in[2] = {char(unit & 0xFF), char(unit >> 8)};
        char out[8];
        char* inPtr = in;
        char* outPtr = out;
        size_t inLeft = sizeof in;
        size_t outLeft = sizeof out;
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1))
            return QByteArray();
        return QByteArray(out, int(outPtr - out));
    }

  private:
    iconv_t cd_;
};

void appendHexByte(QByteArray& rtf, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    rtf += "\\'";
    rtf += digits[byte >> 4];
    rtf += digits[byte & 0x0F];
}

// RTF takes the UTF-16 unit as a signed 16-bit number; the '?' is what a
// reader without Unicode support shows instead.
void appendUnicode(QByteArray& rtf, char16_t unit) {
    rtf += "\\u";
    rtf += QByteArray::number(int(qint16(unit)));
    rtf += '?';
}

void appendLine(QByteArray& rtf, const QString& line, GbkEncoder& gbk) {
    for (QChar c : line) {
        const char16_t unit = c.unicode();
        if (unit == '\\' || unit == '{' || unit == '}') {
            rtf += '\\';
            rtf += char(unit);
        } else if (unit == '\t') {
            rtf += "\\tab ";
        } else if (unit < 0x20) {
            appendHexByte(rtf, uchar(unit));
        } else if (unit < 0x80) {
            rtf += char(unit);
        } else if (c.isSurrogate()) {
            appendUnicode(rtf, unit);
        } else {
            const QByteArray bytes = gbk.encode(unit);
            if (bytes.isEmpty()) {
                appendUnicode(rtf, unit);
            } else {
                for (char byte : bytes)
                    appendHexByte(rtf, uchar(byte));
            }
        }
    }
    rtf += "\\par\r\n";
}

} // namespace

QByteArray linesToRtf(const QStringList& lines) {
    GbkEncoder gbk;
    QByteArray rtf = kHeader;
    for (const QString& line : lines)
        appendLine(rtf, line, gbk);
    rtf += "}\r\n";
    return rtf;
}
