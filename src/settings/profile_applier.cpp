#include "profile_applier.h"

#include "configuration_record.h"

#include "protocol/hex_text.h"
#include "protocol/reply.h"
#include "protocol/status.h"
#include "uhf/module_settings.h"

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

namespace {

// The results of the module's settings, in the order they are set: the region
// first, since the channel counts within it.
QStringList moduleResultNames(const ModuleProfile& module) {
    QStringList names;
    if (module.region)
        names << QStringLiteral("uhf_module.region");
    if (module.channel)
        names << QStringLiteral("uhf_module.channel");
    if (module.hopping)
        names << QStringLiteral("uhf_module.hopping");
    if (module.powerDbm)
        names << QStringLiteral("uhf_module.power");
    if (module.anyQuery())
        names << QStringLiteral("uhf_module.query");
    return names;
}

} // namespace

int ProfileApplier::resultCount(const Profile& profile) {
    return int(profile.settings().size()) + int(moduleResultNames(profile.module()).size()) +
           (profile.outputFormat() ? 1 : 0) + (profile.expectedVersion().isEmpty() ? 0 : 1);
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
    applyModule(profile.module(), record, [&] { return stopped; });
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

void ProfileApplier::applyModule(const ModuleProfile& module,
                                 const std::function<void(const SettingResult&)>& record,
                                 const std::function<bool()>& stopped) {
    ModuleSettings settings(link_);
    const auto tr = [](const char* text) {
        return QCoreApplication::translate("settings::ProfileApplier", text);
    };
    // One setting: its log lines as the inventory page writes them, its result.
    const auto step = [&](const QString& name, const QString& what,
                          const std::function<ModuleSettings::Outcome()>& set) {
        if (stopped()) {
            record({name, SettingResult::Outcome::NotSent, QString()});
            return;
        }
        using Outcome = ModuleSettings::Outcome;
        const Outcome outcome = set();
        if (outcome == Outcome::Done) {
            link_.log(what + tr("成功   ") + link_.time());
            record({name, SettingResult::Outcome::Success, QString()});
            return;
        }
        link_.log(what + tr("失败   ") + link_.time());
        link_.log(settings.errorText() + kCrLf);
        const SettingResult::Outcome failed =
            outcome == Outcome::NoReply    ? SettingResult::Outcome::NoReply
            : outcome == Outcome::Garbled  ? SettingResult::Outcome::Garbled
            : outcome == Outcome::Mismatch ? SettingResult::Outcome::Mismatch
                                           : SettingResult::Outcome::Refused;
        record({name, failed, settings.errorText()});
    };
    const QStringList names = moduleResultNames(module);
    int next = 0;
    if (module.region)
        step(names[next++], tr("设置工作区域 %1 ").arg(uhfRegion::name(*module.region)),
             [&] { return settings.setRegion(*module.region); });
    if (module.channel)
        step(names[next++], tr("设置信道 %1 ").arg(*module.channel),
             [&] { return settings.setChannel(*module.channel); });
    if (module.hopping)
        step(names[next++], *module.hopping ? tr("打开跳频 ") : tr("关闭跳频 "),
             [&] { return settings.setHopping(*module.hopping); });
    if (module.powerDbm)
        step(names[next++], tr("设置发射功率 %1 dBm ").arg(*module.powerDbm),
             [&] { return settings.setPower(*module.powerDbm * 100); });
    if (!module.anyQuery())
        return;
    // Read, changed where the profile says, written and read back: the bits
    // the profile does not name stay as the module has them.
    QueryParameters query;
    // Logged after the set, so it names the parameters as written.
    QString what = tr("设置 Query 参数 ");
    step(names[next], what, [&] {
        const ModuleSettings::Outcome read = settings.readQuery(&query);
        if (read != ModuleSettings::Outcome::Done)
            return read;
        query.session = module.session.value_or(query.session);
        query.targetB = module.targetB.value_or(query.targetB);
        query.q = module.q.value_or(query.q);
        what += query.text() + QLatin1Char(' ');
        return settings.setQuery(query);
    });
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
