#include "profile.h"

#include "protocol/baud_rates.h"
#include "protocol/conversion.h"
#include "protocol/frames.h"
#include "protocol/hex_text.h"
#include "uhf/module_settings.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace settings {

namespace {

using Kind = ProfileEntry::Kind;

QStringList formatChoices() {
    QStringList choices;
    for (const FormatChoice& format : kFormats)
        choices << QString::fromLatin1(format.code).toUpper();
    return choices << QStringLiteral("custom");
}

QStringList modeChoices() {
    QStringList choices;
    for (const ReadMode& mode : kReadModes)
        choices << QLatin1String(mode.key);
    return choices;
}

QStringList choicesOf(const ProfileEntry& entry) {
    const QString name = entryName(entry);
    if (name == QLatin1String("output_format.format"))
        return formatChoices();
    if (name == QLatin1String("read_mode.mode"))
        return modeChoices();
    if (name == QLatin1String("uhf_module.region"))
        return uhfRegion::keys();
    if (name == QLatin1String("uhf_module.target"))
        return {QStringLiteral("a"), QStringLiteral("b")};
    return kBaudRates;
}

ProfileEntry machineEntry(const MachineParameter& parameter) {
    return {"uhf_machine",   parameter.key, parameter.hex ? Kind::HexByte : Kind::Decimal,
            parameter.min,   parameter.max, parameter.text,
            parameter.range, parameter.edit};
}

QList<ProfileEntry> entries() {
    QList<ProfileEntry> list{
        {"output_format", "format", Kind::Choice, 0, 0, "0F",
         "format code of a fixed format (07 0C 0D 03 0B 06 0E 08 09 0A 05 0F 00 01 02 04 10) "
         "or custom",
         ""},
        {"output_format", "custom_bytes", Kind::Decimal, 0, 127, "10",
         "with format = custom: bytes of the number in hex, 0~127, 00 the whole number", "Edit64"},
        {"output_format", "semicolon", Kind::Flag, 0, 0, "off", "; before the number",
         "CheckBox16"},
        {"output_format", "question_mark", Kind::Flag, 0, 0, "off", "? after the number",
         "CheckBox17"},
        {"output_format", "comma", Kind::Flag, 0, 0, "off", "comma in the middle", "CheckBox18"},
        {"output_format", "carriage_return", Kind::Flag, 0, 0, "on", "carriage return at the end",
         "CheckBox15"},
        {"output_format", "large_buzzer", Kind::Flag, 0, 0, "on", "large buzzer", "RadioButton18"},
        {"output_format", "rssi", Kind::Flag, 0, 0, "off", "signal strength after the number",
         "CheckBox21"},
        {"prefix_suffix", "prefix", Kind::HexBytes, 0, 4, "30 31 32 33",
         "up to four bytes before each number, in hex; empty for none", ""},
        {"prefix_suffix", "suffix", Kind::HexBytes, 0, 4, "31 32 33 34",
         "up to four bytes after each number, in hex; empty for none", ""},
    };
    for (int i = 0; i < kParametersBeforeInterfaces; ++i)
        list << machineEntry(kMachineParameters[i]);
    const char* interfaceComments[] = {"serial output", "Wiegand output", "USB output"};
    for (int i = 0; i < 3; ++i)
        list << ProfileEntry{"uhf_machine", kInterfaces[i].key,   Kind::Flag,       0, 0,
                             "on",          interfaceComments[i], kInterfaces[i].on};
    list << ProfileEntry{"uhf_machine",
                         "baud_rate",
                         Kind::Choice,
                         0,
                         0,
                         "9600",
                         "serial baud rate: 9600 19200 38400 57600 115200",
                         "ComboBox20"};
    for (int i = kParametersBeforeInterfaces; i < int(std::size(kMachineParameters)); ++i)
        list << machineEntry(kMachineParameters[i]);
    list << ProfileEntry{"read_mode",
                         "mode",
                         Kind::Choice,
                         0,
                         0,
                         "single_epc",
                         "single_epc passive multiple_epc tid memory_area",
                         ""};
    const char* areaComments[] = {"with memory_area: memory bank, one byte in hex",
                                  "with memory_area: access password, four bytes in hex",
                                  "with memory_area: first word address, one byte in hex",
                                  "with memory_area: number of words, one byte in hex"};
    for (int i = 0; i < 4; ++i)
        list << ProfileEntry{
            "read_mode",     kAreaFields[i].key, i == 1 ? Kind::HexBytes : Kind::HexByte,
            i == 1 ? 4 : 0,  i == 1 ? 4 : 255,   kAreaFields[i].text,
            areaComments[i], kAreaFields[i].edit};
    list << ProfileEntry{"relay", "state", Kind::Flag, 0, 0, "off", "relay output on or off", ""};
    list << ProfileEntry{"wifi", "name", Kind::Text, 0, 0, "", "network to join", "Edit73"};
    list << ProfileEntry{"wifi",
                         "password",
                         Kind::Text,
                         0,
                         0,
                         "",
                         "its password (the file is then readable by its owner only)",
                         "Edit74",
                         true};
    // The module's own range decides the power: it refuses what it cannot
    // send, and the read-back shows what it took.
    list << ProfileEntry{"uhf_module",
                         "region",
                         Kind::Choice,
                         0,
                         0,
                         "cn900",
                         "UHF module region: cn900 cn800 us eu kr",
                         ""};
    list << ProfileEntry{"uhf_module",
                         "channel",
                         Kind::Decimal,
                         0,
                         51,
                         "0",
                         "channel index in the region: cn900 and cn800 0-19, us 0-51, eu 0-14, "
                         "kr 0-31",
                         ""};
    list << ProfileEntry{
        "uhf_module", "hopping", Kind::Flag, 0, 0, "on", "frequency hopping on or off", ""};
    list << ProfileEntry{"uhf_module",
                         "power",
                         Kind::Decimal,
                         ModuleSettings::minimumPowerDbm,
                         33,
                         "26",
                         "transmit power in dBm, up to the module's maximum",
                         ""};
    list << ProfileEntry{
        "uhf_module", "session", Kind::Decimal, 0, 3, "0", "inventory session S0-S3", ""};
    list << ProfileEntry{
        "uhf_module", "target", Kind::Choice, 0, 0, "a", "inventory target a or b", ""};
    list << ProfileEntry{"uhf_module",
                         "q",
                         Kind::Decimal,
                         0,
                         15,
                         "4",
                         "Q 0-15: about 2^Q answer slots per round",
                         ""};
    list << ProfileEntry{"check",
                         "version",
                         Kind::Text,
                         0,
                         0,
                         "",
                         "version text the reader must report after applying",
                         ""};
    return list;
}

const ProfileEntry* findEntry(const QString& section, const QString& key) {
    for (const ProfileEntry& entry : kProfileEntries)
        if (section == QLatin1String(entry.section) && key == QLatin1String(entry.key))
            return &entry;
    return nullptr;
}

bool knownSection(const QString& section) {
    for (const ProfileEntry& entry : kProfileEntries)
        if (section == QLatin1String(entry.section))
            return true;
    return false;
}

// The value in the form the frames take it, or empty with *reason set: what
// the entry `name` takes, and the value as the message may show it.
QString checkValue(const ProfileEntry& entry, const QString& value, const QString& name,
                   const QString& shown, QString* reason) {
    switch (entry.kind) {
    case Kind::Flag:
        if (value == QLatin1String("on") || value == QLatin1String("off"))
            return value;
        *reason =
            QCoreApplication::translate("settings::Profile", "%1 只能是 on 或 off，不能是“%2”")
                .arg(name, shown);
        return {};
    case Kind::Decimal: {
        // By value: 7, 07 and 007 are one setting.
        quint64 number = 0;
        if (plainDecimal(value, quint64(entry.max), &number) && number >= quint64(entry.min))
            return QString::number(number);
        *reason = QCoreApplication::translate("settings::Profile",
                                              "%1 须为 %2 到 %3 的十进制数，不能是“%4”")
                      .arg(name)
                      .arg(entry.min)
                      .arg(entry.max)
                      .arg(shown);
        return {};
    }
    case Kind::HexByte: {
        QString digits;
        if (hex::strictDigits(value, &digits) && digits.size() == 2 &&
            digits.toInt(nullptr, 16) >= entry.min && digits.toInt(nullptr, 16) <= entry.max)
            return digits;
        *reason = QCoreApplication::translate("settings::Profile",
                                              "%1 须为 %2 到 %3 的一个十六进制字节，不能是“%4”")
                      .arg(name, hex::byte(entry.min), hex::byte(entry.max), shown);
        return {};
    }
    case Kind::HexBytes: {
        QString digits;
        if (hex::strictDigits(value, &digits) && digits.size() / 2 >= entry.min &&
            digits.size() / 2 <= entry.max)
            return digits;
        *reason = entry.min == entry.max
                      ? QCoreApplication::translate("settings::Profile",
                                                    "%1 须为 %2 个十六进制字节，不能是“%3”")
                            .arg(name)
                            .arg(entry.min)
                            .arg(shown)
                      : QCoreApplication::translate("settings::Profile",
                                                    "%1 须为 %2 到 %3 个十六进制字节，不能是“%4”")
                            .arg(name)
                            .arg(entry.min)
                            .arg(entry.max)
                            .arg(shown);
        return {};
    }
    case Kind::Choice: {
        const QStringList choices = choicesOf(entry);
        const QString upper = value.toUpper();
        for (const QString& choice : choices)
            if (choice == value || choice == value.toLower() ||
                (value.size() == 2 && choice == upper))
                return choice;
        *reason = QCoreApplication::translate("settings::Profile", "%1 须为 %2 之一，不能是“%3”")
                      .arg(name, choices.join(QLatin1Char(' ')), shown);
        return {};
    }
    case Kind::Text:
        return value;
    }
    return {};
}

QString unquoted(const QString& value) {
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

// The entries read from a file: values in the frames' form, and their lines.
struct Entries {
    QMap<QString, QString> values;
    QMap<QString, int> lines;

    bool has(const char* name) const { return values.contains(QLatin1String(name)); }
    QString value(const char* name) const {
        const QString key = QLatin1String(name);
        if (values.contains(key))
            return values.value(key);
        for (const ProfileEntry& entry : kProfileEntries)
            if (entryName(entry) == key) {
                QString reason;
                return checkValue(entry, QString::fromUtf8(entry.defaultValue), key, QString(),
                                  &reason);
            }
        return {};
    }
    bool on(const char* name) const { return value(name) == QLatin1String("on"); }
    bool anyIn(const char* section) const {
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (it.key().startsWith(QLatin1String(section) + QLatin1Char('.')))
                return true;
        return false;
    }
};

QStringList pairs(const QString& digits) {
    QStringList list;
    for (int i = 0; i + 1 < digits.size(); i += 2)
        list << digits.mid(i, 2);
    return list;
}

} // namespace

const QList<ProfileEntry> kProfileEntries = entries();

QString entryName(const ProfileEntry& entry) {
    return QLatin1String(entry.section) + QLatin1Char('.') + QLatin1String(entry.key);
}

QString moduleSettingsText(const ModuleProfile& m) {
    QStringList values;
    if (m.region)
        values << QStringLiteral("region ") + uhfRegion::key(*m.region);
    if (m.channel)
        values << QStringLiteral("channel %1").arg(*m.channel);
    if (m.hopping)
        values << QStringLiteral("hopping ") + (*m.hopping ? "on" : "off");
    if (m.powerDbm)
        values << QStringLiteral("power %1 dBm").arg(*m.powerDbm);
    if (m.session)
        values << QStringLiteral("session %1").arg(*m.session);
    if (m.targetB)
        values << QStringLiteral("target ") + (*m.targetB ? "b" : "a");
    if (m.q)
        values << QStringLiteral("q %1").arg(*m.q);
    return values.join(QStringLiteral(", "));
}

QString displayedFrame(const QString& address, const ProfileSetting& setting) {
    return shownFrameBytes(hfFrame(address, setting.payload).toUpper()).join(QLatin1Char(' '));
}

std::optional<Profile> Profile::load(const QString& fileName, QStringList* problems) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *problems << fileName + QStringLiteral(": ") + file.errorString();
        return std::nullopt;
    }
    return parse(file.readAll(), fileName, problems);
}

std::optional<Profile> Profile::parse(const QByteArray& content, const QString& fileName,
                                      QStringList* problems) {
    const int problemsBefore = int(problems->size());
    auto problem = [&](int line, const QString& reason) {
        *problems << QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(reason);
    };
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(content);
    if (decoder.hasError()) {
        *problems << QCoreApplication::translate("settings::Profile", "%1: 不是 UTF-8 文本")
                         .arg(fileName);
        return std::nullopt;
    }

    Entries entries;
    QString section;
    bool sectionKnown = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            sectionKnown = knownSection(section);
            if (!sectionKnown)
                problem(
                    lineNumber,
                    QCoreApplication::translate("settings::Profile", "未知的节 [%1]").arg(section));
            continue;
        }
        const int equals = int(line.indexOf(QLatin1Char('=')));
        if (equals < 0) {
            problem(lineNumber, QCoreApplication::translate("settings::Profile",
                                                            "既不是“[节]”也不是“键 = 值”：“%1”")
                                    .arg(line));
            continue;
        }
        const QString key = line.left(equals).trimmed();
        if (section.isEmpty()) {
            problem(lineNumber,
                    QCoreApplication::translate("settings::Profile", "“%1”不在任何 [节] 之内")
                        .arg(key));
            continue;
        }
        if (!sectionKnown)
            continue;
        const ProfileEntry* entry = findEntry(section, key);
        if (!entry) {
            problem(lineNumber,
                    QCoreApplication::translate("settings::Profile", "[%2] 中没有“%1”这一项")
                        .arg(key, section));
            continue;
        }
        const QString name = entryName(*entry);
        if (entries.lines.contains(name)) {
            problem(lineNumber, QCoreApplication::translate("settings::Profile",
                                                            "%1 给了两次（第一次在第 %2 行）")
                                    .arg(name)
                                    .arg(entries.lines.value(name)));
            continue;
        }
        const QString raw = unquoted(line.mid(equals + 1).trimmed());
        QString reason;
        // A secret is not repeated in the message.
        const QString value =
            checkValue(*entry, raw, name, entry->secret ? QStringLiteral("***") : raw, &reason);
        if (!reason.isEmpty()) {
            problem(lineNumber, reason);
            continue;
        }
        entries.values.insert(name, value);
        entries.lines.insert(name, lineNumber);
    }
    if (problems->size() > problemsBefore)
        return std::nullopt;

    Profile profile;
    profile.name_ = QFileInfo(fileName).completeBaseName();
    profile.hash_ =
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
    auto add = [&profile](const char* name, const QString& payload, const ReplyTexts& texts) {
        profile.settings_ << ProfileSetting{QLatin1String(name), payload, texts};
    };

    // In the order of the pages and of their controls.
    if (entries.anyIn("output_format")) {
        OutputFormat format;
        const QString code = entries.value("output_format.format");
        // A byte count of 0, however written, is the page's "00": the whole number.
        const QString bytes = entries.value("output_format.custom_bytes");
        format.code =
            code == QLatin1String("custom")
                ? customFormatCode(bytes == QLatin1String("0") ? QStringLiteral("00") : bytes)
                : code;
        for (const FormatChoice& choice : kFormats)
            if (code.compare(QLatin1String(choice.code), Qt::CaseInsensitive) == 0)
                format.code = QLatin1String(choice.code);
        format.semicolon = entries.on("output_format.semicolon");
        format.questionMark = entries.on("output_format.question_mark");
        format.comma = entries.on("output_format.comma");
        format.carriageReturn = entries.on("output_format.carriage_return");
        format.largeBuzzer = entries.on("output_format.large_buzzer");
        format.rssi = entries.on("output_format.rssi");
        add("output_format", outputFormatPayload(format), outputFormatTexts());
        profile.outputFormat_ = format;
    }
    for (const Affix& affix : kAffixes) {
        const QByteArray name = QByteArray("prefix_suffix.") + affix.key;
        if (entries.has(name))
            add(affix.key, affixPayload(affix, pairs(entries.value(name))), affixTexts(affix));
    }
    auto addParameter = [&](const MachineParameter& parameter) {
        const QByteArray name = QByteArray("uhf_machine.") + parameter.key;
        if (entries.has(name))
            add(parameter.key, machineParameterPayload(parameter, entries.value(name)),
                machineParameterTexts(parameter));
    };
    for (int i = 0; i < kParametersBeforeInterfaces; ++i)
        addParameter(kMachineParameters[i]);
    bool anyInterface = false;
    bool on[3];
    for (int i = 0; i < 3; ++i) {
        const QByteArray name = QByteArray("uhf_machine.") + kInterfaces[i].key;
        anyInterface = anyInterface || entries.has(name);
        on[i] = entries.on(name);
    }
    if (anyInterface)
        add("output_interfaces", interfacesPayload(on), interfacesTexts());
    if (entries.has("uhf_machine.baud_rate"))
        add("baud_rate", baudRatePayload(entries.value("uhf_machine.baud_rate")), baudRateTexts());
    for (int i = kParametersBeforeInterfaces; i < int(std::size(kMachineParameters)); ++i)
        addParameter(kMachineParameters[i]);
    if (entries.anyIn("read_mode")) {
        const int mode = int(modeChoices().indexOf(entries.value("read_mode.mode")));
        QStringList area;
        for (const AreaField& field : kAreaFields)
            area << entries.value(QByteArray("read_mode.") + field.key);
        add("read_mode", readModePayload(mode, area), readModeTexts(mode));
    }
    if (entries.has("relay.state")) {
        const bool relayOn = entries.on("relay.state");
        add("relay", relayPayload(relayOn), relayTexts(relayOn));
    }
    if (entries.anyIn("wifi")) {
        // The module takes an open network or a WPA passphrase; the length only,
        // never the password, goes into the message.
        const qsizetype length = entries.value("wifi.password").size();
        if (length != 0 && (length < 8 || length > 63)) {
            problem(entries.lines.value(QStringLiteral("wifi.password")),
                    QCoreApplication::translate(
                        "settings::Profile", "wifi.password 须为空或 8 到 63 个字符，不能是 %1 个")
                        .arg(length));
            return std::nullopt;
        }
        try {
            add("wifi", wifiJoinPayload(entries.value("wifi.name"), entries.value("wifi.password")),
                wifiJoinTexts());
        } catch (const InputError& error) {
            problem(entries.lines.value(QStringLiteral("wifi.name"),
                                        entries.lines.value(QStringLiteral("wifi.password"))),
                    error.message());
            return std::nullopt;
        }
    }
    ModuleProfile& module = profile.module_;
    const auto number = [&](const char* name, std::optional<int>& field) {
        if (entries.has(name))
            field = entries.value(name).toInt();
    };
    if (entries.has("uhf_module.region"))
        module.region = uhfRegion::fromKey(entries.value("uhf_module.region"));
    number("uhf_module.channel", module.channel);
    if (entries.has("uhf_module.hopping"))
        module.hopping = entries.on("uhf_module.hopping");
    number("uhf_module.power", module.powerDbm);
    number("uhf_module.session", module.session);
    if (entries.has("uhf_module.target"))
        module.targetB = entries.value("uhf_module.target") == QLatin1String("b");
    number("uhf_module.q", module.q);
    // A channel the profile's own region does not have is refused here, not
    // by the module halfway through.
    if (module.region && module.channel &&
        *module.channel >= uhfRegion::channelCount(*module.region)) {
        problem(entries.lines.value(QStringLiteral("uhf_module.channel")),
                QCoreApplication::translate(
                    "settings::Profile", "uhf_module.channel 在区域 %2 中须为 0 到 %1，不能是“%3”")
                    .arg(uhfRegion::channelCount(*module.region) - 1)
                    .arg(uhfRegion::key(*module.region))
                    .arg(*module.channel));
        return std::nullopt;
    }
    profile.expectedVersion_ = entries.value("check.version");
    if (profile.settings_.isEmpty() && !module.any() && profile.expectedVersion_.isEmpty()) {
        *problems
            << QCoreApplication::translate("settings::Profile", "%1: 没有任何设置").arg(fileName);
        return std::nullopt;
    }
    return profile;
}

QString Profile::text(const QMap<QString, QString>& values) {
    QString text = QStringLiteral("# rfid-setup configuration profile: one section per page, "
                                  "sent in this order.\n");
    QString section;
    for (const ProfileEntry& entry : kProfileEntries) {
        const QString name = entryName(entry);
        if (!values.contains(name))
            continue;
        if (section != QLatin1String(entry.section)) {
            section = QLatin1String(entry.section);
            text += QStringLiteral("\n[%1]\n").arg(section);
        }
        QString value = values.value(name);
        if (entry.kind == Kind::Text)
            value = QLatin1Char('"') + value + QLatin1Char('"');
        text +=
            QStringLiteral("# %1\n%2 = %3\n")
                .arg(QString::fromUtf8(entry.comment).trimmed(), QLatin1String(entry.key), value);
    }
    return text;
}

QString Profile::templateText() {
    QMap<QString, QString> values;
    for (const ProfileEntry& entry : kProfileEntries)
        values.insert(entryName(entry), QString::fromUtf8(entry.defaultValue));
    // Text entries stay commented out: an empty network name or version is
    // rarely what a site wants sent or checked. So do the module's: its region
    // is the site's law, not a default.
    QString text = Profile::text(values);
    for (const ProfileEntry& entry : kProfileEntries)
        if (entry.kind == Kind::Text || QLatin1String(entry.section) == QLatin1String("uhf_module"))
            text.replace(QStringLiteral("\n%1 = ").arg(QLatin1String(entry.key)),
                         QStringLiteral("\n# %1 = ").arg(QLatin1String(entry.key)));
    return text;
}

bool Profile::save(const QString& fileName, const QString& text, bool secret, QString* error) {
    QSaveFile file(fileName);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) ||
        (secret && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        *error = fileName + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

} // namespace settings
