#include "epc_operations.h"

#include "protocol/frames.h"
#include "protocol/hex_text.h"
#include "protocol/reply.h"
#include "protocol/status.h"

#include <algorithm>
#include <QCoreApplication>

namespace {

const QString noPassword = QStringLiteral("00 00 00 00");
// The EPC starts at bit 32 of the EPC bank, behind the StoredCRC and PC words.
constexpr int epcBitPointer = 0x20;

int hexValue(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 16);
    return ok ? value : 0;
}

} // namespace

namespace uhfReply {

QString command(const QString& reply) {
    return hex::mid(reply, 5, 2);
}

// The low byte of the parameter length, less RSSI, PC and CRC words: the EPC's
// length in bytes.
int epcBytes(const QString& inventoryReply) {
    return std::max(0, hexValue(hex::mid(inventoryReply, 9, 2)) - 5);
}

QString epc(const QString& inventoryReply) {
    return hex::mid(inventoryReply, 17, 2 * epcBytes(inventoryReply));
}

// The two bytes before the checksum.
QString storedCrc(const QString& inventoryReply) {
    return hex::mid(inventoryReply, int(inventoryReply.size()) - 7, 4);
}

QString readData(const QString& readReply) {
    const int from = 13 + 2 * hexValue(hex::mid(readReply, 11, 2));
    return hex::mid(readReply, from, std::max(0, int(readReply.size()) - 4 - from + 1));
}

} // namespace uhfReply

const QString EpcOperations::inventoryFrame = QStringLiteral("bb 00 22 00 00 22 7e ");

QString EpcOperations::exchange(const QString& frame) {
    link_.SendUHF(frame);
    link_.Delay(replyWait);
    // The HF reply carries the module's frame between its status byte and its XOR.
    const QString reply = link_.ReplyText();
    const ReplyStatus status = replyStatus(reply);
    error_.clear();
    if (status == ReplyStatus::Failure)
        error_ = falsereason(reply::byte(reply, 5));
    else if (status == ReplyStatus::Garbled)
        error_ = garbledText().trimmed();
    link_.setReplyText(reply::body(reply));
    return link_.ReplyText();
}

EpcOperations::Outcome EpcOperations::judge(const QString& reply, bool errorMeansNoTag) {
    if (!error_.isEmpty())
        return Outcome::Refused;
    if (reply.isEmpty()) {
        error_ = noReplyText().trimmed();
        return Outcome::NoReply;
    }
    if (!reply.startsWith(QLatin1String("BB")) || !reply.endsWith(QLatin1String("7E"))) {
        error_ = garbledText().trimmed();
        return Outcome::Garbled;
    }
    if (uhfReply::command(reply) == QLatin1String("FF")) {
        const QString code = hex::mid(reply, 11, 2);
        error_ = uhfErrorText(code);
        return errorMeansNoTag ? Outcome::NoTag : Outcome::Refused;
    }
    return Outcome::Done;
}

EpcOperations::Outcome EpcOperations::inventory(QString* epc, QString* storedCrc) {
    const QString reply = exchange(inventoryFrame);
    const Outcome outcome = judge(reply, true);
    if (outcome != Outcome::Done)
        return outcome;
    // RSSI, PC and StoredCRC at least, and the EPC the length says.
    if (uhfReply::command(reply) != QLatin1String("22") ||
        reply.size() < 24 + 2 * uhfReply::epcBytes(reply)) {
        error_ = garbledText().trimmed();
        return Outcome::Garbled;
    }
    *epc = uhfReply::epc(reply);
    *storedCrc = uhfReply::storedCrc(reply);
    return Outcome::Done;
}

EpcOperations::Outcome EpcOperations::selectEpc(const QString& epc) {
    return judge(exchange(uhfSelectFrame(gen2::epcBank, epcBitPointer, epc)), false);
}

EpcOperations::Outcome EpcOperations::selectTid(const QString& tid) {
    return judge(exchange(uhfSelectFrame(gen2::tidBank, 0, tid)), false);
}

EpcOperations::Outcome EpcOperations::read(const QString& password, int bank, int wordAddress,
                                           int words, QString* data) {
    const QString reply = exchange(uhfReadFrame(password, bank, wordAddress, words));
    const Outcome outcome = judge(reply, false);
    if (outcome != Outcome::Done)
        return outcome;
    *data = uhfReply::readData(reply);
    if (uhfReply::command(reply) != QLatin1String("39") || data->size() != 4 * words) {
        error_ = garbledText().trimmed();
        return Outcome::Garbled;
    }
    return Outcome::Done;
}

QString EpcOperations::epcBankData(const QString& storedCrc, const QString& epc) {
    // The PC word holds the EPC's length in words in its top five bits.
    return storedCrc + ' ' + hex::byte(int(epc.size()) / 2 * 4) + QStringLiteral(" 00 ") + epc;
}

EpcOperations::Outcome EpcOperations::writeEpc(const QString& password, const QString& storedCrc,
                                               const QString& epc) {
    const QString reply =
        exchange(uhfWriteFrame(password, gen2::epcBank, 0, epcBankData(storedCrc, epc)));
    const Outcome outcome = judge(reply, false);
    if (outcome == Outcome::Done && uhfReply::command(reply) != QLatin1String("49")) {
        error_ = QStringLiteral("check sum error.....");
        return Outcome::Garbled;
    }
    return outcome;
}

EpcOperations::Outcome EpcOperations::readTid(const QString& epc, QString* tid) {
    const Outcome selected = selectEpc(epc);
    if (selected != Outcome::Done)
        return selected;
    return read(noPassword, gen2::tidBank, 0, gen2::tidWords, tid);
}

EpcOperations::Carries EpcOperations::tagCarries(const QString& tid, const QString& epc) {
    const int words = int(epc.size()) / 4;
    QString data;
    if (selectTid(tid) == Outcome::Done &&
        read(noPassword, gen2::epcBank, 1, 1 + words, &data) == Outcome::Done) {
        const int pcWords = hexValue(hex::mid(data, 1, 2)) >> 3;
        return pcWords == words && hex::mid(data, 5).compare(epc, Qt::CaseInsensitive) == 0
                   ? Carries::Yes
                   : Carries::No;
    }
    // A tag whose EPC memory is shorter than the number refuses that read as
    // it refused the write. The inventory still reports what it carries, once
    // its TID shows that it is this tag.
    const QString readError = error_;
    QString found;
    QString crc;
    QString foundTid;
    if (inventory(&found, &crc) != Outcome::Done || readTid(found, &foundTid) != Outcome::Done ||
        foundTid.compare(tid, Qt::CaseInsensitive) != 0) {
        error_ = readError;
        return Carries::Unknown;
    }
    return found.compare(epc, Qt::CaseInsensitive) == 0 ? Carries::Yes : Carries::No;
}

QString uhfErrorText(const QString& code) {
    static const struct {
        const char* code;
        const char* message;
    } table[] = {
        {"09", QT_TRANSLATE_NOOP("EpcOperations", "读标签失败.....")},       {"10", QT_TRANSLATE_NOOP("EpcOperations", "写标签失败.....")},
        {"15", QT_TRANSLATE_NOOP("EpcOperations", "没有标签应答.....")},     {"16", QT_TRANSLATE_NOOP("EpcOperations", "访问密码错误.....")},
        {"17", QT_TRANSLATE_NOOP("EpcOperations", "命令格式错误.....")},     {"A3", QT_TRANSLATE_NOOP("EpcOperations", "读超出标签存储区.....")},
        {"B3", QT_TRANSLATE_NOOP("EpcOperations", "写超出标签存储区.....")},
    };
    for (const auto& entry : table)
        if (code == QLatin1String(entry.code))
            return QCoreApplication::translate("EpcOperations", entry.message);
    return QCoreApplication::translate("EpcOperations", "UHF模块错误代码 %1").arg(code);
}
