#include "tag_access.h"

#include "protocol/frames.h"
#include "protocol/hex_text.h"
#include "protocol/status.h"
#include "uhf/module_frame.h"

#include <QCoreApplication>
#include <QSet>

namespace uhf {

namespace {

const char* const bankNames[] = {"reserved", "epc", "tid", "user"};
const char* const areaNames[] = {"kill", "access", "epc", "tid", "user"};

// Per action the two mask bits and the two action bits of its area's fields
// (first bit: password-protected, second: permanent). Open and lock change the
// first bit only; the permanent actions set both.
const struct {
    const char* name;
    quint32 mask;
    quint32 action;
} actions[] = {
    {"open", 0b10, 0b00},
    {"lock", 0b10, 0b10},
    {"permalock", 0b11, 0b11},
    {"permaopen", 0b11, 0b01},
};

constexpr int lockCommand = 0x82;
constexpr int killCommand = 0x65;
constexpr int selectModeCommand = 0x12;
// Send the Select before every tag operation but inventory.
const QString selectBeforeOperations = QStringLiteral("02");
// The EPC starts at bit 32 of the EPC bank, behind the StoredCRC and PC words.
constexpr int epcBitPointer = 0x20;
// The module's codes that mean that no tag answered the read or the write.
constexpr int readFailed = 0x09;
constexpr int writeFailed = 0x10;
constexpr int noTagAnswered = 0x15;
// Rounds of inventory that look for more than one tag: a tag may miss a round.
constexpr int searchRounds = 3;
constexpr int maxWordAddress = 0xFFFF;

QString tr(const char* text) {
    return QCoreApplication::translate("uhf::TagAccess", text);
}

QString passwordHex(quint32 password) {
    return QStringLiteral("%1").arg(password, 8, 16, QChar('0')).toUpper();
}

QByteArray passwordBytes(quint32 password) {
    return hex::toBytes(passwordHex(password));
}

template <class Names> int indexOf(const Names& names, const QString& name) {
    for (int i = 0; i < int(std::size(names)); ++i)
        if (name == QLatin1String(names[i]))
            return i;
    return -1;
}

} // namespace

QString bankName(Bank bank) {
    return QLatin1String(bankNames[int(bank)]);
}

bool bankFromName(const QString& name, Bank* bank) {
    const int i = indexOf(bankNames, name);
    if (i >= 0)
        *bank = Bank(i);
    return i >= 0;
}

QString lockAreaName(LockArea area) {
    return QLatin1String(areaNames[int(area)]);
}

QString lockActionName(LockAction action) {
    return QLatin1String(actions[int(action)].name);
}

bool lockAreaFromName(const QString& name, LockArea* area) {
    const int i = indexOf(areaNames, name);
    if (i >= 0)
        *area = LockArea(i);
    return i >= 0;
}

bool lockActionFromName(const QString& name, LockAction* action) {
    for (int i = 0; i < int(std::size(actions)); ++i)
        if (name == QLatin1String(actions[i].name)) {
            *action = LockAction(i);
            return true;
        }
    return false;
}

LockPlan& LockPlan::set(LockArea area, LockAction action) {
    actions_[int(area)] = action;
    return *this;
}

std::optional<LockAction> LockPlan::action(LockArea area) const {
    return actions_[int(area)];
}

bool LockPlan::isEmpty() const {
    for (const auto& a : actions_)
        if (a)
            return false;
    return true;
}

bool LockPlan::permanent() const {
    for (const auto& a : actions_)
        if (a == LockAction::Permalock || a == LockAction::Permaopen)
            return true;
    return false;
}

quint32 LockPlan::payload() const {
    quint32 mask = 0;
    quint32 action = 0;
    for (int area = 0; area < lockAreaCount; ++area) {
        mask <<= 2;
        action <<= 2;
        if (const auto& a = actions_[area]) {
            mask |= actions[int(*a)].mask;
            action |= actions[int(*a)].action;
        }
    }
    return mask << 10 | action;
}

QString LockPlan::payloadHex() const {
    return QStringLiteral("%1").arg(payload(), 6, 16, QChar('0')).toUpper();
}

QString LockPlan::text() const {
    QStringList parts;
    for (int area = 0; area < lockAreaCount; ++area)
        if (const auto& a = actions_[area])
            parts << lockAreaName(LockArea(area)) + '=' + lockActionName(*a);
    return parts.join(',');
}

std::optional<LockPlan> LockPlan::fromText(const QString& text, QString* problem) {
    const QString areas = QStringLiteral("areas kill, access, epc, tid, user");
    const QString actions = QStringLiteral("actions open, lock, permalock, permaopen");
    LockPlan plan;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QString areaText = part.section(QLatin1Char('='), 0, 0);
        const QString actionText = part.section(QLatin1Char('='), 1);
        LockArea area;
        LockAction action;
        QString why;
        if (part.count(QLatin1Char('=')) != 1)
            why = QStringLiteral("give AREA=ACTION, not '%1' (%2; %3)").arg(part, areas, actions);
        else if (!lockAreaFromName(areaText, &area))
            why = QStringLiteral("no area '%1' (%2)").arg(areaText, areas);
        else if (!lockActionFromName(actionText, &action))
            why = QStringLiteral("no action '%1' (%2)").arg(actionText, actions);
        else if (plan.action(area))
            why = QStringLiteral("%1 is given twice").arg(lockAreaName(area));
        if (!why.isEmpty()) {
            if (problem)
                *problem = why;
            return std::nullopt;
        }
        plan.set(area, action);
    }
    return plan;
}

QString TidInfo::className() const {
    switch (tidClass) {
    case 0xE2:
        return QStringLiteral("EPC Gen2");
    case 0xE0:
        return QStringLiteral("ISO/IEC 7816-6");
    default:
        return QString();
    }
}

QString TidInfo::summary() const {
    if (tidClass < 0)
        return QString();
    const QString cls = QStringLiteral("class ") + hex::byte(tidClass);
    const QString name = className();
    if (!valid)
        return name.isEmpty() ? cls : cls + QStringLiteral(" (") + name + ')';
    return QStringLiteral("%1 (%2), mask designer %3, model %4")
        .arg(cls, name, QStringLiteral("%1").arg(maskDesigner, 3, 16, QChar('0')).toUpper(),
             QStringLiteral("%1").arg(model, 3, 16, QChar('0')).toUpper());
}

TidInfo decodeTid(const QByteArray& tid) {
    TidInfo info;
    if (tid.isEmpty())
        return info;
    const auto at = [&](int i) { return quint32(quint8(tid[i])); };
    info.tidClass = int(at(0));
    if (tid.size() < 4 || info.tidClass != 0xE2)
        return info;
    const quint32 rest = at(1) << 16 | at(2) << 8 | at(3);
    info.valid = true;
    info.maskDesigner = int(rest >> 12);
    info.model = int(rest & 0xFFF);
    return info;
}

QString TagId::text() const {
    return tid.isEmpty() ? QStringLiteral("EPC ") + hex::fromBytes(epc)
                         : QStringLiteral("TID ") + hex::fromBytes(tid);
}

TagAccess::Outcome TagAccess::notSent(const QString& why) {
    error_ = why;
    errorCode_ = -1;
    return Outcome::NotSent;
}

TagAccess::Outcome TagAccess::command(const QString& frame, QByteArray* answer) {
    errorCode_ = -1;
    const EpcOperations::Outcome outcome = operations_.command(frame, answer);
    error_ = operations_.errorText();
    switch (outcome) {
    case EpcOperations::Outcome::Done:
        return Outcome::Done;
    case EpcOperations::Outcome::NoReply:
        return Outcome::NoReply;
    case EpcOperations::Outcome::Refused:
        break;
    default:
        return Outcome::Garbled;
    }
    if (answer->isEmpty()) // the reader's own refusal
        return Outcome::Refused;
    errorCode_ = quint8(answer->at(0));
    if (!tag_.isEmpty())
        error_ = tr("%1：%2").arg(tag_.text(), error_);
    return errorCode_ == readFailed || errorCode_ == writeFailed ? Outcome::NoTag
                                                                 : Outcome::Refused;
}

QByteArray TagAccess::afterTagIdentity(const QByteArray& answer) {
    const int ul = answer.isEmpty() ? 0 : quint8(answer[0]);
    if (ul < 2 || answer.size() < 1 + ul)
        return QByteArray();
    answeredEpc_ = answer.mid(3, ul - 2);
    return answer.mid(1 + ul);
}

TagAccess::Outcome TagAccess::tagsInField(QList<QByteArray>* epcs) {
    epcs->clear();
    QSet<QByteArray> seen;
    for (int round = 0; round < searchRounds; ++round) {
        const QString reply = operations_.exchange(EpcOperations::inventoryFrame);
        error_ = operations_.errorText();
        if (!error_.isEmpty())
            return Outcome::Refused;
        if (reply.isEmpty()) {
            error_ = noReplyText().trimmed();
            return Outcome::NoReply;
        }
        const QByteArray bytes = hex::toBytes(reply);
        for (ModuleFrame frame : framesOf(bytes)) {
            // A single round may be answered with a response of the notice's layout.
            if (frame.kind == FrameKind::Response && frame.command == 0x22)
                frame.kind = FrameKind::Notice;
            TagNotice notice;
            if (decodeNotice(frame, &notice) && !seen.contains(notice.epc)) {
                seen.insert(notice.epc);
                epcs->append(notice.epc);
            } else if (frame.errorCode() >= 0 && frame.errorCode() != noTagAnswered) {
                error_ = uhf::errorText(frame.errorCode());
                return Outcome::Refused;
            }
        }
    }
    return Outcome::Done;
}

TagAccess::Outcome TagAccess::select(Bank bank, int bitPointer, const QByteArray& mask) {
    QByteArray answer;
    return command(uhfSelectFrame(int(bank), bitPointer, hex::fromBytes(mask)), &answer);
}

TagAccess::Outcome TagAccess::choose(const TagId& tag) {
    tag_ = tag;
    answeredEpc_.clear();
    if (tag.isEmpty())
        return notSent(tr("没有选定标签"));
    QByteArray answer;
    Outcome outcome = tag.tid.isEmpty() ? select(Bank::Epc, epcBitPointer, tag.epc)
                                        : select(Bank::Tid, 0, tag.tid);
    if (outcome == Outcome::Done)
        outcome = command(uhfCommandFrame(selectModeCommand, selectBeforeOperations), &answer);
    if (outcome != Outcome::Done || !tag.tid.isEmpty())
        return outcome;
    QByteArray tid;
    outcome = read(Bank::Tid, 0, gen2::tidWords, 0, &tid);
    if (outcome != Outcome::Done)
        return outcome;
    outcome = select(Bank::Tid, 0, tid);
    if (outcome == Outcome::Done)
        tag_.tid = tid;
    return outcome;
}

TagAccess::Outcome TagAccess::read(Bank bank, int wordAddress, int words, quint32 accessPassword,
                                   QByteArray* data) {
    data->clear();
    if (words < 1 || wordAddress < 0 || wordAddress + words - 1 > maxWordAddress)
        return notSent(
            tr("字地址 %1 起 %2 个字超出标签存储区的范围，命令未发送").arg(wordAddress).arg(words));
    for (int done = 0; done < words; done += maxWordsPerCommand) {
        const int count = std::min(maxWordsPerCommand, words - done);
        QByteArray answer;
        const Outcome outcome =
            command(uhfReadFrame(passwordHex(accessPassword), int(bank), wordAddress + done, count),
                    &answer);
        if (outcome != Outcome::Done)
            return outcome;
        const QByteArray part = afterTagIdentity(answer);
        if (part.size() != 2 * count) {
            error_ = garbledText().trimmed();
            return Outcome::Garbled;
        }
        data->append(part);
    }
    return Outcome::Done;
}

TagAccess::Outcome TagAccess::write(Bank bank, int wordAddress, const QByteArray& data,
                                    quint32 accessPassword) {
    const int words = int(data.size() / 2);
    if (data.isEmpty() || data.size() % 2)
        return notSent(tr("要写的数据有 %1 字节，不是整字，命令未发送").arg(data.size()));
    if (wordAddress < 0 || wordAddress + words - 1 > maxWordAddress)
        return notSent(
            tr("字地址 %1 起 %2 个字超出标签存储区的范围，命令未发送").arg(wordAddress).arg(words));
    for (int done = 0; done < words; done += maxWordsPerCommand) {
        const int count = std::min(maxWordsPerCommand, words - done);
        QByteArray answer;
        const Outcome outcome =
            command(uhfWriteFrame(passwordHex(accessPassword), int(bank), wordAddress + done,
                                  hex::fromBytes(data.mid(2 * done, 2 * count))),
                    &answer);
        if (outcome != Outcome::Done) {
            if (done)
                error_ = tr("%1（已写入前 %2 个字）").arg(error_).arg(done);
            return outcome;
        }
        afterTagIdentity(answer);
    }
    return Outcome::Done;
}

TagAccess::Outcome TagAccess::setAccessPassword(quint32 password, quint32 accessPassword) {
    return write(Bank::Reserved, accessPasswordWord, passwordBytes(password), accessPassword);
}

TagAccess::Outcome TagAccess::setKillPassword(quint32 password, quint32 accessPassword) {
    return write(Bank::Reserved, killPasswordWord, passwordBytes(password), accessPassword);
}

TagAccess::Outcome TagAccess::lock(const LockPlan& plan, quint32 accessPassword) {
    if (plan.isEmpty())
        return notSent(tr("没有选择要锁定的区域，命令未发送"));
    QByteArray answer;
    const Outcome outcome = command(
        uhfCommandFrame(lockCommand, passwordHex(accessPassword) + plan.payloadHex()), &answer);
    if (outcome == Outcome::Done)
        afterTagIdentity(answer);
    return outcome;
}

TagAccess::Outcome TagAccess::kill(quint32 killPassword) {
    if (killPassword == 0)
        return notSent(tr("灭活密码为零：标签不能用它灭活，命令未发送"));
    QByteArray answer;
    const Outcome outcome =
        command(uhfCommandFrame(killCommand, passwordHex(killPassword)), &answer);
    if (outcome == Outcome::Done)
        afterTagIdentity(answer);
    return outcome;
}

} // namespace uhf
