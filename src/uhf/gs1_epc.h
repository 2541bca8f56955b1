#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <utility>

// GS1 identities in the EPC memory of UHF tags: SGTIN-96, SGTIN-198, SSCC-96,
// SGLN-96, GRAI-96, GIAI-96 and GID-96. A decode either gives every field or
// says why the EPC is not one of these; nothing is guessed.
namespace gs1 {

enum class Scheme { Sgtin96, Sgtin198, Sscc96, Sgln96, Grai96, Giai96, Gid96 };

// An EPC as its tag URI writes it: fixed-width digit fields keep their
// leading zeros, integers have none.
struct Epc {
    Scheme scheme = Scheme::Sgtin96;
    int filter = 0;        // not in GID-96
    int partition = 0;     // follows from the company prefix's digits; not in GID-96
    QString companyPrefix; // GID-96: the general manager number
    // Item reference (with the indicator digit), serial reference (with the
    // extension digit), location reference, asset type, individual asset
    // reference; GID-96: the object class.
    QString reference;
    // Serial, or the SGLN extension; empty in SSCC-96 and GIAI-96.
    QString serial;

    QString schemeName() const; // "sgtin-96"
    QString tagUri() const;
    QString pureIdentityUri() const;
    QString gtin() const; // GTIN-14 with its check digit, SGTIN only
    QString sscc() const; // SSCC-18 with its check digit, SSCC only
    // Every field by name, in the order decode prints them.
    QList<std::pair<QString, QString>> fields() const;
};

// The EPC as hex text (blanks allowed), or why it is not a GS1 EPC.
std::optional<Epc> decode(const QString& hex, QString* why);
// The tag URI of a GS1 EPC; empty for any other EPC.
QString tagUriOf(const QString& hex);
// The EPC's upper-case hex, or why its fields cannot be encoded.
std::optional<QString> encode(const Epc& epc, QString* why);

// urn:epc:tag:sgtin-96:3.0614141.812345.6789 and the like.
std::optional<Epc> fromTagUri(const QString& uri, QString* why);
// (01)GTIN(21)serial, (00)SSCC, (414)GLN[(254)extension], (8003)GRAI, (8004)GIAI,
// encoded in the scheme's 96-bit form; the company prefix length cannot be
// read from these and must be given.
std::optional<Epc> fromElementString(const QString& text, int companyPrefixLength, int filter,
                                     QString* why);
// A tag URI or an element string, told apart by their first character.
std::optional<Epc> fromText(const QString& text, int companyPrefixLength, int filter, QString* why);

// The check digit of a GTIN, SSCC or GLN given without it.
int checkDigit(const QString& digits);

// A series of EPCs that counts the scheme's serial field: the serial
// (SGTIN-96, GRAI-96, GID-96), the serial reference (SSCC-96), the asset
// reference (GIAI-96) or the extension (SGLN-96), every other field kept.
// All three are EPC hex of the same width, so the next number is start plus
// step as big-endian hex, and the series ends after `last`.
struct Series {
    QString start;
    QString step; // the decimal step placed in the serial field
    QString last; // the EPC whose serial field has its largest value
};
std::optional<Series> series(const Epc& start, quint64 step, QString* why);

} // namespace gs1
