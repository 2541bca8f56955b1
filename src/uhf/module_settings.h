#pragma once

#include "epc_operations.h"

#include <QList>
#include <QString>

// The Query parameters of the module's inventory, as the 16-bit word of
// commands 0D/0E holds them from the top bit: DR (1), M (2), TRext (1),
// Sel (2), session (2), target (1), Q (4), 3 reserved bits.
struct QueryParameters {
    int session = 0;      // S0..S3
    bool targetB = false; // target A or B
    int q = 4;            // 0..15
    // DR, M, TRext, Sel and the reserved bits as the module had them: a set
    // changes session, target and Q only.
    int otherBits = 0x1000;

    static QueryParameters fromWord(int word);
    int word() const;
    // "S1 B Q=4".
    QString text() const;
    bool operator==(const QueryParameters& other) const { return word() == other.word(); }
};

// The regions of the module (commands 07/08) and their channel plans.
namespace uhfRegion {
constexpr int china900 = 0x01;
constexpr int us = 0x02;
constexpr int europe = 0x03;
constexpr int china800 = 0x04;
constexpr int korea = 0x06;
// Every region code in the order an operator picks from.
extern const QList<int> all;

// "中国 900 MHz" and the like; the code in hex for a region not known here.
QString name(int region);
// The short names that profiles and the command line take: cn900, cn800, us,
// eu, kr; the code in hex for a region not known here.
QString key(int region);
// The region of a short name; -1 for none.
int fromKey(const QString& key);
QStringList keys();
// The channels of the region's band; 0 for a region not known here.
int channelCount(int region);
// The channel's centre frequency in MHz; 0 for a region not known here.
double channelMHz(int region, int index);
} // namespace uhfRegion

struct ModuleSetting;

// The module's RF settings through the tunnel, without widgets or log lines,
// for the window and the command-line tool alike: module information, transmit
// power, region, channel, hopping and the Query parameters. Every set is read
// back and compared; a refusal carries the module's error in words.
class ModuleSettings {
  public:
    enum class Outcome { Done, NoReply, Refused, Garbled, Mismatch };
    // What module information (03) tells.
    enum class Info { Hardware = 0, Software = 1, Manufacturer = 2 };

    // The settable power of a module, in dBm, in 1 dB steps.
    static constexpr int minimumPowerDbm = 5;
    static constexpr int defaultMaximumPowerDbm = 26;

    explicit ModuleSettings(ReaderLink& link) : operations_(link) {}

    Outcome readInfo(Info which, QString* text);
    // In hundredths of a dBm, as the module keeps it.
    Outcome readPower(int* centiDbm);
    Outcome setPower(int centiDbm);
    Outcome readRegion(int* region);
    Outcome setRegion(int region);
    Outcome readChannel(int* index);
    Outcome setChannel(int index);
    // The module has no command that reads hopping back: only the refusal counts.
    Outcome setHopping(bool on);
    Outcome readQuery(QueryParameters* query);
    Outcome setQuery(const QueryParameters& query);

    // Why the last operation that did not succeed failed, as one line.
    const QString& errorText() const { return error_; }

    // The highest power the module's hardware text names ("M100 26dBM V1.0"),
    // else the common 26 dBm.
    static int maximumPowerDbm(const QString& hardware);
    // Power in hundredths of a dBm as "20.00 dBm".
    static QString powerText(int centiDbm);
    // What the session does to the tags' answers, in one line.
    static QString sessionMeaning(int session, bool targetB);

  private:
    Outcome read(const ModuleSetting& setting, int* value);
    Outcome write(const ModuleSetting& setting, int value);
    // One exchange: the parameters of the module's response to command, or a
    // failure with its reason.
    Outcome exchange(int command, const QString& parameters, QString* answer);

    EpcOperations operations_;
    QString error_;
};
