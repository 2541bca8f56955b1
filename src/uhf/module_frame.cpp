#include "module_frame.h"

#include <QCoreApplication>
#include <utility>

namespace uhf {

namespace {

// Header, type, command, two length bytes before the parameters; checksum and
// end mark after them.
constexpr qsizetype headBytes = 5;
constexpr qsizetype frameOverhead = 7;

// The end mark that goes with a header byte; 0 for a byte that starts no frame.
quint8 endMarkOf(quint8 header) {
    switch (header) {
    case 0xBB:
        return 0x7E;
    case 0xAA:
        return 0xDD;
    default:
        return 0;
    }
}

} // namespace

FrameKind frameKind(quint8 type, quint8 command) {
    switch (type) {
    case 0x00:
        return FrameKind::Command;
    case 0x01:
        return command == 0xFF ? FrameKind::Error : FrameKind::Response;
    case 0x02:
        return FrameKind::Notice;
    default:
        return FrameKind::Other;
    }
}

int ModuleFrame::errorCode() const {
    if (kind != FrameKind::Error || parameters.isEmpty())
        return -1;
    return quint8(parameters[0]);
}

void ModuleFrameReader::skipped() {
    if (!skipping_)
        ++damaged_;
    skipping_ = true;
}

qsizetype ModuleFrameReader::read(const char* data, qsizetype size, const Handler& handler) {
    const auto* bytes = reinterpret_cast<const quint8*>(data);
    qsizetype at = 0;
    while (at < size) {
        const quint8 end = endMarkOf(bytes[at]);
        if (!end) {
            skipped();
            ++at;
            continue;
        }
        if (size - at < headBytes)
            break;
        const qsizetype parameters = bytes[at + 3] << 8 | bytes[at + 4];
        if (parameters > maxParameters) {
            skipped();
            ++at;
            continue;
        }
        const qsizetype length = parameters + frameOverhead;
        if (size - at < length)
            break;
        const quint8* frame = bytes + at;
        unsigned sum = 0;
        for (qsizetype i = 1; i < length - 2; ++i)
            sum += frame[i];
        if (frame[length - 1] != end) {
            // The length or the end mark is damaged: the frame's bounds are
            // unknown, so look for a header from the next byte on.
            skipped();
            ++at;
            continue;
        }
        if (quint8(sum) != frame[length - 2]) {
            // Bounds sound, contents not: skip the frame whole.
            skipping_ = false;
            skipped();
            at += length;
            continue;
        }
        skipping_ = false;
        ++frames_;
        ModuleFrame f;
        f.type = frame[1];
        f.command = frame[2];
        f.kind = frameKind(f.type, f.command);
        f.parameters = QByteArrayView(data + at + headBytes, parameters);
        at += length;
        handler(f);
    }
    return at;
}

void ModuleFrameReader::feed(QByteArrayView chunk, const Handler& handler) {
    if (pending_.isEmpty()) {
        const qsizetype used = read(chunk.data(), chunk.size(), handler);
        pending_ = chunk.sliced(used).toByteArray();
        return;
    }
    pending_.append(chunk);
    // The handler sees views into the buffer: read from a copy it cannot
    // change under them.
    const QByteArray buffer = std::exchange(pending_, QByteArray());
    const qsizetype used = read(buffer.constData(), buffer.size(), handler);
    pending_ = buffer.sliced(used);
}

void ModuleFrameReader::finish() {
    if (!pending_.isEmpty())
        skipped();
    pending_.clear();
    skipping_ = false;
}

void ModuleFrameReader::clear() {
    pending_.clear();
    damaged_ = 0;
    frames_ = 0;
    skipping_ = false;
}

QList<ModuleFrame> framesOf(const QByteArray& reply, int* damaged) {
    QList<ModuleFrame> frames;
    ModuleFrameReader reader;
    // Nothing is pending yet, so the frames point into reply itself.
    reader.feed(reply, [&](const ModuleFrame& f) { frames.append(f); });
    reader.finish();
    if (damaged)
        *damaged = int(reader.damagedFrames());
    return frames;
}

bool decodeNotice(const ModuleFrame& frame, TagNotice* notice) {
    // RSSI, PC and CRC around the EPC.
    constexpr qsizetype around = 5;
    const QByteArrayView p = frame.parameters;
    if (frame.kind != FrameKind::Notice || frame.command != 0x22 || p.size() < around)
        return false;
    const auto at = [&](qsizetype i) { return quint8(p[i]); };
    notice->rssi = qint8(at(0));
    notice->pc = quint16(at(1) << 8 | at(2));
    notice->epc = p.sliced(3, p.size() - around).toByteArray();
    notice->crc = quint16(at(p.size() - 2) << 8 | at(p.size() - 1));
    return true;
}

namespace {

struct Named {
    int code;
    const char* text;
};

// The module's own codes.
constexpr Named moduleErrors[] = {
    {0x09, QT_TRANSLATE_NOOP("uhf", "读取失败：没有标签或 CRC 错误")},
    {0x10, QT_TRANSLATE_NOOP("uhf", "写入失败：没有标签或 CRC 错误")},
    {0x12, QT_TRANSLATE_NOOP("uhf", "灭活失败")},
    {0x13, QT_TRANSLATE_NOOP("uhf", "锁定失败")},
    {0x14, QT_TRANSLATE_NOOP("uhf", "块永久锁定失败")},
    {0x15, QT_TRANSLATE_NOOP("uhf", "盘点失败：没有标签应答或 CRC 错误")},
    {0x16, QT_TRANSLATE_NOOP("uhf", "访问失败：访问密码错误")},
    {0x17, QT_TRANSLATE_NOOP("uhf", "命令错误：未知命令、参数错误或命令帧校验和错误")},
    {0x20, QT_TRANSLATE_NOOP("uhf", "跳频失败：所有信道都忙，信道搜索超时")},
    {0xD0, QT_TRANSLATE_NOOP("uhf", "灭活失败：灭活密码为零，标签不能灭活")},
};

// The families whose low nibble is the tag's Gen2 error code.
constexpr Named families[] = {
    {0xA0, QT_TRANSLATE_NOOP("uhf", "读取失败：%1")},
    {0xB0, QT_TRANSLATE_NOOP("uhf", "写入失败：%1")},
    {0xC0, QT_TRANSLATE_NOOP("uhf", "锁定失败：%1")},
    {0xD0, QT_TRANSLATE_NOOP("uhf", "灭活失败：%1")},
    {0xE0, QT_TRANSLATE_NOOP("uhf", "块永久锁定失败：%1")},
};

constexpr Named gen2Errors[] = {
    {0x0, QT_TRANSLATE_NOOP("uhf", "标签其他错误")},
    {0x3, QT_TRANSLATE_NOOP("uhf", "超出标签存储区，或标签不支持该 EPC 长度")},
    {0x4, QT_TRANSLATE_NOOP("uhf", "标签存储区已锁定")},
    {0xB, QT_TRANSLATE_NOOP("uhf", "标签能量不足")},
    {0xF, QT_TRANSLATE_NOOP("uhf", "标签非特定错误")},
};

const char* find(const Named* begin, const Named* end, int code) {
    for (const Named* n = begin; n != end; ++n)
        if (n->code == code)
            return n->text;
    return nullptr;
}

QString codeText(int code) {
    return QStringLiteral("%1").arg(code, 2, 16, QChar('0')).toUpper();
}

} // namespace

QString errorText(int code) {
    const QString bracket = QStringLiteral(" (") + codeText(code) + ')';
    if (const char* text = find(std::begin(moduleErrors), std::end(moduleErrors), code))
        return QCoreApplication::translate("uhf", text) + bracket;
    if (const char* family = find(std::begin(families), std::end(families), code & 0xF0)) {
        const char* gen2 = find(std::begin(gen2Errors), std::end(gen2Errors), code & 0x0F);
        const QString tagError =
            gen2 ? QCoreApplication::translate("uhf", gen2)
                 : QCoreApplication::translate("uhf", "标签错误代码 %1").arg(code & 0x0F, 0, 16);
        return QCoreApplication::translate("uhf", family).arg(tagError) + bracket;
    }
    return QCoreApplication::translate("uhf", "模块错误") + bracket;
}

QByteArray errorTagEpc(const ModuleFrame& frame) {
    const QByteArrayView p = frame.parameters;
    // Code, UL (the bytes of PC and EPC), PC, EPC.
    if (frame.errorCode() < 0 || p.size() < 4)
        return QByteArray();
    const qsizetype ul = quint8(p[1]);
    if (ul < 2 || p.size() < 2 + ul)
        return QByteArray();
    return p.sliced(4, ul - 2).toByteArray();
}

} // namespace uhf
