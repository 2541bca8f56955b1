#include "text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace {

// An iconv descriptor that closes itself.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of [*in, *in + *inLeft) as it can; returns false at the
    // first sequence it cannot take, with *in pointing at it.
    bool convert(char** in, size_t* inLeft, QByteArray& out) {
        char buffer[256];
        while (*inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(cd_, in, inLeft, &outPtr, &outLeft);
            out.append(buffer, int(outPtr - buffer));
            if (result == size_t(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

  private:
    iconv_t cd_;
};

} // namespace

std::optional<QByteArray> toGbk(const QString& text) {
    if (!QStringView(text).isValidUtf16())
        return std::nullopt;
    Converter gbk("GBK", "UTF-8");
    if (!gbk.valid())
        return std::nullopt;
    QByteArray utf8 = text.toUtf8();
    char* in = utf8.data();
    size_t inLeft = size_t(utf8.size());
    QByteArray out;
    if (!gbk.convert(&in, &inLeft, out))
        return std::nullopt;
    return out;
}

QString fromGbk(const QByteArray& bytes, bool* ok) {
    bool good = true;
    Converter utf8("UTF-8", "GBK");
    QString text;
    if (utf8.valid()) {
        QByteArray copy = bytes;
        char* in = copy.data();
        size_t inLeft = size_t(copy.size());
        QByteArray out;
        while (!utf8.convert(&in, &inLeft, out)) {
            // Mark the bad byte and carry on with the next one.
            good = false;
            out.append("\xEF\xBF\xBD");
            ++in;
            --inLeft;
        }
        text = QString::fromUtf8(out);
    } else {
        good = bytes.isEmpty();
        text = QString(bytes.size(), QChar::ReplacementCharacter);
    }
    if (ok)
        *ok = good;
    return text;
}
