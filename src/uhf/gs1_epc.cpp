#include "gs1_epc.h"

#include "protocol/conversion.h"
#include "protocol/hex_text.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>
#include <array>

namespace gs1 {
namespace {

// Largest EPC: SGTIN-198 in 13 words.
constexpr int maxBytes = 26;

// What follows the company prefix and reference.
enum class Tail {
    Integer,    // a serial or extension in decimal
    Characters, // SGTIN-198: up to 20 characters of 7 bits
    Zero,       // SSCC-96: 24 unused bits, zero
    None,       // GIAI-96: the asset reference is last
};

// One row per scheme. The company prefix and the reference share a field of
// sharedBits; the partition says where it splits, and the reference gets the
// bits and digits the company prefix leaves. GID-96 has no partition.
struct SchemeRow {
    Scheme scheme;
    int header;
    const char* name;    // as in the pure identity URI
    const char* tagName; // as in the tag URI
    int bits;
    int sharedBits;
    int sharedDigits;
    bool padReference; // the reference is written with its leading zeros
    const char* referenceName;
    Tail tail;
    int tailBits;
    const char* serialName;
};

const SchemeRow schemes[] = {
    {Scheme::Sgtin96, 0x30, "sgtin", "sgtin-96", 96, 44, 13, true, "itemReference", Tail::Integer,
     38, "serial"},
    {Scheme::Sgtin198, 0x36, "sgtin", "sgtin-198", 198, 44, 13, true, "itemReference",
     Tail::Characters, 140, "serial"},
    {Scheme::Sscc96, 0x31, "sscc", "sscc-96", 96, 58, 17, true, "serialReference", Tail::Zero, 24,
     nullptr},
    {Scheme::Sgln96, 0x32, "sgln", "sgln-96", 96, 41, 12, true, "locationReference", Tail::Integer,
     41, "extension"},
    {Scheme::Grai96, 0x33, "grai", "grai-96", 96, 44, 12, true, "assetType", Tail::Integer, 38,
     "serial"},
    {Scheme::Giai96, 0x34, "giai", "giai-96", 96, 82, 25, false, "assetReference", Tail::None, 0,
     nullptr},
    {Scheme::Gid96, 0x35, "gid", "gid-96", 96, 0, 0, false, "objectClass", Tail::Integer, 36,
     "serial"},
};

// GID-96: the general manager number and the object class.
constexpr int gidManagerBits = 28;
constexpr int gidClassBits = 24;

// The company prefix by partition value; 7 is not a partition.
const struct {
    int bits;
    int digits;
} companyPrefixes[7] = {{40, 12}, {37, 11}, {34, 10}, {30, 9}, {27, 8}, {24, 7}, {20, 6}};

// GS1 schemes that this tool does not take apart.
const struct {
    int header;
    const char* name;
} otherSchemes[] = {{0x2C, "GDTI-96"},  {0x2D, "GSRN-96"},  {0x2E, "GSRNP-96"}, {0x2F, "USDOD-96"},
                    {0x37, "GRAI-170"}, {0x38, "GIAI-202"}, {0x39, "SGLN-195"}, {0x3A, "GDTI-113"},
                    {0x3B, "ADI-var"},  {0x3C, "CPI-96"},   {0x3D, "CPI-var"},  {0x3E, "GDTI-174"},
                    {0x3F, "SGCN-96"}};

constexpr int serialCharacters = 20;
constexpr int characterBits = 7;
// Characters of SGTIN-198 serials besides digits and letters, and those of
// them that a URI writes percent-escaped.
const QString characterPunctuation = QStringLiteral("!\"%&'()*+,-./:;<=>?_");
const QString escapedInUri = QStringLiteral("\"%&/<>?");

const SchemeRow& rowOf(Scheme scheme) {
    return schemes[int(scheme)];
}

quint64 powerOfTen(int digits) {
    quint64 value = 1;
    while (digits-- > 0)
        value *= 10;
    return value;
}

// The largest value a field of these bits and digits holds.
quint64 largest(int bits, int digits) {
    const quint64 byBits = bits >= 64 ? ~quint64(0) : (quint64(1) << bits) - 1;
    return digits >= 20 ? byBits : std::min(byBits, powerOfTen(digits) - 1);
}

QString padded(quint64 value, int digits) {
    return digits ? QString::number(value).rightJustified(digits, QLatin1Char('0')) : QString();
}

bool allDigits(const QString& text) {
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// A decimal integer as URIs write it: digits, no leading zeros, at most max.
bool plainInteger(const QString& text, quint64 max, quint64* value) {
    return !(text.size() > 1 && text.front() == QLatin1Char('0')) && plainDecimal(text, max, value);
}

bool isSerialCharacter(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || characterPunctuation.contains(c);
}

// Bits of an EPC, most significant first.
class Bits {
  public:
    void put(quint64 value, int width) {
        for (int i = width - 1; i >= 0; --i, ++position_)
            if ((value >> i) & 1)
                bytes_[position_ / 8] |= quint8(0x80 >> (position_ % 8));
    }
    quint64 take(int width) {
        quint64 value = 0;
        for (int i = 0; i < width; ++i, ++position_)
            value = (value << 1) | ((bytes_[position_ / 8] >> (7 - position_ % 8)) & 1);
        return value;
    }
    void load(const QByteArray& bytes) {
        std::copy(bytes.begin(), bytes.end(), bytes_.begin());
        position_ = 0;
    }
    int position() const { return position_; }
    // Whether every bit from here to the end of byteCount is zero.
    bool restIsZero(int byteCount) {
        while (position_ < byteCount * 8)
            if (take(1))
                return false;
        return true;
    }
    QString hex(int byteCount) const {
        return QString::fromLatin1(
            QByteArray::fromRawData(reinterpret_cast<const char*>(bytes_.data()), byteCount)
                .toHex()
                .toUpper());
    }

  private:
    std::array<quint8, maxBytes> bytes_{};
    int position_ = 0;
};

// EPCs are written in whole words.
int bytesOf(const SchemeRow& row) {
    return (row.bits + 15) / 16 * 2;
}

// Other tools and GS1's own documents print an EPC in whole bytes; the
// padding zeros to the whole word may be missing.
int shortestBytesOf(const SchemeRow& row) {
    return (row.bits + 7) / 8;
}

std::nullopt_t refuse(QString* why, const QString& text) {
    if (why)
        *why = text;
    return std::nullopt;
}

// Puts a field that a URI writes as a plain integer; false, with why, when it
// does not fit its bits.
bool putInteger(Bits& bits, const QString& text, int width, const QString& name, QString* why) {
    quint64 value = 0;
    if (plainInteger(text, largest(width, 20), &value)) {
        bits.put(value, width);
        return true;
    }
    refuse(why, QCoreApplication::translate("gs1", "%1 的取值为 0 到 %2，不带前导零，不能是“%3”")
                    .arg(name)
                    .arg(largest(width, 20))
                    .arg(text));
    return false;
}

QString upperName(const SchemeRow& row) {
    return QString::fromLatin1(row.tagName).toUpper();
}

QString uriEscaped(const QString& serial) {
    QString text;
    for (QChar c : serial)
        text +=
            escapedInUri.contains(c) ? QStringLiteral("%") + hex::byte(c.unicode()) : QString(c);
    return text;
}

// The SGTIN-198 serial of a URI with its escapes undone; false when a
// character that must be escaped stands bare or an escape is broken.
bool uriUnescaped(const QString& text, QString* serial) {
    serial->clear();
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%')) {
            bool ok = false;
            const int code = text.mid(i + 1, 2).toInt(&ok, 16);
            if (!ok || text.mid(i + 1, 2).size() != 2)
                return false;
            *serial += QChar(code);
            i += 2;
        } else if (escapedInUri.contains(text[i])) {
            return false;
        } else {
            *serial += text[i];
        }
    }
    return true;
}

// GTIN-14 or SSCC-18: the reference's first digit, the company prefix, the
// rest of the reference, the check digit.
QString withCheckDigit(const Epc& epc) {
    const QString body = epc.reference.left(1) + epc.companyPrefix + epc.reference.mid(1);
    return body + QString::number(checkDigit(body));
}

} // namespace

int checkDigit(const QString& digits) {
    int sum = 0;
    int weight = 3;
    for (int i = int(digits.size()) - 1; i >= 0; --i, weight = 4 - weight)
        sum += (digits[i].unicode() - '0') * weight;
    return (10 - sum % 10) % 10;
}

QString Epc::schemeName() const {
    return QLatin1String(rowOf(scheme).tagName);
}

QString Epc::pureIdentityUri() const {
    const SchemeRow& row = rowOf(scheme);
    QString uri = QStringLiteral("urn:epc:id:%1:%2.%3")
                      .arg(QLatin1String(row.name), companyPrefix, reference);
    if (row.serialName)
        uri += QLatin1Char('.') + uriEscaped(serial);
    return uri;
}

QString Epc::tagUri() const {
    const SchemeRow& row = rowOf(scheme);
    QString uri = QStringLiteral("urn:epc:tag:") + schemeName() + QLatin1Char(':');
    if (row.sharedBits)
        uri += QString::number(filter) + QLatin1Char('.');
    uri += companyPrefix + QLatin1Char('.') + reference;
    if (row.serialName)
        uri += QLatin1Char('.') + uriEscaped(serial);
    return uri;
}

QString Epc::gtin() const {
    return scheme == Scheme::Sgtin96 || scheme == Scheme::Sgtin198 ? withCheckDigit(*this)
                                                                   : QString();
}

QString Epc::sscc() const {
    return scheme == Scheme::Sscc96 ? withCheckDigit(*this) : QString();
}

QList<std::pair<QString, QString>> Epc::fields() const {
    const SchemeRow& row = rowOf(scheme);
    QList<std::pair<QString, QString>> list{{QStringLiteral("scheme"), schemeName()}};
    if (row.sharedBits) {
        list.append({QStringLiteral("filter"), QString::number(filter)});
        list.append({QStringLiteral("partition"), QString::number(partition)});
        list.append({QStringLiteral("companyPrefix"), companyPrefix});
    } else {
        list.append({QStringLiteral("generalManager"), companyPrefix});
    }
    list.append({QLatin1String(row.referenceName), reference});
    if (row.serialName)
        list.append({QLatin1String(row.serialName), serial});
    if (!gtin().isEmpty())
        list.append({QStringLiteral("gtin"), gtin()});
    if (!sscc().isEmpty())
        list.append({QStringLiteral("sscc"), sscc()});
    list.append({QStringLiteral("pureIdentityUri"), pureIdentityUri()});
    return list;
}

std::optional<Epc> decode(const QString& hexText, QString* why) {
    QString digits;
    if (!hex::strictDigits(hexText, &digits) || digits.isEmpty())
        return refuse(why,
                      QCoreApplication::translate("gs1", "“%1”不是十六进制的 EPC").arg(hexText));
    const QByteArray bytes = QByteArray::fromHex(digits.toLatin1());
    const int header = quint8(bytes[0]);
    const SchemeRow* row = nullptr;
    for (const SchemeRow& candidate : schemes)
        if (candidate.header == header)
            row = &candidate;
    if (!row) {
        for (const auto& other : otherSchemes)
            if (other.header == header)
                return refuse(why, QCoreApplication::translate(
                                       "gs1", "头部 %1 是本工具不解码的 GS1 编码方案（%2）")
                                       .arg(hex::byte(header), QLatin1String(other.name)));
        return refuse(why, QCoreApplication::translate("gs1", "头部 %1 不是 GS1 EPC 的头部")
                               .arg(hex::byte(header)));
    }
    if (bytes.size() < shortestBytesOf(*row) || bytes.size() > bytesOf(*row))
        return refuse(
            why, QCoreApplication::translate("gs1", "%1 的 EPC 有 %2 个十六进制数字，这个有 %3 个")
                     .arg(upperName(*row))
                     .arg(shortestBytesOf(*row) == bytesOf(*row)
                              ? QString::number(bytesOf(*row) * 2)
                              : QCoreApplication::translate("gs1", "%1 或 %2")
                                    .arg(shortestBytesOf(*row) * 2)
                                    .arg(bytesOf(*row) * 2))
                     .arg(digits.size()));
    Bits bits;
    bits.load(bytes);
    bits.take(8);
    Epc epc;
    epc.scheme = row->scheme;
    if (!row->sharedBits) {
        epc.companyPrefix = QString::number(bits.take(gidManagerBits));
        epc.reference = QString::number(bits.take(gidClassBits));
        epc.serial = QString::number(bits.take(row->tailBits));
        return epc;
    }
    epc.filter = int(bits.take(3));
    epc.partition = int(bits.take(3));
    if (epc.partition == 7)
        return refuse(why, QCoreApplication::translate("gs1", "分区值 7 无效"));
    const int prefixDigits = companyPrefixes[epc.partition].digits;
    const int referenceBits = row->sharedBits - companyPrefixes[epc.partition].bits;
    const int referenceDigits = row->sharedDigits - prefixDigits;
    const quint64 prefix = bits.take(companyPrefixes[epc.partition].bits);
    if (prefix >= powerOfTen(prefixDigits))
        return refuse(
            why, QCoreApplication::translate("gs1", "厂商识别代码字段的值为 %1，超过了 %2 位数字")
                     .arg(prefix)
                     .arg(prefixDigits));
    const quint64 reference = bits.take(referenceBits);
    if (reference > largest(referenceBits, referenceDigits))
        return refuse(why, QCoreApplication::translate("gs1", "%1 字段的值为 %2，超过了 %3 位数字")
                               .arg(QLatin1String(row->referenceName))
                               .arg(reference)
                               .arg(referenceDigits));
    epc.companyPrefix = padded(prefix, prefixDigits);
    epc.reference =
        row->padReference ? padded(reference, referenceDigits) : QString::number(reference);
    switch (row->tail) {
    case Tail::Integer:
        epc.serial = QString::number(bits.take(row->tailBits));
        break;
    case Tail::Characters:
        for (int i = 0; i < serialCharacters; ++i) {
            const QChar c(int(bits.take(characterBits)));
            if (c.isNull())
                break;
            if (!isSerialCharacter(c))
                return refuse(why, QCoreApplication::translate(
                                       "gs1", "序列号的第 %1 个字符为 %2，不是 GS1 字符")
                                       .arg(i + 1)
                                       .arg(hex::byte(c.unicode())));
            epc.serial += c;
        }
        if (epc.serial.isEmpty())
            return refuse(why, QCoreApplication::translate("gs1", "序列号为空"));
        break;
    case Tail::Zero:
        if (bits.take(row->tailBits))
            return refuse(why, QCoreApplication::translate("gs1", "SSCC-96 中未用的位不全为零"));
        break;
    case Tail::None:
        break;
    }
    if (!bits.restIsZero(bytesOf(*row)))
        return refuse(why, QCoreApplication::translate("gs1", "最后一个字段之后的位不全为零"));
    return epc;
}

QString tagUriOf(const QString& hex) {
    const std::optional<Epc> epc = decode(hex, nullptr);
    return epc ? epc->tagUri() : QString();
}

std::optional<QString> encode(const Epc& epc, QString* why) {
    const SchemeRow& row = rowOf(epc.scheme);
    Bits bits;
    bits.put(row.header, 8);
    quint64 value = 0;
    if (!row.sharedBits) {
        const struct {
            const QString& text;
            int bits;
            QString name;
        } parts[] = {{epc.companyPrefix, gidManagerBits,
                      QCoreApplication::translate("gs1", "通用管理者代码")},
                     {epc.reference, gidClassBits, QCoreApplication::translate("gs1", "对象类别")},
                     {epc.serial, row.tailBits, QLatin1String(row.serialName)}};
        for (const auto& part : parts)
            if (!putInteger(bits, part.text, part.bits, part.name, why))
                return std::nullopt;
        return bits.hex(bytesOf(row));
    }
    if (epc.filter < 0 || epc.filter > 7)
        return refuse(
            why, QCoreApplication::translate("gs1", "滤值须为 0 到 7，不能是 %1").arg(epc.filter));
    const int prefixDigits = int(epc.companyPrefix.size());
    if (prefixDigits < 6 || prefixDigits > 12 || !allDigits(epc.companyPrefix))
        return refuse(
            why, QCoreApplication::translate("gs1", "厂商识别代码须为 6 到 12 位数字，不能是“%1”")
                     .arg(epc.companyPrefix));
    const int partition = 12 - prefixDigits;
    const int referenceBits = row.sharedBits - companyPrefixes[partition].bits;
    const int referenceDigits = row.sharedDigits - prefixDigits;
    bits.put(quint64(epc.filter), 3);
    bits.put(quint64(partition), 3);
    bits.put(epc.companyPrefix.toULongLong(), companyPrefixes[partition].bits);
    if (row.padReference) {
        if (epc.reference.size() != referenceDigits || !allDigits(epc.reference))
            return refuse(
                why, QCoreApplication::translate(
                         "gs1", "厂商识别代码（%1 位）和 %2 合起来须有 %3 位数字，不能是“%4.%5”")
                         .arg(prefixDigits)
                         .arg(QLatin1String(row.referenceName))
                         .arg(row.sharedDigits)
                         .arg(epc.companyPrefix, epc.reference));
        value = epc.reference.toULongLong();
    } else if (!plainInteger(epc.reference, largest(referenceBits, referenceDigits), &value)) {
        return refuse(
            why, QCoreApplication::translate(
                     "gs1", "厂商识别代码为 %1 位时，%2 的取值为 0 到 %3，不带前导零，不能是“%4”")
                     .arg(prefixDigits)
                     .arg(QLatin1String(row.referenceName))
                     .arg(largest(referenceBits, referenceDigits))
                     .arg(epc.reference));
    }
    bits.put(value, referenceBits);
    switch (row.tail) {
    case Tail::Integer:
        if (!putInteger(bits, epc.serial, row.tailBits, QLatin1String(row.serialName), why))
            return std::nullopt;
        break;
    case Tail::Characters:
        if (epc.serial.isEmpty() || epc.serial.size() > serialCharacters ||
            !std::all_of(epc.serial.begin(), epc.serial.end(), isSerialCharacter))
            return refuse(why, QCoreApplication::translate(
                                   "gs1", "序列号须为 1 到 20 个 GS1 "
                                          "字符（数字、字母、!\"%&'()*+,-./:;<=>?_），不能是“%1”")
                                   .arg(epc.serial));
        for (QChar c : epc.serial)
            bits.put(c.unicode(), characterBits);
        break;
    case Tail::Zero:
    case Tail::None:
        break;
    }
    return bits.hex(bytesOf(row));
}

std::optional<Epc> fromTagUri(const QString& text, QString* why) {
    const QString uri = text.trimmed();
    const QString prefix = QStringLiteral("urn:epc:tag:");
    if (uri.startsWith(QLatin1String("urn:epc:id:"), Qt::CaseInsensitive))
        return refuse(
            why, QCoreApplication::translate(
                     "gs1",
                     "“%1”是纯标识 URI，不含滤值和长度：请给出标签 URI（urn:epc:tag:sgtin-96:...）")
                     .arg(uri));
    if (!uri.startsWith(prefix, Qt::CaseInsensitive))
        return refuse(
            why,
            QCoreApplication::translate("gs1", "“%1”不是标签 URI（urn:epc:tag:...）").arg(uri));
    const QString scheme = uri.mid(prefix.size()).section(QLatin1Char(':'), 0, 0);
    const QString body = uri.mid(prefix.size() + scheme.size() + 1);
    const SchemeRow* row = nullptr;
    for (const SchemeRow& candidate : schemes)
        if (scheme.compare(QLatin1String(candidate.tagName), Qt::CaseInsensitive) == 0)
            row = &candidate;
    if (!row)
        return refuse(why, QCoreApplication::translate(
                               "gs1", "“%1”不是本工具能编码的方案（sgtin-96、sgtin-198、sscc-"
                                      "96、sgln-96、grai-96、giai-96、gid-96）")
                               .arg(scheme));
    // Fields are split at dots; an SGTIN-198 serial may hold dots itself.
    const int count = (row->sharedBits ? 3 : 2) + (row->serialName ? 1 : 0);
    QStringList parts = body.split(QLatin1Char('.'));
    if (parts.size() > count && row->tail == Tail::Characters)
        parts = parts.mid(0, count - 1) << parts.mid(count - 1).join(QLatin1Char('.'));
    if (parts.size() != count)
        return refuse(why, QCoreApplication::translate(
                               "gs1", "%1 的标签 URI 须有 %2 个以点分隔的字段，不能是“%3”")
                               .arg(upperName(*row))
                               .arg(count)
                               .arg(body));
    Epc epc;
    epc.scheme = row->scheme;
    if (row->sharedBits) {
        const QString filter = parts.takeFirst();
        if (filter.size() != 1 || filter[0] < QLatin1Char('0') || filter[0] > QLatin1Char('7'))
            return refuse(
                why, QCoreApplication::translate("gs1", "滤值须为 0 到 7，不能是“%1”").arg(filter));
        epc.filter = filter.toInt();
        epc.partition = 12 - int(parts[0].size());
    }
    epc.companyPrefix = parts[0];
    epc.reference = parts[1];
    // Number fields take digits only: escapes belong to character serials.
    if (row->tail != Tail::Characters && row->serialName)
        epc.serial = parts[2];
    else if (row->serialName && !uriUnescaped(parts[2], &epc.serial))
        return refuse(why, QCoreApplication::translate(
                               "gs1", "序列号“%1”中有未转义的 \" % & / < > ? 或残缺的 %-转义")
                               .arg(parts[2]));
    if (!encode(epc, why))
        return std::nullopt;
    return epc;
}

std::optional<Epc> fromElementString(const QString& text, int companyPrefixLength, int filter,
                                     QString* why) {
    static const QRegularExpression element(QStringLiteral("\\((\\d{2,4})\\)([^()]+)"));
    const QString elements = text.trimmed();
    QStringList ais;
    QStringList values;
    int end = 0;
    for (auto match = element.globalMatch(elements); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        if (m.capturedStart() != end)
            break;
        ais << m.captured(1);
        values << m.captured(2);
        end = int(m.capturedEnd());
    }
    if (end != elements.size() || ais.isEmpty())
        return refuse(
            why,
            QCoreApplication::translate("gs1", "“%1”不是 GS1 元素串（(AI)值...）").arg(elements));
    const int l = companyPrefixLength;
    if (l < 6 || l > 12)
        return refuse(
            why,
            QCoreApplication::translate("gs1", "厂商识别代码的长度须为 6 到 12，不能是 %1").arg(l));

    // The key with its check digit: digits, length, check digit right.
    auto checked = [&](const QString& key, int size, const char* name) {
        if (key.size() != size || !allDigits(key)) {
            refuse(why, QCoreApplication::translate("gs1", "%1 须有 %2 位数字，不能是“%3”")
                            .arg(QLatin1String(name))
                            .arg(size)
                            .arg(key));
            return false;
        }
        const int digit = checkDigit(key.left(size - 1));
        if (key.back().unicode() - '0' != digit) {
            refuse(why, QCoreApplication::translate("gs1", "%1 %2 的校验位应为 %3，不是 %4")
                            .arg(QLatin1String(name), key)
                            .arg(digit)
                            .arg(key.back()));
            return false;
        }
        return true;
    };

    Epc epc;
    epc.filter = filter;
    const QString joined = ais.join(QLatin1Char(','));
    const QString& first = values[0];
    if (joined == QLatin1String("01,21")) {
        if (!checked(first, 14, "GTIN"))
            return std::nullopt;
        epc.scheme = Scheme::Sgtin96;
        epc.companyPrefix = first.mid(1, l);
        epc.reference = first.left(1) + first.mid(1 + l, 12 - l);
        epc.serial = values[1];
    } else if (joined == QLatin1String("00")) {
        if (!checked(first, 18, "SSCC"))
            return std::nullopt;
        epc.scheme = Scheme::Sscc96;
        epc.companyPrefix = first.mid(1, l);
        epc.reference = first.left(1) + first.mid(1 + l, 16 - l);
    } else if (joined == QLatin1String("414") || joined == QLatin1String("414,254")) {
        if (!checked(first, 13, "GLN"))
            return std::nullopt;
        epc.scheme = Scheme::Sgln96;
        epc.companyPrefix = first.left(l);
        epc.reference = first.mid(l, 12 - l);
        epc.serial = values.value(1, QStringLiteral("0"));
    } else if (joined == QLatin1String("8003")) {
        // A 0, the GRAI's 13 digits with the check digit, then the serial.
        if (!first.startsWith(QLatin1Char('0')) || !checked(first.mid(1, 13), 13, "GRAI"))
            return std::nullopt;
        epc.scheme = Scheme::Grai96;
        epc.companyPrefix = first.mid(1, l);
        epc.reference = first.mid(1 + l, 12 - l);
        epc.serial = first.mid(14);
    } else if (joined == QLatin1String("8004")) {
        epc.scheme = Scheme::Giai96;
        epc.companyPrefix = first.left(l);
        epc.reference = first.mid(l);
    } else {
        return refuse(why, QCoreApplication::translate(
                               "gs1", "本工具能编码的元素串：(01)...(21)...、(00)...、(414)...[("
                                      "254)...]、(8003)...、(8004)...，不能是“%1”")
                               .arg(elements));
    }
    epc.partition = 12 - l;
    if (!encode(epc, why))
        return std::nullopt;
    return epc;
}

std::optional<Epc> fromText(const QString& text, int companyPrefixLength, int filter,
                            QString* why) {
    return text.trimmed().startsWith(QLatin1Char('('))
               ? fromElementString(text, companyPrefixLength, filter, why)
               : fromTagUri(text, why);
}

std::optional<Series> series(const Epc& start, quint64 step, QString* why) {
    const SchemeRow& row = rowOf(start.scheme);
    const std::optional<QString> startHex = encode(start, why);
    if (!startHex)
        return std::nullopt;
    if (row.tail == Tail::Characters)
        return refuse(why,
                      QCoreApplication::translate("gs1", "SGTIN-198 的序列号是文字，不能递增"));
    // The counted field: its bits, its largest value and how many bits lie
    // below it. Only the SSCC's serial reference is not the lowest field.
    int fieldBits = row.tailBits;
    int below = 0;
    quint64 max = largest(fieldBits, 20);
    Epc last = start;
    QString* counted = &last.serial;
    if (row.tail != Tail::Integer) {
        const int prefixDigits = int(start.companyPrefix.size());
        fieldBits = row.sharedBits - companyPrefixes[12 - prefixDigits].bits;
        below = row.tailBits;
        max = largest(fieldBits, row.sharedDigits - prefixDigits);
        counted = &last.reference;
    }
    if (step < 1 || step > max)
        return refuse(why,
                      QCoreApplication::translate("gs1", "这个 %2 的步长须为 1 到 %1，不能是 %3")
                          .arg(max)
                          .arg(upperName(row))
                          .arg(step));
    *counted = row.padReference && counted == &last.reference ? padded(max, int(counted->size()))
                                                              : QString::number(max);
    Bits stepBits;
    stepBits.put(0, row.bits - fieldBits - below);
    stepBits.put(step, fieldBits);
    return Series{*startHex, stepBits.hex(bytesOf(row)), *encode(last, why)};
}

} // namespace gs1
