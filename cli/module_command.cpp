#include "module_command.h"

#include "cli_support.h"
#include "uhf/module_settings.h"

#include <QJsonObject>

namespace {

using Outcome = ModuleSettings::Outcome;

int failed(Outcome outcome, const ModuleSettings& settings, CliReader& reader) {
    return outcome == Outcome::NoReply ? reader.noReply()
                                       : failWith(exitReaderError, settings.errorText());
}

int show(CliReader& reader) {
    ModuleSettings settings(reader.link());
    QStringList lines;
    QJsonObject object{{QStringLiteral("event"), QStringLiteral("module")}};
    const struct {
        ModuleSettings::Info info;
        const char* name;
    } infos[] = {{ModuleSettings::Info::Hardware, "hardware"},
                 {ModuleSettings::Info::Software, "software"},
                 {ModuleSettings::Info::Manufacturer, "manufacturer"}};
    for (const auto& info : infos) {
        QString text;
        const Outcome outcome = settings.readInfo(info.info, &text);
        if (outcome != Outcome::Done)
            return failed(outcome, settings, reader);
        lines << QStringLiteral("%1 %2").arg(QLatin1String(info.name), -13).arg(text);
        object.insert(QLatin1String(info.name), text);
    }
    int power = 0, region = 0, channel = 0;
    QueryParameters query;
    for (const Outcome outcome : {settings.readPower(&power), settings.readRegion(&region),
                                  settings.readChannel(&channel), settings.readQuery(&query)})
        if (outcome != Outcome::Done)
            return failed(outcome, settings, reader);
    lines << QStringLiteral("%1 %2")
                 .arg(QStringLiteral("power"), -13)
                 .arg(ModuleSettings::powerText(power))
          << QStringLiteral("%1 %2 (%3)")
                 .arg(QStringLiteral("region"), -13)
                 .arg(uhfRegion::key(region), uhfRegion::name(region))
          << QStringLiteral("%1 %2 (%3 MHz)")
                 .arg(QStringLiteral("channel"), -13)
                 .arg(channel)
                 .arg(uhfRegion::channelMHz(region, channel), 0, 'f', 3)
          << QStringLiteral("%1 %2").arg(QStringLiteral("query"), -13).arg(query.text())
          << QStringLiteral("%1 %2")
                 .arg(QString(), -13)
                 .arg(ModuleSettings::sessionMeaning(query.session, query.targetB));
    object.insert(QStringLiteral("powerDbm"), power / 100.0);
    object.insert(QStringLiteral("region"), uhfRegion::key(region));
    object.insert(QStringLiteral("channel"), channel);
    object.insert(QStringLiteral("channelMHz"), uhfRegion::channelMHz(region, channel));
    object.insert(QStringLiteral("session"), query.session);
    object.insert(QStringLiteral("target"),
                  query.targetB ? QStringLiteral("b") : QStringLiteral("a"));
    object.insert(QStringLiteral("q"), query.q);
    printResult(lines.join('\n'), object);
    return exitOk;
}

// module set NAME VALUE ...: values checked before anything is sent; Query
// settings go in one read-modify-write.
int set(const CommandParser& command, CliReader& reader) {
    const QStringList words = command.positional();
    if (words.isEmpty() || words.size() % 2)
        return usageError(command.name(),
                          QStringLiteral("give NAME VALUE pairs: power DBM, "
                                         "region cn900|cn800|us|eu|kr, channel N, "
                                         "hopping on|off, session N, target a|b, q N"));
    qint64 power = -1, channel = -1, session = -1, q = -1;
    int region = -1, hopping = -1, targetB = -1;
    for (int i = 0; i < words.size(); i += 2) {
        const QString name = words[i];
        const QString value = words[i + 1];
        int refused = -1;
        if (name == QLatin1String("power"))
            refused = decimalArgument(command.name(), name, value, ModuleSettings::minimumPowerDbm,
                                      33, &power);
        else if (name == QLatin1String("channel"))
            refused = decimalArgument(command.name(), name, value, 0, 255, &channel);
        else if (name == QLatin1String("session"))
            refused = decimalArgument(command.name(), name, value, 0, 3, &session);
        else if (name == QLatin1String("q"))
            refused = decimalArgument(command.name(), name, value, 0, 15, &q);
        else if (name == QLatin1String("region")) {
            region = uhfRegion::fromKey(value);
            if (region < 0)
                refused = usageError(command.name(),
                                     QStringLiteral("region takes cn900, cn800, us, eu or kr, "
                                                    "not '%1'")
                                         .arg(value));
        } else if (name == QLatin1String("hopping") || name == QLatin1String("target")) {
            const bool hop = name == QLatin1String("hopping");
            const QString first = hop ? QStringLiteral("on") : QStringLiteral("a");
            const QString second = hop ? QStringLiteral("off") : QStringLiteral("b");
            if (value != first && value != second)
                refused = usageError(
                    command.name(),
                    QStringLiteral("%1 takes %2 or %3, not '%4'").arg(name, first, second, value));
            (hop ? hopping : targetB) = hop ? value == first : value == second;
        } else {
            refused = usageError(command.name(), QStringLiteral("no setting '%1'").arg(name));
        }
        if (refused >= 0)
            return refused;
    }
    ModuleSettings settings(reader.link());
    QStringList done;
    const auto step = [&](Outcome outcome, const QString& what) {
        if (outcome == Outcome::Done)
            done << what;
        return outcome;
    };
    // The region first: the channel counts within it.
    if (region >= 0 && step(settings.setRegion(region),
                            QStringLiteral("region ") + uhfRegion::key(region)) != Outcome::Done)
        return failed(Outcome::Refused, settings, reader);
    if (channel >= 0 && step(settings.setChannel(int(channel)),
                             QStringLiteral("channel %1").arg(channel)) != Outcome::Done)
        return failed(Outcome::Refused, settings, reader);
    if (hopping >= 0 &&
        step(settings.setHopping(hopping), QStringLiteral("hopping ") + (hopping ? "on" : "off")) !=
            Outcome::Done)
        return failed(Outcome::Refused, settings, reader);
    if (power >= 0 && step(settings.setPower(int(power) * 100),
                           QStringLiteral("power %1 dBm").arg(power)) != Outcome::Done)
        return failed(Outcome::Refused, settings, reader);
    if (session >= 0 || q >= 0 || targetB >= 0) {
        QueryParameters query;
        Outcome outcome = settings.readQuery(&query);
        if (outcome == Outcome::Done) {
            if (session >= 0)
                query.session = int(session);
            if (q >= 0)
                query.q = int(q);
            if (targetB >= 0)
                query.targetB = targetB;
            outcome = step(settings.setQuery(query), QStringLiteral("query ") + query.text());
        }
        if (outcome != Outcome::Done)
            return failed(outcome, settings, reader);
    }
    printResult(QStringLiteral("set and read back: ") + done.join(QStringLiteral(", ")),
                QJsonObject{{QStringLiteral("event"), QStringLiteral("module-set")},
                            {QStringLiteral("set"), done.join(QStringLiteral(", "))}});
    return exitOk;
}

} // namespace

int moduleCommand(const QStringList& arguments) {
    const QString action = arguments.value(1);
    if (action != QLatin1String("show") && action != QLatin1String("set"))
        return actionHelp(QStringLiteral("module"),
                          {{"show", "the UHF module's information and RF settings"},
                           {"set", "NAME VALUE ...: power, region, channel, hopping, session, "
                                   "target, q (each read back)"}},
                          action);
    CommandParser command(QStringLiteral("module ") + action,
                          action == QLatin1String("show")
                              ? QStringLiteral("Show the UHF module's information and RF settings.")
                              : QStringLiteral("Set the UHF module's RF settings, each read back: "
                                               "power DBM, region cn900|cn800|us|eu|kr, channel N, "
                                               "hopping on|off, session N, target a|b, q N."));
    CliReader::addOptions(command.parser());
    const int parsed = command.parse(arguments.mid(1), 0, action == QLatin1String("set") ? 64 : 0);
    if (parsed >= 0)
        return parsed;
    CliReader reader;
    int exitCode = exitOk;
    if (!reader.open(command, &exitCode))
        return exitCode;
    return action == QLatin1String("show") ? show(reader) : set(command, reader);
}
