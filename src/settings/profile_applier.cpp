#include "profile_applier.h"

#include "configuration_record.h"

#include "protocol/hex_text.h"
#include "protocol/reply.h"
#include "protocol/status.h"
#include <QCoreApplication>

namespace settings {

namespace {

const char* const kOutcomeNames[] = {"success", "refused",  "no reply",
                                     "garbled", "mismatch", "not sent"};

const QString kFormatReadBack = QStringLiteral("output_format read back");
const QString kVersionReadBack = QStringLiteral("version");

// The read-back format as the set-format payload sends it: code and the four
// separator flags, the bytes the reader reports back in the same form.
QString formatBytes(const OutputFormat& format) {
    return outputFormatPayload(format).mid(2, 10).toUpper();
}

} // namespace

QString outcomeName(SettingResult::Outcome outcome) {
    return QLatin1String(kOutcomeNames[int(outcome)]);
}

SettingResult::Outcome outcomeFromName(const QString& name) {
    for (int i = 0; i < int(std::size(kOutcomeNames)); ++i)
        if (name == QLatin1String(kOutcomeNames[i]))
            return SettingResult::Outcome(i);
    return SettingResult::Outcome::NotSent;
}

int ProfileApplier::resultCount(const Profile& profile) {
    return int(profile.settings().size()) + (profile.outputFormat() ? 1 : 0) +
           (profile.expectedVersion().isEmpty() ? 0 : 1);
}

QList<SettingResult> ProfileApplier::apply(const Profile& profile) {
    QList<SettingResult> results;
    const int total = resultCount(profile);
    bool stopped = false;
    bool gone = false;
    auto record = [&](SettingResult result) {
        results << result;
        if (progress)
            progress(int(results.size()), total, result);
        if (result.outcome != SettingResult::Outcome::Success)
            stopped = stopped || !keepGoing || gone;
    };
    auto notSent = [&](const QString& name) {
        record({name, SettingResult::Outcome::NotSent, QString()});
    };
    for (const ProfileSetting& setting : profile.settings()) {
        if (stopped) {
            notSent(setting.name);
            continue;
        }
        SettingResult result = send(setting.name, setting.payload, setting.texts);
        gone = result.outcome == SettingResult::Outcome::NoReply && readerGone();
        if (gone)
            result.detail = readerFailureText(link_.device().lastFailure());
        record(result);
    }
    if (profile.outputFormat()) {
        if (stopped)
            notSent(kFormatReadBack);
        else
            record(readFormatBack(*profile.outputFormat()));
    }
    if (!profile.expectedVersion().isEmpty()) {
        if (stopped)
            notSent(kVersionReadBack);
        else
            record(readVersionBack(profile.expectedVersion()));
    }
    return results;
}

SettingResult ProfileApplier::send(const QString& name, const QString& payload,
                                   const ReplyTexts& texts) {
    link_.Send(payload);
    link_.Delay(kSettingWait);
    const QString reply = link_.ReplyText();
    switch (link_.judge(texts)) {
    case ReplyStatus::Success:
        return {name, SettingResult::Outcome::Success, QString()};
    case ReplyStatus::Failure:
        return {name, SettingResult::Outcome::Refused, falsereason(reply::byte(reply, 5))};
    case ReplyStatus::NoReply:
        return {name, SettingResult::Outcome::NoReply, QString()};
    case ReplyStatus::Garbled:
        break;
    }
    return {name, SettingResult::Outcome::Garbled, reply};
}

SettingResult ProfileApplier::readFormatBack(const OutputFormat& expected) {
    ReplyTexts texts(QString(), QCoreApplication::translate("settings", "读取输出格式失败   "));
    texts.successLines = [this](const QString& reply, const QString& time) {
        link_.log(QCoreApplication::translate("settings", "读取输出格式成功   ") + time);
        for (const QString& line : formatReadBackLines(reply))
            link_.log(line);
    };
    SettingResult result = send(kFormatReadBack, kReadFormatPayload, texts);
    if (result.outcome != SettingResult::Outcome::Success)
        return result;
    // Reply bytes 6 to 10: the format code and the four separator flags.
    const QString reported = reply::bytes(link_.ReplyText(), 6, 10);
    if (reported != formatBytes(expected)) {
        result.outcome = SettingResult::Outcome::Mismatch;
        result.detail = QStringLiteral("the reader reports %1, the profile sets %2")
                            .arg(reported, formatBytes(expected));
    }
    return result;
}

SettingResult ProfileApplier::readVersionBack(const QString& expected) {
    QString version;
    ReplyTexts texts(QString(), QCoreApplication::translate("settings", "读取版本号失败   "));
    texts.successLines = [this, &version](const QString& reply, const QString& time) {
        version = versionText(reply);
        link_.log(QCoreApplication::translate("settings", "读取版本号成功   ") + time);
        link_.log(QCoreApplication::translate("settings", "版本号为：") + version + kCrLf);
    };
    SettingResult result = send(kVersionReadBack, kVersionPayload, texts);
    if (result.outcome == SettingResult::Outcome::Success && version != expected) {
        result.outcome = SettingResult::Outcome::Mismatch;
        result.detail = QStringLiteral("the reader reports '%1'").arg(version);
    }
    return result;
}

bool ProfileApplier::readerGone() {
    return link_.device().lastFailure().kind == ReaderFailure::DeviceGone;
}

bool allSucceeded(const QList<SettingResult>& results) {
    for (const SettingResult& result : results)
        if (result.outcome != SettingResult::Outcome::Success)
            return false;
    return true;
}

namespace {

ReaderInfo readerInUse(ReaderDevice& device) {
    ReaderInfo inUse;
    if (device.listsReaders())
        for (const ReaderInfo& found : device.readers())
            if (found.inUse)
                inUse = found;
    return inUse;
}

} // namespace

QList<ReaderInfo> EveryReader::targets(ReaderDevice& device, bool everyReader) {
    if (!everyReader)
        return {readerInUse(device)};
    return device.listsReaders() ? device.readers() : QList<ReaderInfo>{};
}

void EveryReader::apply(ProfileApplier& applier, ConfigurationRecord* record,
                        const Profile& profile, const QList<ReaderInfo>& readers,
                        bool everyReader) {
    ReaderDevice& device = applier.device();
    const ReaderInfo inUse = readerInUse(device);
    const int perReader = ProfileApplier::resultCount(profile);
    for (int i = 0; i < readers.size(); ++i) {
        Application application{readers[i], name(readers[i]), false, {}, {}};
        if (started)
            started(application.name);
        if (everyReader && !device.chooseReader(readers[i])) {
            application.gone = true;
            finished(application);
            continue;
        }
        applier.progress = [&, done = i * perReader](int count, int, const SettingResult& r) {
            if (progress)
                progress(application.name, r, done + count);
        };
        application.results = applier.apply(profile);
        applier.progress = nullptr;
        if (record &&
            record->add(application.name, profile.name(), profile.hash(), application.results) == 0)
            application.recordError = record->errorText();
        finished(application);
    }
    if (everyReader)
        device.chooseReader(inUse);
}

} // namespace settings
