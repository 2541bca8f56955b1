#pragma once

#include "profile.h"
#include "protocol/reader_link.h"

#include <QList>
#include <QString>
#include <functional>

class ConfigurationRecord;

namespace settings {

// What became of one setting of a profile on one reader.
struct SettingResult {
    enum class Outcome { Success, Refused, NoReply, Garbled, Mismatch, NotSent };
    QString setting;
    Outcome outcome = Outcome::NotSent;
    // The reader's message for a refusal, what it reported for a mismatch,
    // why a reader went away.
    QString detail;
};
// "success", "refused", "no reply", "garbled", "mismatch", "not sent".
QString outcomeName(SettingResult::Outcome outcome);
// The outcome of a name; NotSent for a name that is none.
SettingResult::Outcome outcomeFromName(const QString& name);

// Sends a profile's settings to the reader behind the link, each with its
// page's frame, wait and reply check (so the log gets the page's lines), then
// reads back what the reader can report and compares it.
class ProfileApplier {
  public:
    explicit ProfileApplier(ReaderLink& link) : link_(link) {}

    // Send the settings after a failure too (they are listed as not sent
    // otherwise). A reader that went away stops its settings either way.
    bool keepGoing = false;
    // After each result: how many of total are done.
    std::function<void(int done, int total, const SettingResult& result)> progress;

    // One result per setting, then one per read-back ("output_format read
    // back", "version").
    QList<SettingResult> apply(const Profile& profile);
    // The number of results apply() gives.
    static int resultCount(const Profile& profile);
    ReaderDevice& device() { return link_.device(); }

  private:
    SettingResult send(const QString& name, const QString& payload, const ReplyTexts& texts);
    // The module's settings, each set and read back, one result each.
    void applyModule(const ModuleProfile& module,
                     const std::function<void(const SettingResult&)>& record,
                     const std::function<bool()>& stopped);
    SettingResult readFormatBack(const OutputFormat& expected);
    SettingResult readVersionBack(const QString& expected);
    bool readerGone();

    ReaderLink& link_;
};

// True when no result is a failure.
bool allSucceeded(const QList<SettingResult>& results);

// A profile applied to one reader after another: to every reader the device
// lists (each chosen in turn, the one in use chosen again afterwards), or to
// the reader in use. Each application is recorded when a record is given.
class EveryReader {
  public:
    struct Application {
        ReaderInfo reader;
        QString name;
        bool gone = false; // it could not be chosen: nothing was sent
        QList<SettingResult> results;
        QString recordError; // the record could not be written
    };

    // The reader as results and records name it.
    std::function<QString(const ReaderInfo& reader)> name;
    // Before a reader's first setting.
    std::function<void(const QString& name)> started;
    // After each result; done counts the results of every reader so far.
    std::function<void(const QString& name, const SettingResult& result, int done)> progress;
    std::function<void(const Application& application)> finished;

    // The readers the profile goes to; empty when none is found.
    static QList<ReaderInfo> targets(ReaderDevice& device, bool everyReader);
    void apply(ProfileApplier& applier, ConfigurationRecord* record, const Profile& profile,
               const QList<ReaderInfo>& readers, bool everyReader);
};

} // namespace settings
