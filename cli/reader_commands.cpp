#include "reader_commands.h"

#include "cli_support.h"
#include "gs1_commands.h"
#include "protocol/hex_text.h"
#include "protocol/status.h"
#include "protocol/text_encoding.h"
#include "uhf/epc_issuer.h"
#include "uhf/epc_operations.h"

#include <QJsonDocument>

namespace {

QString flag(bool on) {
    return on ? QStringLiteral("01") : QStringLiteral("00");
}

// Parses, opens the reader and runs the body; the exit code of the first step that fails.
template <class Body>
int withReader(CommandParser& command, const QStringList& arguments, int minPositional,
               int maxPositional, Body body) {
    CliReader::addOptions(command.parser());
    const int parsed = command.parse(arguments, minPositional, maxPositional);
    if (parsed >= 0)
        return parsed;
    CliReader reader;
    int exitCode = exitOk;
    if (!reader.open(command, &exitCode))
        return exitCode;
    return body(reader);
}

// The data of a successful command printed by `print`.
template <class Print>
int simpleCommand(const QString& name, const QString& description, const QStringList& arguments,
                  const QString& payload, Print print) {
    CommandParser command(name, description);
    return withReader(command, arguments, 0, 0, [&](CliReader& reader) {
        QString data;
        const int code = reader.command(payload, &data);
        if (code == exitOk)
            print(data);
        return code;
    });
}

int usage(const QString& text) {
    return failWith(exitUsage, text);
}

// A failed tag operation: its reason, and the exit code that goes with it.
int tagFailure(EpcOperations::Outcome outcome, const EpcOperations& operations) {
    printError(outcome == EpcOperations::Outcome::NoTag ? QStringLiteral("no tag in the field")
                                                        : operations.errorText());
    return outcome == EpcOperations::Outcome::NoReply || outcome == EpcOperations::Outcome::NoTag
               ? exitNoReply
               : exitReaderError;
}

// The tag in the field: its EPC, StoredCRC and TID.
EpcOperations::Outcome tagInField(EpcOperations& operations, QString* epc, QString* crc,
                                  QString* tid) {
    const EpcOperations::Outcome outcome = operations.inventory(epc, crc);
    return outcome == EpcOperations::Outcome::Done ? operations.readTid(*epc, tid) : outcome;
}

// A tag read: its EPC (after its TID, if read) and the tag URI of a GS1 EPC.
void printTag(const CommandParser& command, const QString& epc, const QString& tid) {
    if (command.isSet(QStringLiteral("json"))) {
        QJsonObject object = gs1Fields(epc);
        object.insert(QStringLiteral("epc"), epc);
        if (!tid.isEmpty())
            object.insert(QStringLiteral("tid"), tid);
        printOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
        return;
    }
    printOut((tid.isEmpty() ? epc : tid + QStringLiteral(" epc ") + epc) + gs1Suffix(epc));
}

} // namespace

int versionCommand(const QStringList& arguments) {
    return simpleCommand(QStringLiteral("version"),
                         QStringLiteral("Read the reader's version text."), arguments,
                         QStringLiteral("c0"), [](const QString& data) {
                             bool ok = false;
                             const QString text = fromGbk(Getchr(data), &ok);
                             printOut(ok ? text : data);
                         });
}

int formatCommand(const QStringList& arguments) {
    const QString action = arguments.value(1);
    if (action == QLatin1String("show"))
        return simpleCommand(
            QStringLiteral("format show"),
            QStringLiteral("Read the output format of an output-format reader."), arguments.mid(1),
            QStringLiteral("83"), [](const QString& data) {
                // Data bytes from 1: the command echoed, format code,
                // semicolon, question mark, comma, Enter, ..., custom byte flag.
                auto byte = [&](int n) { return hex::mid(data, 2 * n - 1, 2); };
                printOut(QStringLiteral("format=%1 semicolon=%2 question=%3 comma=%4 enter=%5 "
                                        "custom=%6 data=%7")
                             .arg(byte(2), byte(3), byte(4), byte(5), byte(6), byte(9), data));
            });
    if (action != QLatin1String("set"))
        return usage(QStringLiteral("format: show or set (see format set --help)"));
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
    return withReader(command, arguments.mid(1), 1, 1, [&](CliReader& reader) {
        const QString code = hex::digitsOf(command.positional().at(0));
        if (code.size() != 2)
            return usage(QStringLiteral("format set: CODE is two hex digits"));
        const QString payload = QStringLiteral("82") + code +
                                flag(command.isSet(QStringLiteral("semicolon"))) +
                                flag(command.isSet(QStringLiteral("question"))) +
                                flag(command.isSet(QStringLiteral("comma"))) +
                                flag(!command.isSet(QStringLiteral("no-enter"))) +
                                flag(!command.isSet(QStringLiteral("small-buzzer"))) +
                                QStringLiteral("01") + flag(command.isSet(QStringLiteral("rssi")));
        QString data;
        const int result = reader.command(payload, &data);
        if (result == exitOk)
            printOut(QStringLiteral("output format set"));
        return result;
    });
}

int readModeCommand(const QStringList& arguments) {
    if (arguments.value(1) != QLatin1String("set"))
        return usage(QStringLiteral("read-mode: set MODE (see read-mode set --help)"));
    CommandParser command(
        QStringLiteral("read-mode set"),
        QStringLiteral("Set the UHF machine's read mode: single (active, one tag's EPC), "
                       "passive, multi (active, several tags), tid (active, TID), or area "
                       "(active, a memory area)."));
    command.parser().addPositionalArgument(QStringLiteral("MODE"),
                                           QStringLiteral("single, passive, multi, tid or area"));
    command.parser().addOptions({
        {QStringLiteral("bank"), QStringLiteral("area: memory bank (default 03)."),
         QStringLiteral("hex"), QStringLiteral("03")},
        {QStringLiteral("password"), QStringLiteral("area: access password (default 00000000)."),
         QStringLiteral("hex"), QStringLiteral("00000000")},
        {QStringLiteral("word"), QStringLiteral("area: first word (default 00)."),
         QStringLiteral("hex"), QStringLiteral("00")},
        {QStringLiteral("words"), QStringLiteral("area: number of words (default 08)."),
         QStringLiteral("hex"), QStringLiteral("08")},
    });
    return withReader(command, arguments.mid(1), 1, 1, [&](CliReader& reader) {
        const QString mode = command.positional().at(0);
        const QStringList modes = {QStringLiteral("single"), QStringLiteral("passive"),
                                   QStringLiteral("multi"), QStringLiteral("tid")};
        QString payload;
        if (modes.contains(mode))
            payload = QStringLiteral("0f0") + QString::number(modes.indexOf(mode) + 1);
        else if (mode == QLatin1String("area"))
            payload = QStringLiteral("BC") + command.value(QStringLiteral("bank")) +
                      command.value(QStringLiteral("password")) +
                      command.value(QStringLiteral("word")) +
                      command.value(QStringLiteral("words"));
        else
            return usage(QStringLiteral("read-mode set: unknown mode ") + mode);
        QString data;
        const int result = reader.command(payload, &data);
        if (result == exitOk)
            printOut(QStringLiteral("read mode set: ") + mode);
        return result;
    });
}

int relayCommand(const QStringList& arguments) {
    CommandParser command(QStringLiteral("relay"),
                          QStringLiteral("Switch the UHF machine's relay output on or off."));
    command.parser().addPositionalArgument(QStringLiteral("STATE"), QStringLiteral("on or off"));
    return withReader(command, arguments, 1, 1, [&](CliReader& reader) {
        const QString state = command.positional().at(0);
        if (state != QLatin1String("on") && state != QLatin1String("off"))
            return usage(QStringLiteral("relay: on or off"));
        QString data;
        const int result =
            reader.command(QStringLiteral("87 ") + flag(state == QLatin1String("on")), &data);
        if (result == exitOk)
            printOut(QStringLiteral("relay ") + state);
        return result;
    });
}

int epcCommand(const QStringList& arguments) {
    const QString action = arguments.value(1);
    if (action == QLatin1String("decode"))
        return epcDecodeCommand(arguments.mid(1));
    if (action == QLatin1String("encode"))
        return epcEncodeCommand(arguments.mid(1));
    if (action == QLatin1String("read")) {
        CommandParser command(QStringLiteral("epc read"),
                              QStringLiteral("Read the EPC of the tag in the field, and its tag "
                                             "URI when it is a GS1 EPC."));
        command.parser().addOption(
            {QStringLiteral("json"), QStringLiteral("The EPC and its GS1 fields as JSON.")});
        return withReader(command, arguments.mid(1), 0, 0, [&](CliReader& reader) {
            EpcOperations operations(reader.link());
            QString epc;
            QString crc;
            const EpcOperations::Outcome outcome = operations.inventory(&epc, &crc);
            if (outcome != EpcOperations::Outcome::Done)
                return tagFailure(outcome, operations);
            printTag(command, epc, QString());
            return int(exitOk);
        });
    }
    if (action != QLatin1String("write"))
        return usage(QStringLiteral("epc: read, write, decode or encode (see epc write --help)"));
    CommandParser command(QStringLiteral("epc write"),
                          QStringLiteral("Write EPC into the tag in the field and read it back. "
                                         "Nothing is recorded in the journal."));
    command.parser().addPositionalArgument(QStringLiteral("EPC"),
                                           QStringLiteral("hex digits, whole words"));
    command.parser().addOption({QStringLiteral("password"),
                                QStringLiteral("Access password, 4 bytes (default 00000000)."),
                                QStringLiteral("hex"), QStringLiteral("00000000")});
    return withReader(command, arguments.mid(1), 1, 1, [&](CliReader& reader) {
        const QString epc = hex::digitsOf(command.positional().at(0)).toUpper();
        const QString password = hex::digitsOf(command.value(QStringLiteral("password")));
        const QString problem = epcNumberProblem(epc);
        if (!problem.isEmpty())
            return usage(problem);
        if (password.size() != 8)
            return usage(QStringLiteral("--password takes 4 bytes of hex digits"));
        EpcOperations operations(reader.link());
        QString current;
        QString crc;
        QString tid;
        EpcOperations::Outcome outcome = tagInField(operations, &current, &crc, &tid);
        if (outcome == EpcOperations::Outcome::Done)
            outcome = operations.selectTid(tid);
        if (outcome != EpcOperations::Outcome::Done)
            return tagFailure(outcome, operations);
        const EpcOperations::Outcome written = operations.writeEpc(password, crc, epc);
        const QString writeError = operations.errorText();
        switch (operations.tagCarries(tid, epc)) {
        case EpcOperations::Carries::Yes:
            printOut(QStringLiteral("written %1 to tag %2").arg(epc, tid));
            return int(exitOk);
        case EpcOperations::Carries::No:
            printError(QStringLiteral("not written: ") +
                       (written == EpcOperations::Outcome::Done
                            ? QStringLiteral("the tag reads back otherwise")
                            : writeError));
            return int(exitReaderError);
        case EpcOperations::Carries::Unknown:
            break;
        }
        printError(QStringLiteral("the tag could not be read back: ") + operations.errorText());
        return int(exitNoReply);
    });
}

int tidCommand(const QStringList& arguments) {
    if (arguments.value(1) != QLatin1String("read"))
        return usage(QStringLiteral("tid: read"));
    CommandParser command(QStringLiteral("tid read"),
                          QStringLiteral("Read the TID (and EPC) of the tag in the field."));
    command.parser().addOption(
        {QStringLiteral("json"), QStringLiteral("The TID, EPC and its GS1 fields as JSON.")});
    return withReader(command, arguments.mid(1), 0, 0, [&](CliReader& reader) {
        EpcOperations operations(reader.link());
        QString epc;
        QString crc;
        QString tid;
        const EpcOperations::Outcome outcome = tagInField(operations, &epc, &crc, &tid);
        if (outcome != EpcOperations::Outcome::Done)
            return tagFailure(outcome, operations);
        printTag(command, epc, tid);
        return int(exitOk);
    });
}

int rawCommand(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("raw"),
        QStringLiteral("Send one HF payload (command code first, hex) and print the reply frame "
                       "and its outcome."));
    command.parser().addPositionalArgument(QStringLiteral("HEX"),
                                           QStringLiteral("the payload, blanks allowed"));
    return withReader(command, arguments, 1, 255, [&](CliReader& reader) {
        QString data;
        const int result = reader.command(command.positional().join(' '), &data);
        if (!reader.link().ReplyText().isEmpty())
            printOut(QStringLiteral("reply ") + reader.link().ReplyText());
        if (result == exitOk)
            printOut(QStringLiteral("status 00 success, data ") + data);
        return result;
    });
}
