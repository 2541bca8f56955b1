#include "app/rtf_writer.h"

#include <QtTest>
#include <iconv.h>

namespace {

QString fromGbk(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QStringLiteral("<no iconv>");
    QByteArray in = bytes;
    QByteArray out(bytes.size() * 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = size_t(in.size());
    size_t outLeft = size_t(out.size());
    const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1);
    iconv_close(cd);
    if (!ok)
        return QStringLiteral("<bad GBK>");
    return QString::fromUtf8(out.constData(), int(outPtr - out.data()));
}

// Reads back the paragraphs of an RTF document: control words and symbols,
// \'hh bytes in the GBK code page, \uN with one fallback character, \par,
// \tab. Groups inside the document (the font table) are skipped.
class RtfReader {
  public:
    explicit RtfReader(const QByteArray& rtf) : rtf_(rtf) {}

    QStringList paragraphs() {
        if (!rtf_.startsWith("{\\rtf1") || !rtf_.endsWith("}\r\n"))
            return {QStringLiteral("<not one RTF group>")};
        rtf_.chop(3);
        pos_ = 1;
        int nested = 0;
        int fallbackToSkip = 0;
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_++];
            if (c == '{') {
                ++nested;
            } else if (c == '}') {
                --nested;
            } else if (c == '\r' || c == '\n') {
                continue;
            } else if (nested > 0) {
                if (c == '\\')
                    ++pos_;
            } else if (c == '\\') {
                controlWord(fallbackToSkip);
            } else if (fallbackToSkip > 0) {
                --fallbackToSkip;
            } else {
                text(QString(QChar::fromLatin1(c)));
            }
        }
        flushBytes();
        if (!current_.isEmpty() || nested != 0)
            paragraphs_ << QStringLiteral("<unterminated>") + current_;
        return paragraphs_;
    }

  private:
    void controlWord(int& fallbackToSkip) {
        const char first = rtf_[pos_];
        if (!std::isalpha(uchar(first))) {
            ++pos_;
            if (first == '\'') {
                bytes_ += char(rtf_.mid(pos_, 2).toInt(nullptr, 16));
                pos_ += 2;
            } else {
                text(QString(QChar::fromLatin1(first)));
            }
            return;
        }
        const int start = pos_;
        while (pos_ < rtf_.size() && std::isalpha(uchar(rtf_[pos_])))
            ++pos_;
        const QByteArray word = rtf_.mid(start, pos_ - start);
        const int numberStart = pos_;
        if (pos_ < rtf_.size() && rtf_[pos_] == '-')
            ++pos_;
        while (pos_ < rtf_.size() && std::isdigit(uchar(rtf_[pos_])))
            ++pos_;
        const QByteArray number = rtf_.mid(numberStart, pos_ - numberStart);
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ')
            ++pos_;

        if (word == "par") {
            flushBytes();
            paragraphs_ << current_;
            current_.clear();
        } else if (word == "tab") {
            text(QStringLiteral("\t"));
        } else if (word == "u") {
            text(QString(QChar(char16_t(number.toShort()))));
            fallbackToSkip = 1;
        }
    }

    void text(const QString& s) {
        flushBytes();
        current_ += s;
    }

    void flushBytes() {
        if (!bytes_.isEmpty())
            current_ += fromGbk(bytes_);
        bytes_.clear();
    }

    QByteArray rtf_;
    int pos_ = 0;
    QByteArray bytes_;
    QString current_;
    QStringList paragraphs_;
};

} // namespace

class RtfWriterTest : public QObject {
    Q_OBJECT
  private slots:
    void writesHeaderAndOneParagraphPerLine();
    void encodesCharacters_data();
    void encodesCharacters();
    void readsBackTheSameLines_data();
    void readsBackTheSameLines();
};

void RtfWriterTest::writesHeaderAndOneParagraphPerLine() {
    const QByteArray header = "{\\rtf1\\ansi\\ansicpg936\\deff0"
                              "{\\fonttbl{\\f0\\fnil\\fcharset134 MS Sans Serif;}}\r\n"
                              "\\f0\\fs20 ";
    QCOMPARE(linesToRtf({}), header + "}\r\n");
    QCOMPARE(linesToRtf({"Reader OK   03:04:05 PM", "", " 2"}),
             header + "Reader OK   03:04:05 PM\\par\r\n\\par\r\n 2\\par\r\n}\r\n");
}

void RtfWriterTest::encodesCharacters_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("braces and backslash") << "a\\b{c}" << QByteArray("a\\\\b\\{c\\}");
    QTest::newRow("Chinese as GBK bytes") << "读中" << QByteArray("\\'b6\\'c1\\'d6\\'d0");
    QTest::newRow("full-width punctuation") << "。" << QByteArray("\\'a1\\'a3");
    QTest::newRow("not in GBK, below 8000h") << "©" << QByteArray("\\u169?");
    QTest::newRow("not in GBK, signed") << "한" << QByteArray("\\u-10916?");
    QTest::newRow("beyond the BMP as surrogates")
        << QString::fromUtf8("\xF0\x9F\x98\x80") << QByteArray("\\u-10179?\\u-8704?");
    QTest::newRow("tab") << "a\tb" << QByteArray("a\\tab b");
}

void RtfWriterTest::encodesCharacters() {
    QFETCH(QString, line);
    QFETCH(QByteArray, body);
    const QByteArray rtf = linesToRtf({line});
    const QByteArray expected = "\\f0\\fs20 " + body + "\\par\r\n}\r\n";
    QVERIFY2(rtf.endsWith(expected), rtf.constData());
}

void RtfWriterTest::readsBackTheSameLines_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("log lines") << QStringList{
        "读写器地址设置成功   03:04:05 PM",
        "通讯错误，没有接收到数据..   12:00:00 AM",
        "",
        "232RX Data..",
        "AA 00 03 00 01 02 BB",
    };
    QTest::newRow("blanks kept") << QStringList{" 版本更新记录：", "  two  blanks  ", " ", "   "};
    QTest::newRow("starts with digits") << QStringList{"1.6版本  增加GS1格式的读卡功能", "20"};
    QTest::newRow("braces and backslashes")
        << QStringList{"{\\rtf1}", "\\par not a paragraph", "C:\\temp\\log.txt", "}{"};
    QTest::newRow("emoji and characters outside GBK")
        << QStringList{QString::fromUtf8("标签 \xF0\x9F\x98\x80 OK"), "© 한글 ß", "€ 100"};
    QTest::newRow("only empty lines") << QStringList{"", "", ""};
    QTest::newRow("tab") << QStringList{"a\tb"};
}

void RtfWriterTest::readsBackTheSameLines() {
    QFETCH(QStringList, lines);
    QCOMPARE(RtfReader(linesToRtf(lines)).paragraphs(), lines);
}

QTEST_MAIN(RtfWriterTest)
#include "rtf_writer_test.moc"
