#include "module_settings.h"

#include "protocol/frames.h"
#include "protocol/hex_text.h"
#include "uhf/module_frame.h"

#include <QRegularExpression>
#include <QCoreApplication>

namespace {

QString regionText(int region) {
    return uhfRegion::name(region);
}

QString channelText(int index) {
    return QString::number(index);
}

QString queryText(int word) {
    return QueryParameters::fromWord(word).text();
}

} // namespace

QueryParameters QueryParameters::fromWord(int word) {
    QueryParameters query;
    query.session = word >> 8 & 0x3;
    query.targetB = word >> 7 & 0x1;
    query.q = word >> 3 & 0xF;
    query.otherBits = word & 0xFC07;
    return query;
}

int QueryParameters::word() const {
    return (otherBits & 0xFC07) | (session & 0x3) << 8 | (targetB ? 0x80 : 0) | (q & 0xF) << 3;
}

QString QueryParameters::text() const {
    return QStringLiteral("S%1 %2 Q=%3")
        .arg(session)
        .arg(targetB ? QLatin1Char('B') : QLatin1Char('A'))
        .arg(q);
}

namespace uhfRegion {

const QList<int> all = {china900, china800, us, europe, korea};

namespace {

// Band plans: the first channel's centre and the spacing, in kHz.
struct Band {
    int region;
    const char* name;
    int firstKHz;
    int stepKHz;
    int channels;
};

const Band bands[] = {
    {china900, QT_TRANSLATE_NOOP("ModuleSettings", "中国 900 MHz"), 920125, 250, 20},
    {china800, QT_TRANSLATE_NOOP("ModuleSettings", "中国 800 MHz"), 840125, 250, 20},
    {us, QT_TRANSLATE_NOOP("ModuleSettings", "美国"), 902250, 500, 52},
    {europe, QT_TRANSLATE_NOOP("ModuleSettings", "欧洲"), 865100, 200, 15},
    {korea, QT_TRANSLATE_NOOP("ModuleSettings", "韩国"), 917100, 200, 32},
};

const Band* band(int region) {
    for (const Band& b : bands)
        if (b.region == region)
            return &b;
    return nullptr;
}

} // namespace

QString name(int region) {
    const Band* b = band(region);
    return b ? QCoreApplication::translate("ModuleSettings", b->name) : QCoreApplication::translate("ModuleSettings", "区域 %1").arg(hex::byte(region));
}

int channelCount(int region) {
    const Band* b = band(region);
    return b ? b->channels : 0;
}

double channelMHz(int region, int index) {
    const Band* b = band(region);
    return b ? (b->firstKHz + b->stepKHz * index) / 1000.0 : 0;
}

} // namespace uhfRegion

// A setting the module keeps: its get and set commands and the width of its value.
struct ModuleSetting {
    int get;
    int set;
    int bytes;
    const char* name;
    QString (*text)(int value);
};

namespace {
const ModuleSetting powerSetting{0xB7, 0xB6, 2, QT_TRANSLATE_NOOP("ModuleSettings", "发射功率"), ModuleSettings::powerText};
const ModuleSetting regionSetting{0x08, 0x07, 1, QT_TRANSLATE_NOOP("ModuleSettings", "工作区域"), regionText};
const ModuleSetting channelSetting{0xAA, 0xAB, 1, QT_TRANSLATE_NOOP("ModuleSettings", "信道"), channelText};
const ModuleSetting querySetting{0x0D, 0x0E, 2, QT_TRANSLATE_NOOP("ModuleSettings", "Query 参数"), queryText};
} // namespace

ModuleSettings::Outcome ModuleSettings::exchange(int command, const QString& parameters,
                                                 QString* answer) {
    const QString reply = operations_.exchange(uhfCommandFrame(command, parameters));
    error_ = operations_.errorText();
    if (!error_.isEmpty())
        return Outcome::Refused;
    if (reply.isEmpty()) {
        error_ = noReplyText().trimmed();
        return Outcome::NoReply;
    }
    // One whole, sound frame: the response to this command or an error response.
    const QByteArray bytes = hex::toBytes(reply);
    int damaged = 0;
    const QList<uhf::ModuleFrame> frames = uhf::framesOf(bytes, &damaged);
    if (frames.size() != 1 || damaged ||
        (frames[0].kind == uhf::FrameKind::Error && frames[0].errorCode() < 0) ||
        (frames[0].kind != uhf::FrameKind::Error &&
         (frames[0].kind != uhf::FrameKind::Response || frames[0].command != command))) {
        error_ = garbledText().trimmed();
        return Outcome::Garbled;
    }
    if (frames[0].kind == uhf::FrameKind::Error) {
        error_ = uhf::errorText(frames[0].errorCode());
        return Outcome::Refused;
    }
    *answer = hex::fromBytes(frames[0].parameters.toByteArray());
    return Outcome::Done;
}

ModuleSettings::Outcome ModuleSettings::readInfo(Info which, QString* text) {
    QString answer;
    const Outcome outcome = exchange(0x03, hex::byte(int(which)), &answer);
    if (outcome != Outcome::Done)
        return outcome;
    // The module repeats what was asked, then the text.
    if (hex::mid(answer, 1, 2) != hex::byte(int(which))) {
        error_ = garbledText().trimmed();
        return Outcome::Garbled;
    }
    *text = QString::fromLatin1(hex::toBytes(hex::mid(answer, 3))).trimmed();
    return Outcome::Done;
}

ModuleSettings::Outcome ModuleSettings::read(const ModuleSetting& setting, int* value) {
    QString answer;
    const Outcome outcome = exchange(setting.get, QString(), &answer);
    if (outcome != Outcome::Done)
        return outcome;
    if (answer.size() != 2 * setting.bytes) {
        error_ = garbledText().trimmed();
        return Outcome::Garbled;
    }
    *value = answer.toInt(nullptr, 16);
    return Outcome::Done;
}

ModuleSettings::Outcome ModuleSettings::write(const ModuleSetting& setting, int value) {
    QString parameters = hex::byte(value >> 8 & 0xFF) + hex::byte(value & 0xFF);
    parameters = parameters.right(2 * setting.bytes);
    QString answer;
    Outcome outcome = exchange(setting.set, parameters, &answer);
    if (outcome != Outcome::Done)
        return outcome;
    int readBack = 0;
    outcome = read(setting, &readBack);
    if (outcome != Outcome::Done)
        return outcome;
    if (readBack != value) {
        error_ =
            QCoreApplication::translate("ModuleSettings", "%1回读为 %2，与设置的 %3 不符")
                .arg(QCoreApplication::translate("ModuleSettings", setting.name), setting.text(readBack), setting.text(value));
        return Outcome::Mismatch;
    }
    return Outcome::Done;
}

ModuleSettings::Outcome ModuleSettings::readPower(int* centiDbm) {
    return read(powerSetting, centiDbm);
}

ModuleSettings::Outcome ModuleSettings::setPower(int centiDbm) {
    return write(powerSetting, centiDbm);
}

ModuleSettings::Outcome ModuleSettings::readRegion(int* region) {
    return read(regionSetting, region);
}

ModuleSettings::Outcome ModuleSettings::setRegion(int region) {
    return write(regionSetting, region);
}

ModuleSettings::Outcome ModuleSettings::readChannel(int* index) {
    return read(channelSetting, index);
}

ModuleSettings::Outcome ModuleSettings::setChannel(int index) {
    return write(channelSetting, index);
}

ModuleSettings::Outcome ModuleSettings::setHopping(bool on) {
    QString answer;
    return exchange(0xAD, on ? QStringLiteral("FF") : QStringLiteral("00"), &answer);
}

ModuleSettings::Outcome ModuleSettings::readQuery(QueryParameters* query) {
    int word = 0;
    const Outcome outcome = read(querySetting, &word);
    if (outcome == Outcome::Done)
        *query = QueryParameters::fromWord(word);
    return outcome;
}

ModuleSettings::Outcome ModuleSettings::setQuery(const QueryParameters& query) {
    return write(querySetting, query.word());
}

int ModuleSettings::maximumPowerDbm(const QString& hardware) {
    static const QRegularExpression rated(QStringLiteral("(\\d{2})\\s*dBm"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = rated.match(hardware);
    const int dBm = match.hasMatch() ? match.captured(1).toInt() : 0;
    return dBm > minimumPowerDbm && dBm <= 33 ? dBm : defaultMaximumPowerDbm;
}

QString ModuleSettings::powerText(int centiDbm) {
    return QStringLiteral("%1 dBm").arg(centiDbm / 100.0, 0, 'f', 2);
}

QString ModuleSettings::sessionMeaning(int session, bool targetB) {
    if (session == 0)
        return QCoreApplication::translate("ModuleSettings", "S0：标签每一轮都应答，读到的次数最多");
    const QString target =
        targetB ? QCoreApplication::translate("ModuleSettings", "目标 B：只有已被盘点过、标志已翻转的标签应答")
                : QCoreApplication::translate("ModuleSettings", "目标 A：标签被读到一次后标志翻转，在标志恢复前不再应答，"
                                 "看起来像“每张标签只报一次”");
    const QString lasting =
        session == 1 ? QCoreApplication::translate("ModuleSettings", "S1：标志约 0.5–5 秒后恢复，标签每隔几秒应答一次")
                     : QCoreApplication::translate("ModuleSettings", "S%1：标志保持数秒或更久，标签离开电场后仍保持").arg(session);
    return lasting + QCoreApplication::translate("ModuleSettings", "；") + target;
}
