#pragma once

#include "protocol/reader_link.h"
#include "setting_frames.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// A configuration profile: the settings of the configuration pages as a text
// file an installer can read, edit and keep under version control.
//
//   # comment
//   [uhf_machine]
//   rf_power = 05
//
// One section per page, one entry per setting, values as the page's field
// takes them. Whole-line comments start with # or ;. A value in double quotes
// is taken verbatim (blanks kept); others are trimmed. Any subset of entries
// may be given; a setting whose entries are all absent is not sent, the other
// entries of a setting that is sent take the window's defaults.
namespace settings {

struct ProfileEntry {
    enum class Kind { Flag, Decimal, HexByte, HexBytes, Choice, Text };
    const char* section;
    const char* key;
    Kind kind;
    // Decimal and HexByte: the value's range; HexBytes: the number of bytes.
    int min;
    int max;
    // The window's default, as the profile writes it.
    const char* defaultValue;
    const char* comment;
    // The control whose value the entry holds; empty when there is none.
    const char* control;
    // The value is a secret: saved owner-only, never printed.
    bool secret = false;
};
extern const QList<ProfileEntry> kProfileEntries;
// "section.key"
QString entryName(const ProfileEntry& entry);

// One command the profile sends, in the order of the pages.
struct ProfileSetting {
    QString name;
    QString payload;
    ReplyTexts texts;
};

// The UHF module's RF settings a profile sets, each read back after it is
// set; an absent one is left as the module has it.
struct ModuleProfile {
    std::optional<int> region;
    std::optional<int> channel;
    std::optional<bool> hopping;
    std::optional<int> powerDbm;
    std::optional<int> session;
    std::optional<bool> targetB;
    std::optional<int> q;

    bool any() const { return region || channel || hopping || powerDbm || session || targetB || q; }
    // The Query parameters are set together.
    bool anyQuery() const { return session || targetB || q; }
};

// The module's settings as the profile gives them: "region us, channel 3,
// power 20 dBm"; empty for none.
QString moduleSettingsText(const ModuleProfile& module);

// The setting's frame at the address as it goes on the wire, bytes blank
// separated, the WiFi password masked (shownFrameBytes).
QString displayedFrame(const QString& address, const ProfileSetting& setting);

class Profile {
  public:
    // Reads and checks the file; on any problem gives nothing and lists every
    // problem as "FILE:LINE: reason", before anything is sent.
    static std::optional<Profile> load(const QString& fileName, QStringList* problems);
    static std::optional<Profile> parse(const QByteArray& content, const QString& fileName,
                                        QStringList* problems);

    // The file's base name, and a SHA-256 of its content in hex.
    const QString& name() const { return name_; }
    const QString& hash() const { return hash_; }
    const QList<ProfileSetting>& settings() const { return settings_; }
    const ModuleProfile& module() const { return module_; }
    // What the reader should report after applying: the output format when
    // the profile sets it, the version text when [check] names it.
    const std::optional<OutputFormat>& outputFormat() const { return outputFormat_; }
    const QString& expectedVersion() const { return expectedVersion_; }

    // A profile's text with the values given ("section.key" → value) and a
    // comment for each entry; entries without a value are left out.
    static QString text(const QMap<QString, QString>& values);
    // Every entry at the window's default.
    static QString templateText();
    // Writes the text whole or not at all; owner-only (0600) when it holds a
    // secret. False with the reason.
    static bool save(const QString& fileName, const QString& text, bool secret, QString* error);

  private:
    QString name_;
    QString hash_;
    QList<ProfileSetting> settings_;
    ModuleProfile module_;
    std::optional<OutputFormat> outputFormat_;
    QString expectedVersion_;
};

} // namespace settings
