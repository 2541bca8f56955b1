#include "reader_commands.h"

#include "cli_support.h"
#include "gs1_commands.h"
#include "protocol/hex_text.h"
#include "protocol/status.h"
#include "protocol/text_encoding.h"
#include "uhf/epc_issuer.h"
#include "uhf/epc_operations.h"
#include <QCoreApplication>

namespace {

// The reader link sends frames of at most 255 bytes: header, address, length,
// XOR and trailer leave 250 for the payload.
constexpr int maxPayloadBytes = 250;

QString flag(bool on) {
    return on ? QStringLiteral("01") : QStringLiteral("00");
}

QJsonObject event(const char* name) {
    return QJsonObject{{QStringLiteral("event"), QLatin1String(name)}};
}

// The options of a command that talks to the reader, parsed: -1 to go on.
int parseReaderCommand(CommandParser& command, const QStringList& arguments, int minPositional,
                       int maxPositional) {
    CliReader::addOptions(command.parser());
    return command.parse(arguments, minPositional, maxPositional);
}

// Opens the reader and runs the body; the exit code of the first step that fails.
template <class Body> int withReader(const CommandParser& command, Body body) {
    CliReader reader;
    int exitCode = exitOk;
    if (!reader.open(command, &exitCode))
        return exitCode;
    return body(reader);
}

// Sends the payload; on success prints the line and the object that `result` makes of the data.
template <class Result>
int sendCommand(const CommandParser& command, const QString& payload, Result result) {
    return withReader(command, [&](CliReader& reader) {
        QString data;
        const int code = reader.command(payload, &data);
        if (code == exitOk) {
            const auto [text, object] = result(data);
            printResult(text, object);
        }
        return code;
    });
}

// A failed tag operation: its reason, and the exit code that goes with it.
int tagFailure(EpcOperations::Outcome outcome, const EpcOperations& operations, CliReader& reader) {
    switch (outcome) {
    case EpcOperations::Outcome::NoReply:
        return reader.noReply();
    case EpcOperations::Outcome::NoTag:
        return failWith(exitNoReply, QCoreApplication::translate(
                                         "cli", "天线区域内没有标签：请把标签放到读卡器上再试"));
    default:
        return failWith(exitReaderError, operations.errorText());
    }
}

// The tag in the field: its EPC, StoredCRC and TID.
EpcOperations::Outcome tagInField(EpcOperations& operations, QString* epc, QString* crc,
                                  QString* tid) {
    const EpcOperations::Outcome outcome = operations.inventory(epc, crc);
    return outcome == EpcOperations::Outcome::Done ? operations.readTid(*epc, tid) : outcome;
}

int formatShow(const QStringList& arguments) {
    CommandParser command(QStringLiteral("format show"),
                          QStringLiteral("Read the output format of an output-format reader."));
    const int parsed = parseReaderCommand(command, arguments, 0, 0);
    if (parsed >= 0)
        return parsed;
    return sendCommand(command, QStringLiteral("83"), [](const QString& data) {
        // Data bytes from 1: the command echoed, format code, semicolon,
        // question mark, comma, Enter, ..., custom byte flag.
        const char* const names[] = {"format", "semicolon", "question", "comma", "enter"};
        QStringList fields;
        QJsonObject object = event("format");
        for (int n = 2; n <= 9; ++n) {
            const char* name = n <= 6 ? names[n - 2] : n == 9 ? "custom" : nullptr;
            if (!name)
                continue;
            const QString byte = hex::mid(data, 2 * n - 1, 2);
            fields << QStringLiteral("%1=%2").arg(QLatin1String(name), byte);
            object.insert(QLatin1String(name), byte);
        }
        object.insert(QStringLiteral("data"), data);
        return std::pair(fields.join(' ') + QStringLiteral(" data=") + data, object);
    });
}

int formatSet(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("format set"),
        QStringLiteral("Set the output format: CODE is the format's hex code "
                       "(07, 0C, 0F, ...; 81-FF: that many bytes minus 80 in hex)."));
    command.parser().addPositionalArgument(QStringLiteral("CODE"), QStringLiteral("format code"));
    command.parser().addOptions({
        {QStringLiteral("semicolon"), QStringLiteral("Put ; before the number.")},
        {QStringLiteral("question"), QStringLiteral("Put ? after the number.")},
        {QStringLiteral("comma"), QStringLiteral("Put a comma in the middle.")},
        {QStringLiteral("no-enter"), QStringLiteral("No Enter after the number.")},
        {QStringLiteral("small-buzzer"), QStringLiteral("Use the small buzzer.")},
        {QStringLiteral("rssi"), QStringLiteral("Add the RSSI after the number.")},
    });
    int parsed = parseReaderCommand(command, arguments, 1, 1);
    QString code;
    if (parsed < 0)
        parsed = hexArgument(command.name(), QStringLiteral("CODE"), command.positional().at(0), 1,
                             1, &code);
    if (parsed >= 0)
        return parsed;
    const QString payload = QStringLiteral("82") + code +
                            flag(command.isSet(QStringLiteral("semicolon"))) +
                            flag(command.isSet(QStringLiteral("question"))) +
                            flag(command.isSet(QStringLiteral("comma"))) +
                            flag(!command.isSet(QStringLiteral("no-enter"))) +
                            flag(!command.isSet(QStringLiteral("small-buzzer"))) +
                            QStringLiteral("01") + flag(command.isSet(QStringLiteral("rssi")));
    return sendCommand(command, payload, [&](const QString&) {
        QJsonObject object = event("format-set");
        object.insert(QStringLiteral("format"), code);
        return std::pair(QStringLiteral("output format set"), object);
    });
}

// The object with the fields of a GS1 EPC added.
QJsonObject withGs1Fields(QJsonObject object, const QString& epc) {
    const QJsonObject fields = gs1Fields(epc);
    for (auto field = fields.begin(); field != fields.end(); ++field)
        object.insert(field.key(), field.value());
    return object;
}

int epcRead(const QStringList& arguments) {
    CommandParser command(QStringLiteral("epc read"),
                          QStringLiteral("Read the EPC of the tag in the field, and its tag "
                                         "URI when it is a GS1 EPC."));
    const int parsed = parseReaderCommand(command, arguments, 0, 0);
    if (parsed >= 0)
        return parsed;
    return withReader(command, [&](CliReader& reader) {
        EpcOperations operations(reader.link());
        QString epc;
        QString crc;
        const EpcOperations::Outcome outcome = operations.inventory(&epc, &crc);
        if (outcome != EpcOperations::Outcome::Done)
            return tagFailure(outcome, operations, reader);
        QJsonObject object = event("epc");
        object.insert(QStringLiteral("epc"), epc);
        printResult(epc + gs1Suffix(epc), withGs1Fields(object, epc));
        return int(exitOk);
    });
}

int epcWrite(const QStringList& arguments) {
    CommandParser command(QStringLiteral("epc write"),
                          QStringLiteral("Write EPC into the tag in the field and read it back. "
                                         "Nothing is recorded in the journal."));
    command.parser().addPositionalArgument(QStringLiteral("EPC"),
                                           QStringLiteral("hex digits, whole words"));
    command.parser().addOption({QStringLiteral("password"),
                                QStringLiteral("Access password, 4 bytes (default 00000000)."),
                                QStringLiteral("hex"), QStringLiteral("00000000")});
    int parsed = parseReaderCommand(command, arguments, 1, 1);
    QString epc;
    QString password;
    if (parsed < 0)
        parsed = hexArgument(command.name(), QStringLiteral("EPC"), command.positional().at(0), 1,
                             maxPayloadBytes, &epc);
    if (parsed < 0 && !epcNumberProblem(epc).isEmpty())
        parsed = failWith(exitUsage, QStringLiteral("epc write: EPC %1: %2 (see 'rfid-setup-cli "
                                                    "epc write --help')")
                                         .arg(epc, epcNumberProblem(epc)));
    if (parsed < 0)
        parsed = hexArgument(command.name(), QStringLiteral("--password"),
                             command.value(QStringLiteral("password")), 4, 4, &password);
    if (parsed >= 0)
        return parsed;
    return withReader(command, [&](CliReader& reader) {
        EpcOperations operations(reader.link());
        QString current;
        QString crc;
        QString tid;
        EpcOperations::Outcome outcome = tagInField(operations, &current, &crc, &tid);
        if (outcome == EpcOperations::Outcome::Done)
            outcome = operations.selectTid(tid);
        if (outcome != EpcOperations::Outcome::Done)
            return tagFailure(outcome, operations, reader);
        const EpcOperations::Outcome written = operations.writeEpc(password, crc, epc);
        const QString writeError = operations.errorText();
        switch (operations.tagCarries(tid, epc)) {
        case EpcOperations::Carries::Yes: {
            QJsonObject object = event("written");
            object.insert(QStringLiteral("epc"), epc);
            object.insert(QStringLiteral("tid"), tid);
            printResult(QStringLiteral("written %1 to tag %2").arg(epc, tid), object);
            return int(exitOk);
        }
        case EpcOperations::Carries::No:
            // A password does not make a tag's memory longer.
            if (writeError == uhfErrorText(QStringLiteral("B3")))
                return failWith(exitReaderError,
                                QCoreApplication::translate(
                                    "cli", "没有写入：%1：EPC 号比标签的存储区长，请用较短的 EPC "
                                           "号或存储区更大的标签")
                                    .arg(writeError));
            return failWith(
                exitReaderError,
                QCoreApplication::translate(
                    "cli", "没有写入：%1：请检查访问密码（--password）和标签是否锁定")
                    .arg(written == EpcOperations::Outcome::Done
                             ? QCoreApplication::translate("cli", "标签读回的 EPC 号不同")
                             : writeError));
        case EpcOperations::Carries::Unknown:
            break;
        }
        return failWith(exitNoReply,
                        QCoreApplication::translate(
                            "cli", "标签无法读回：%1：请让标签留在读卡器上，用 epc read 查看它的 "
                                   "EPC 号")
                            .arg(operations.errorText()));
    });
}

} // namespace

int versionCommand(const QStringList& arguments) {
    CommandParser command(QStringLiteral("version"),
                          QStringLiteral("Read the reader's version text."));
    const int parsed = parseReaderCommand(command, arguments, 0, 0);
    if (parsed >= 0)
        return parsed;
    return sendCommand(command, QStringLiteral("c0"), [](const QString& data) {
        bool ok = false;
        QString text = fromGbk(Getchr(data), &ok);
        if (!ok)
            text = data;
        QJsonObject object = event("version");
        object.insert(QStringLiteral("version"), text);
        return std::pair(text, object);
    });
}

int formatCommand(const QStringList& arguments) {
    const QString action = arguments.value(1);
    if (action == QLatin1String("show"))
        return formatShow(arguments.mid(1));
    if (action == QLatin1String("set"))
        return formatSet(arguments.mid(1));
    return actionHelp(QStringLiteral("format"),
                      {{"show", "read the output format of an output-format reader"},
                       {"set", "CODE [options]: set the output format"}},
                      action);
}

int readModeCommand(const QStringList& arguments) {
    if (arguments.value(1) != QLatin1String("set"))
        return actionHelp(QStringLiteral("read-mode"),
                          {{"set", "MODE: single, passive, multi, tid or area"}},
                          arguments.value(1));
    CommandParser command(
        QStringLiteral("read-mode set"),
        QStringLiteral("Set the UHF machine's read mode: single (active, one tag's EPC), "
                       "passive, multi (active, several tags), tid (active, TID), or area "
                       "(active, a memory area)."));
    command.parser().addPositionalArgument(QStringLiteral("MODE"),
                                           QStringLiteral("single, passive, multi, tid or area"));
    // The memory area of the area mode, each a fixed number of bytes.
    const struct {
        const char* name;
        const char* help;
        const char* value;
        int bytes;
    } area[] = {
        {"bank", "area: memory bank (default 03).", "03", 1},
        {"password", "area: access password (default 00000000).", "00000000", 4},
        {"word", "area: first word (default 00).", "00", 1},
        {"words", "area: number of words (default 08).", "08", 1},
    };
    for (const auto& option : area)
        command.parser().addOption({QLatin1String(option.name), QLatin1String(option.help),
                                    QStringLiteral("hex"), QLatin1String(option.value)});
    int parsed = parseReaderCommand(command, arguments.mid(1), 1, 1);
    if (parsed >= 0)
        return parsed;
    const QString mode = command.positional().at(0);
    const QStringList modes = {QStringLiteral("single"), QStringLiteral("passive"),
                               QStringLiteral("multi"), QStringLiteral("tid")};
    QString payload = QStringLiteral("BC");
    for (const auto& option : area) {
        QString digits;
        parsed = hexArgument(command.name(), QStringLiteral("--") + QLatin1String(option.name),
                             command.value(QLatin1String(option.name)), option.bytes, option.bytes,
                             &digits);
        if (parsed >= 0)
            return parsed;
        payload += digits;
    }
    if (modes.contains(mode))
        payload = QStringLiteral("0f0") + QString::number(modes.indexOf(mode) + 1);
    else if (mode != QLatin1String("area"))
        return failWith(exitUsage, QStringLiteral("read-mode set: MODE is single, passive, multi, "
                                                  "tid or area, not '%1' (see 'rfid-setup-cli "
                                                  "read-mode set --help')")
                                       .arg(mode));
    return sendCommand(command, payload, [&](const QString&) {
        QJsonObject object = event("read-mode");
        object.insert(QStringLiteral("mode"), mode);
        return std::pair(QStringLiteral("read mode set: ") + mode, object);
    });
}

int relayCommand(const QStringList& arguments) {
    CommandParser command(QStringLiteral("relay"),
                          QStringLiteral("Switch the UHF machine's relay output on or off."));
    command.parser().addPositionalArgument(QStringLiteral("STATE"), QStringLiteral("on or off"));
    const int parsed = parseReaderCommand(command, arguments, 1, 1);
    if (parsed >= 0)
        return parsed;
    const QString state = command.positional().at(0);
    if (state != QLatin1String("on") && state != QLatin1String("off"))
        return failWith(exitUsage,
                        QStringLiteral("relay: STATE is on or off, not '%1' (see 'rfid-setup-cli "
                                       "relay --help')")
                            .arg(state));
    return sendCommand(command, QStringLiteral("87") + flag(state == QLatin1String("on")),
                       [&](const QString&) {
                           QJsonObject object = event("relay");
                           object.insert(QStringLiteral("state"), state);
                           return std::pair(QStringLiteral("relay ") + state, object);
                       });
}

int epcCommand(const QStringList& arguments) {
    const QString action = arguments.value(1);
    if (action == QLatin1String("read"))
        return epcRead(arguments.mid(1));
    if (action == QLatin1String("write"))
        return epcWrite(arguments.mid(1));
    if (action == QLatin1String("decode"))
        return epcDecodeCommand(arguments.mid(1));
    if (action == QLatin1String("encode"))
        return epcEncodeCommand(arguments.mid(1));
    return actionHelp(QStringLiteral("epc"),
                      {{"read", "the EPC of the tag in the field"},
                       {"write", "EPC: write the EPC into the tag in the field"},
                       {"decode", "HEX: what a GS1 EPC holds (offline)"},
                       {"encode", "URI|ELEMENT-STRING: the EPC of a GS1 identity (offline)"}},
                      action);
}

int tidCommand(const QStringList& arguments) {
    if (arguments.value(1) != QLatin1String("read"))
        return actionHelp(QStringLiteral("tid"),
                          {{"read", "the TID (and EPC) of the tag in the field"}},
                          arguments.value(1));
    CommandParser command(QStringLiteral("tid read"),
                          QStringLiteral("Read the TID (and EPC) of the tag in the field."));
    const int parsed = parseReaderCommand(command, arguments.mid(1), 0, 0);
    if (parsed >= 0)
        return parsed;
    return withReader(command, [&](CliReader& reader) {
        EpcOperations operations(reader.link());
        QString epc;
        QString crc;
        QString tid;
        const EpcOperations::Outcome outcome = tagInField(operations, &epc, &crc, &tid);
        if (outcome != EpcOperations::Outcome::Done)
            return tagFailure(outcome, operations, reader);
        QJsonObject object = event("tid");
        object.insert(QStringLiteral("tid"), tid);
        object.insert(QStringLiteral("epc"), epc);
        printResult(tid + QStringLiteral(" epc ") + epc + gs1Suffix(epc),
                    withGs1Fields(object, epc));
        return int(exitOk);
    });
}

int rawCommand(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("raw"),
        QStringLiteral("Send one HF payload (command code first, hex) and print the reply frame "
                       "and its outcome."));
    command.parser().addPositionalArgument(QStringLiteral("HEX"),
                                           QStringLiteral("the payload, blanks between pairs"));
    int parsed = parseReaderCommand(command, arguments, 1, maxPayloadBytes);
    QString payload;
    if (parsed < 0)
        parsed = hexArgument(command.name(), QStringLiteral("HEX"), command.positional().join(' '),
                             1, maxPayloadBytes, &payload);
    if (parsed >= 0)
        return parsed;
    return withReader(command, [&](CliReader& reader) {
        QString data;
        const int result = reader.command(payload, &data);
        const QString reply = reader.link().ReplyText();
        if (reply.isEmpty())
            return result;
        QJsonObject object = event("reply");
        object.insert(QStringLiteral("reply"), reply);
        if (result == exitOk)
            object.insert(QStringLiteral("data"), data);
        printResult(QStringLiteral("reply ") + reply, object);
        if (result == exitOk && !globaloptions::json())
            printOut(QStringLiteral("status 00 success, data ") + data);
        return result;
    });
}
