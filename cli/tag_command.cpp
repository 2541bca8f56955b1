#include "tag_command.h"

#include "cli_support.h"
#include "protocol/hex_text.h"
#include "uhf/access_key.h"
#include "uhf/tag_access.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <algorithm>

namespace {

using uhf::TagAccess;
using Outcome = TagAccess::Outcome;

// A Select mask is at most 255 bits long: a TID or an EPC of up to 31 bytes.
constexpr int maxSelectBytes = 31;
// Word addresses run from 0 to FFFF.
constexpr int wordSpace = 0x10000;
// What "tag read" reads without --count, per bank: both passwords, StoredCRC,
// PC and a 96-bit EPC, the TID's class, maker, model and serial number, and
// the User memory of most chips.
constexpr int defaultWords[] = {4, 8, 6, 32};

// The options of an action, and only those in its help; the common options
// go before the command or, for the reader's actions, after it as well.
void addOptions(QCommandLineParser& parser, const QString& action) {
    if (action == QLatin1String("password")) {
        parser.addOptions({
            {QStringLiteral("tid"), QStringLiteral("The tag's TID, hex, as read from the tag."),
             QStringLiteral("hex")},
            {QStringLiteral("access-key"),
             QStringLiteral("The key file the passwords are derived from."),
             QStringLiteral("file")},
        });
        for (const char* name : {"simulate", "library", "journal", "station"}) {
            QCommandLineOption common(QString::fromLatin1(name), QString());
            if (qstrcmp(name, "simulate") != 0)
                common.setValueName(QStringLiteral("value"));
            common.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(common);
        }
        return;
    }
    CliReader::addOptions(parser);
    parser.addOptions({
        {QStringLiteral("tid"),
         QStringLiteral("Choose the tag by its whole TID, hex, as tag read --bank tid shows it."),
         QStringLiteral("hex")},
        {QStringLiteral("epc"),
         QStringLiteral("Choose the tag by its EPC, hex (its TID is read and used)."),
         QStringLiteral("hex")},
    });
    if (action == QLatin1String("kill")) {
        parser.addOption({QStringLiteral("kill-password"),
                          QStringLiteral("The tag's kill password, 4 bytes (not 00000000)."),
                          QStringLiteral("hex")});
        return;
    }
    parser.addOption({QStringLiteral("access-password"),
                      QStringLiteral("The tag's access password, 4 bytes (default 00000000: "
                                     "none sent)."),
                      QStringLiteral("hex"), QStringLiteral("00000000")});
    const bool read = action == QLatin1String("read");
    if (read || action == QLatin1String("write"))
        parser.addOptions({
            {QStringLiteral("bank"), QStringLiteral("Memory bank: reserved, epc, tid or user."),
             QStringLiteral("bank")},
            {QStringLiteral("word"),
             read ? QStringLiteral("First word, decimal (default 0).")
                  : QStringLiteral("First word, decimal."),
             QStringLiteral("n")},
        });
    if (read)
        parser.addOption({QStringLiteral("count"),
                          QStringLiteral("Words to read, decimal (default: reserved 4, epc 8, "
                                         "tid 6, user 32)."),
                          QStringLiteral("n")});
    if (action == QLatin1String("write"))
        parser.addPositionalArgument(QStringLiteral("HEX"),
                                     QStringLiteral("whole words, blanks between pairs"));
    if (action == QLatin1String("set-password")) {
        parser.addPositionalArgument(QStringLiteral("access|kill"),
                                     QStringLiteral("which password"));
        parser.addPositionalArgument(QStringLiteral("HEX"), QStringLiteral("4 bytes"));
    }
    if (action == QLatin1String("lock")) {
        parser.addPositionalArgument(QStringLiteral("AREA=ACTION[,AREA=ACTION...]"),
                                     QStringLiteral("the areas and what to make of them"));
        parser.addOption({QStringLiteral("permanent"),
                          QStringLiteral("Send permalock and permaopen, which can never be "
                                         "undone.")});
    }
}

// A 4-byte password option or argument: -1 when good.
int passwordArgument(const CommandParser& command, const QString& name, const QString& text,
                     quint32* password) {
    QString digits;
    const int refused = hexArgument(command.name(), name, text, 4, 4, &digits);
    if (refused < 0)
        *password = digits.toUInt(nullptr, 16);
    return refused;
}

// --tid or --epc, or neither for the one tag in the field: -1 when good.
int tagChoice(const CommandParser& command, uhf::TagId* tag) {
    const bool byTid = command.isSet(QStringLiteral("tid"));
    const bool byEpc = command.isSet(QStringLiteral("epc"));
    if (byTid && byEpc)
        return usageError(command.name(),
                          command.name() + QStringLiteral(": give --tid or --epc, not both"));
    if (!byTid && !byEpc)
        return -1;
    const QString option = byTid ? QStringLiteral("tid") : QStringLiteral("epc");
    QString digits;
    // An EPC is whole words; a TID is matched as it is given.
    const int refused = hexArgument(command.name(), QStringLiteral("--") + option,
                                    command.value(option), byTid ? 4 : 2, maxSelectBytes, &digits);
    if (refused >= 0)
        return refused;
    if (byEpc && digits.size() % 4)
        return usageError(command.name(),
                          QStringLiteral("%1: --epc takes whole words (4 hex digits each), not "
                                         "'%2'")
                              .arg(command.name(), command.value(option)));
    (byTid ? tag->tid : tag->epc) = hex::toBytes(digits);
    return -1;
}

int bankOption(const CommandParser& command, uhf::Bank* bank) {
    const QString name = command.value(QStringLiteral("bank"));
    if (uhf::bankFromName(name, bank))
        return -1;
    return usageError(
        command.name(),
        name.isEmpty()
            ? QStringLiteral("%1: give --bank reserved, epc, tid or user").arg(command.name())
            : QStringLiteral("%1: --bank takes reserved, epc, tid or "
                             "user, not '%2'")
                  .arg(command.name(), name));
}

// A tag operation that did not succeed: its reason, which names the tag, and
// the exit code that goes with it.
int failed(Outcome outcome, const TagAccess& access, CliReader& reader) {
    switch (outcome) {
    case Outcome::NoReply:
        return reader.noReply();
    case Outcome::NoTag:
        return failWith(exitNoReply, access.errorText());
    case Outcome::NotSent:
        return failWith(exitUsage, access.errorText());
    default:
        return failWith(exitReaderError, access.errorText());
    }
}

// The event of a result with the tag it was about.
QJsonObject tagEvent(const char* name, const TagAccess& access) {
    const uhf::TagId& tag = access.tag();
    return QJsonObject{
        {QStringLiteral("event"), QLatin1String(name)},
        {QStringLiteral("tid"), hex::fromBytes(tag.tid)},
        {QStringLiteral("epc"), hex::fromBytes(tag.epc.isEmpty() ? access.answeredEpc() : tag.epc)},
    };
}

// Opens the reader, chooses the tag (the one in the field when none is
// named) and runs the operation, which prints its result when it succeeds.
template <class Operation>
int onChosenTag(const CommandParser& command, uhf::TagId tag, Operation operation) {
    CliReader reader;
    int exitCode = exitOk;
    if (!reader.open(command, &exitCode))
        return exitCode;
    TagAccess access(reader.link());
    if (tag.isEmpty()) {
        QList<QByteArray> epcs;
        const Outcome found = access.tagsInField(&epcs);
        if (found != Outcome::Done)
            return failed(found, access, reader);
        if (epcs.isEmpty())
            return failWith(
                exitNoReply,
                QCoreApplication::translate("cli", "天线区域内没有标签：请把标签放到读卡器上再试"));
        if (epcs.size() > 1) {
            QStringList listed;
            for (const QByteArray& epc : epcs)
                listed << hex::fromBytes(epc);
            return failWith(exitUsage,
                            QCoreApplication::translate(
                                "cli", "天线区域内有 %1 个标签（EPC %2）：请用 --tid 或 --epc "
                                       "选定要操作的标签")
                                .arg(epcs.size())
                                .arg(listed.join(QStringLiteral(", "))));
        }
        tag.epc = epcs.first();
    }
    Outcome outcome = access.choose(tag);
    if (outcome == Outcome::Done)
        outcome = operation(access);
    return outcome == Outcome::Done ? int(exitOk) : failed(outcome, access, reader);
}

QString spacedWords(const QByteArray& data) {
    const QString digits = hex::fromBytes(data);
    QStringList words;
    for (int i = 0; i < digits.size(); i += 4)
        words << digits.mid(i, 4);
    return words.join(QLatin1Char(' '));
}

QString threeDigits(int value) {
    return QStringLiteral("%1").arg(value, 3, 16, QLatin1Char('0')).toUpper();
}

int readAction(const CommandParser& command) {
    uhf::TagId tag;
    quint32 password = 0;
    uhf::Bank bank = uhf::Bank::User;
    qint64 word = 0;
    qint64 count = 0;
    int refused = tagChoice(command, &tag);
    if (refused < 0)
        refused = passwordArgument(command, QStringLiteral("--access-password"),
                                   command.value(QStringLiteral("access-password")), &password);
    if (refused < 0)
        refused = bankOption(command, &bank);
    if (refused < 0 && command.isSet(QStringLiteral("word")))
        refused = decimalArgument(command.name(), QStringLiteral("--word"),
                                  command.value(QStringLiteral("word")), 0, wordSpace - 1, &word);
    if (refused < 0)
        refused = decimalArgument(command.name(), QStringLiteral("--count"),
                                  command.isSet(QStringLiteral("count"))
                                      ? command.value(QStringLiteral("count"))
                                      : QString::number(defaultWords[int(bank)]),
                                  1, wordSpace - word, &count);
    if (refused >= 0)
        return refused;
    return onChosenTag(command, tag, [&](TagAccess& access) {
        QByteArray data;
        const Outcome outcome = access.read(bank, int(word), int(count), password, &data);
        if (outcome != Outcome::Done)
            return outcome;
        const QString name = access.tag().text();
        QStringList lines{QCoreApplication::translate("cli", "%1：%2 区第 %3 字起 %4 个字：%5")
                              .arg(name, uhf::bankName(bank))
                              .arg(word)
                              .arg(count)
                              .arg(spacedWords(data))};
        QJsonObject object = tagEvent("tag-read", access);
        object.insert(QStringLiteral("bank"), uhf::bankName(bank));
        object.insert(QStringLiteral("word"), word);
        object.insert(QStringLiteral("count"), count);
        object.insert(QStringLiteral("data"), hex::fromBytes(data));
        const uhf::TidInfo info = uhf::decodeTid(data);
        if (bank == uhf::Bank::Tid && word == 0 && info.valid) {
            lines << QCoreApplication::translate("cli",
                                                 "%1：TID 类别 %2（%3），厂商代码 %4，型号 %5")
                         .arg(name, hex::byte(info.tidClass), info.className(),
                              threeDigits(info.maskDesigner), threeDigits(info.model));
            object.insert(QStringLiteral("tidClass"), hex::byte(info.tidClass));
            object.insert(QStringLiteral("maskDesigner"), threeDigits(info.maskDesigner));
            object.insert(QStringLiteral("model"), threeDigits(info.model));
        }
        printResult(lines.join(QLatin1Char('\n')), object);
        return outcome;
    });
}

int writeAction(const CommandParser& command) {
    uhf::TagId tag;
    quint32 password = 0;
    uhf::Bank bank = uhf::Bank::User;
    qint64 word = 0;
    QString digits;
    int refused = tagChoice(command, &tag);
    if (refused < 0)
        refused = passwordArgument(command, QStringLiteral("--access-password"),
                                   command.value(QStringLiteral("access-password")), &password);
    if (refused < 0)
        refused = bankOption(command, &bank);
    if (refused < 0 && !command.isSet(QStringLiteral("word")))
        refused = usageError(command.name(),
                             command.name() + QStringLiteral(": give --word N, the first word"));
    if (refused < 0)
        refused = decimalArgument(command.name(), QStringLiteral("--word"),
                                  command.value(QStringLiteral("word")), 0, wordSpace - 1, &word);
    const QString text = command.positional().join(QLatin1Char(' '));
    if (refused < 0)
        refused = hexArgument(command.name(), QStringLiteral("HEX"), text, 2,
                              2 * int(wordSpace - word), &digits);
    if (refused < 0 && digits.size() % 4)
        refused = usageError(command.name(),
                             QStringLiteral("%1: HEX takes whole words (4 hex digits each), not "
                                            "'%2'")
                                 .arg(command.name(), text));
    if (refused >= 0)
        return refused;
    const QByteArray data = hex::toBytes(digits);
    return onChosenTag(command, tag, [&](TagAccess& access) {
        const Outcome outcome = access.write(bank, int(word), data, password);
        if (outcome != Outcome::Done)
            return outcome;
        QJsonObject object = tagEvent("tag-written", access);
        object.insert(QStringLiteral("bank"), uhf::bankName(bank));
        object.insert(QStringLiteral("word"), word);
        object.insert(QStringLiteral("count"), data.size() / 2);
        printResult(QCoreApplication::translate("cli", "%1：已写入 %2 区第 %3 字起 %4 个字")
                        .arg(access.tag().text(), uhf::bankName(bank))
                        .arg(word)
                        .arg(data.size() / 2),
                    object);
        return outcome;
    });
}

int setPasswordAction(const CommandParser& command) {
    uhf::TagId tag;
    quint32 current = 0;
    quint32 password = 0;
    const QString which = command.positional().at(0);
    const bool kill = which == QLatin1String("kill");
    int refused = tagChoice(command, &tag);
    if (refused < 0)
        refused = passwordArgument(command, QStringLiteral("--access-password"),
                                   command.value(QStringLiteral("access-password")), &current);
    if (refused < 0 && !kill && which != QLatin1String("access"))
        refused = usageError(command.name(),
                             QStringLiteral("%1: say which password, access or kill, not '%2'")
                                 .arg(command.name(), which));
    if (refused < 0)
        refused =
            passwordArgument(command, QStringLiteral("HEX"), command.positional().at(1), &password);
    if (refused >= 0)
        return refused;
    return onChosenTag(command, tag, [&](TagAccess& access) {
        const Outcome outcome = kill ? access.setKillPassword(password, current)
                                     : access.setAccessPassword(password, current);
        if (outcome != Outcome::Done)
            return outcome;
        QJsonObject object = tagEvent("tag-password-set", access);
        object.insert(QStringLiteral("password"), which);
        printResult((kill ? QCoreApplication::translate("cli", "%1：灭活密码已设置")
                          : QCoreApplication::translate("cli", "%1：访问密码已设置"))
                        .arg(access.tag().text()),
                    object);
        return outcome;
    });
}

// AREA=ACTION[,AREA=ACTION...] as a lock plan: -1 when good.
int lockPlanArgument(const CommandParser& command, const QString& text, uhf::LockPlan* plan) {
    QString problem;
    const std::optional<uhf::LockPlan> read = uhf::LockPlan::fromText(text, &problem);
    if (!read)
        return usageError(command.name(), command.name() + QStringLiteral(": ") + problem);
    *plan = *read;
    return -1;
}

int lockAction(const CommandParser& command) {
    uhf::TagId tag;
    quint32 password = 0;
    uhf::LockPlan plan;
    int refused = tagChoice(command, &tag);
    if (refused < 0)
        refused = passwordArgument(command, QStringLiteral("--access-password"),
                                   command.value(QStringLiteral("access-password")), &password);
    if (refused < 0)
        refused = lockPlanArgument(command, command.positional().at(0), &plan);
    if (refused < 0 && plan.permanent() && !command.isSet(QStringLiteral("permanent"))) {
        QStringList permanent;
        for (int area = 0; area < uhf::lockAreaCount; ++area) {
            const auto action = plan.action(uhf::LockArea(area));
            if (action == uhf::LockAction::Permalock || action == uhf::LockAction::Permaopen)
                permanent << uhf::lockAreaName(uhf::LockArea(area)) + QLatin1Char('=') +
                                 uhf::lockActionName(*action);
        }
        refused = usageError(command.name(),
                             QStringLiteral("%1: %2 can never be undone, not even with the "
                                            "access password; nothing sent: add --permanent to "
                                            "send it")
                                 .arg(command.name(), permanent.join(QLatin1Char(','))));
    }
    if (refused >= 0)
        return refused;
    return onChosenTag(command, tag, [&](TagAccess& access) {
        const Outcome outcome = access.lock(plan, password);
        if (outcome != Outcome::Done)
            return outcome;
        QJsonObject object = tagEvent("tag-locked", access);
        object.insert(QStringLiteral("lock"), plan.text());
        object.insert(QStringLiteral("payload"), plan.payloadHex());
        printResult(QCoreApplication::translate(
                        "cli", "%1：已锁定：%2（标签的锁定状态无法读回，请记下这次的设定）")
                        .arg(access.tag().text(), plan.text()),
                    object);
        return outcome;
    });
}

int killAction(const CommandParser& command) {
    uhf::TagId tag;
    quint32 password = 0;
    int refused = tagChoice(command, &tag);
    if (refused < 0 && !command.isSet(QStringLiteral("kill-password")))
        refused = usageError(command.name(),
                             command.name() + QStringLiteral(": give --kill-password HEX, "
                                                             "the tag's kill password"));
    if (refused < 0)
        refused = passwordArgument(command, QStringLiteral("--kill-password"),
                                   command.value(QStringLiteral("kill-password")), &password);
    // The tag would refuse it anyway; nothing is sent, not even the Select.
    if (refused < 0 && password == 0)
        refused = usageError(command.name(),
                             command.name() + QStringLiteral(": a tag whose kill password is "
                                                             "00000000 cannot be killed; "
                                                             "nothing sent"));
    if (refused >= 0)
        return refused;
    return onChosenTag(command, tag, [&](TagAccess& access) {
        const Outcome outcome = access.kill(password);
        if (outcome == Outcome::Done)
            printResult(QCoreApplication::translate("cli", "%1：已灭活，标签再也不会应答")
                            .arg(access.tag().text()),
                        tagEvent("tag-killed", access));
        return outcome;
    });
}

int passwordAction(const CommandParser& command) {
    for (const char* option : {"tid", "access-key"})
        if (!command.isSet(QLatin1String(option)))
            return usageError(command.name(),
                              command.name() +
                                  QStringLiteral(": give --tid TID and --access-key FILE"));
    QString tid;
    const int refused = hexArgument(command.name(), QStringLiteral("--tid"),
                                    command.value(QStringLiteral("tid")), 2, 64, &tid);
    if (refused >= 0)
        return refused;
    QString why;
    const std::optional<AccessKey> key =
        AccessKey::load(command.value(QStringLiteral("access-key")), &why);
    if (!key)
        return failWith(exitUsage, command.name() + QStringLiteral(": ") + why);
    const QString password = key->password(tid);
    printResult(QCoreApplication::translate("cli", "%1：访问密码 %2")
                    .arg(uhf::TagId{hex::toBytes(tid), QByteArray()}.text(), password),
                QJsonObject{{QStringLiteral("event"), QStringLiteral("tag-password")},
                            {QStringLiteral("tid"), tid},
                            {QStringLiteral("password"), password},
                            {QStringLiteral("keyId"), key->id()}});
    return exitOk;
}

const struct {
    const char* name;
    const char* summary;
    const char* description; // the action's --help
    int minPositional;
    int maxPositional;
    int (*run)(const CommandParser& command);
} kActions[] = {
    {"read", "--bank BANK [--word N] [--count N]: words of a tag's memory",
     "tag read: read words of one tag's memory bank (reserved, epc, tid or user); a TID "
     "read from word 0 also shows the class, mask designer and model. The tag is the "
     "one in the field, or the one --tid or --epc names.",
     0, 0, readAction},
    {"write", "--bank BANK --word N HEX: write whole words into a tag's memory",
     "tag write HEX: write whole words (4 hex digits each) into one tag's memory bank "
     "from word N. The tag is the one in the field, or the one --tid or --epc names.",
     1, 2 * wordSpace, writeAction},
    {"set-password", "access|kill HEX: set a tag's access or kill password",
     "tag set-password access|kill HEX: set one tag's access password (Reserved words "
     "2-3) or kill password (words 0-1), 8 hex digits; 00000000 removes it. Where the "
     "password is locked, give the current access password with --access-password.",
     2, 2, setPasswordAction},
    {"lock", "AREA=ACTION[,AREA=ACTION...]: lock or open areas of a tag",
     "tag lock AREA=ACTION[,AREA=ACTION...]: one lock command for one tag. Areas: kill "
     "(the kill password), access (the access password), epc, tid, user. Actions: "
     "open, lock (writable only with the access password), permalock, permaopen. The "
     "permanent actions can never be undone and are sent only with --permanent. A "
     "tag's lock state cannot be read back.",
     1, 1, lockAction},
    {"kill", "--kill-password HEX: silence a tag for good",
     "tag kill: silence one tag for good with its kill password. A tag whose kill "
     "password is 00000000 cannot be killed.",
     0, 0, killAction},
    {"password", "--tid TID --access-key FILE: a tag's access password as issuing derives it",
     "tag password: the access password that issuing with --access-key gives the tag with "
     "this TID (no reader needed).",
     0, 0, passwordAction},
};

} // namespace

int tagCommand(const QStringList& arguments) {
    const QString action = arguments.value(1);
    const auto runner = std::find_if(std::begin(kActions), std::end(kActions), [&](const auto& a) {
        return action == QLatin1String(a.name);
    });
    if (runner == std::end(kActions)) {
        QList<CommandAction> actions;
        for (const auto& a : kActions)
            actions.append(CommandAction{a.name, a.summary});
        return actionHelp(QStringLiteral("tag"), actions, action);
    }
    CommandParser command(QStringLiteral("tag ") + action,
                          QString::fromLatin1(runner->description));
    addOptions(command.parser(), action);
    const int parsed =
        command.parse(arguments.mid(1), runner->minPositional, runner->maxPositional);
    if (parsed >= 0)
        return parsed;
    return runner->run(command);
}
