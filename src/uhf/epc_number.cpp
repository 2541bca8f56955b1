#include "epc_number.h"

#include "protocol/conversion.h"
#include "protocol/hex_text.h"

#include <QCoreApplication>
#include <algorithm>
#include <vector>

namespace {

constexpr int maxBytes = 64;
constexpr int maxEpcBytes = 62;

// The bytes of the text zero-filled to width characters, least significant
// first. A failure quotes the text as the operator typed it.
std::vector<int> bytesOf(const QString& text, int width, bool littleEndian) {
    const QString digits = text.rightJustified(width, QLatin1Char('0')).remove(QLatin1Char(' '));
    if (digits.size() % 2 || digits.size() / 2 > maxBytes || hex::digitsOf(digits) != digits)
        throw ConversionError(text);
    std::vector<int> bytes;
    for (int i = 0; i < digits.size(); i += 2)
        bytes.push_back(digits.mid(i, 2).toInt(nullptr, 16));
    if (!littleEndian)
        std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

} // namespace

QString addhex(const QString& number, const QString& step, bool littleEndian) {
    const int width = std::max(number.size(), step.size());
    std::vector<int> sum = bytesOf(number, width, littleEndian);
    const std::vector<int> add = bytesOf(step, width, false);
    sum.resize(std::max(sum.size(), add.size()), 0);
    int carry = 0;
    for (std::size_t i = 0; i < sum.size(); ++i) {
        const int total = sum[i] + (i < add.size() ? add[i] : 0) + carry;
        sum[i] = total & 0xFF;
        carry = total >> 8;
    }
    if (carry)
        sum.push_back(carry);
    if (!littleEndian)
        std::reverse(sum.begin(), sum.end());
    QString text;
    for (int byte : sum)
        text += hex::byte(byte);
    return text;
}

QString epcNumberProblem(const QString& epc) {
    const int bytes = int(epc.size()) / 2;
    const bool wholeBytes = hex::digitsOf(epc) == epc && epc.size() % 2 == 0;
    if (wholeBytes && bytes % 2 == 0 && bytes >= 2 && bytes <= maxEpcBytes)
        return QString();
    if (wholeBytes)
        return QCoreApplication::translate("epcnumber",
                                           "EPC号长度须为 2 到 %1 之间的偶数个字节，现为 %2 字节")
            .arg(maxEpcBytes)
            .arg(bytes);
    return QCoreApplication::translate(
               "epcnumber", "EPC号长度须为 2 到 %1 之间的偶数个字节，现为 %2 位十六进制数字")
        .arg(maxEpcBytes)
        .arg(epc.size());
}

QString stepValue(const QString& step) {
    const QString digits = step.toUpper();
    qsizetype zeros = 0;
    while (zeros < digits.size() - 1 && digits[zeros] == QLatin1Char('0'))
        ++zeros;
    return digits.isEmpty() ? QStringLiteral("0") : digits.mid(zeros);
}
