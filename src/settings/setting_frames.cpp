#include "setting_frames.h"

#include "protocol/baud_rates.h"
#include "protocol/command_parameters.h"
#include "protocol/conversion.h"
#include "protocol/hex_text.h"
#include "protocol/reply.h"
#include "protocol/text_encoding.h"
#include <QCoreApplication>

namespace settings {

namespace {

// The tables' texts are marked for the context "settings" and translated here.
QString translated(const char* text) {
    return QCoreApplication::translate("settings", text);
}

ReplyTexts texts(const char* success, const char* failure, bool lineBreak = true) {
    return ReplyTexts(translated(success), translated(failure), lineBreak);
}

QString flagText(const QString& byte, const char* set, const char* unset) {
    return translated(byte != QLatin1String("00") ? set : unset);
}

// Name and password travel as bytes: GBK for Chinese, as from a Chinese desktop.
QString fieldBytes(const QString& text, const QString& field) {
    const std::optional<QByteArray> bytes = toGbk(text);
    if (!bytes)
        throw InputError(
            QCoreApplication::translate("settings", "%1中有不能用GBK编码的字符，命令未发送")
                .arg(field));
    return GetAscii(*bytes);
}

} // namespace

const FormatChoice kFormats[17] = {
    {"RadioButton5", QT_TRANSLATE_NOOP("settings", "10位16进制（5字节16进制）"), "07",
     QT_TRANSLATE_NOOP("settings", "10位16进制")},
    {"RadioButton6", QT_TRANSLATE_NOOP("settings", "8位16进制"), "0C",
     QT_TRANSLATE_NOOP("settings", "8位16进制")},
    {"RadioButton7", QT_TRANSLATE_NOOP("settings", "00+8位10进制（id后3字节转换）"), "0d",
     QT_TRANSLATE_NOOP("settings", "00+8位10进制（id后3字节转换）")},
    {"RadioButton8", QT_TRANSLATE_NOOP("settings", "8位16进制反向输出"), "03",
     QT_TRANSLATE_NOOP("settings", "8位16进制反向输出")},
    {"RadioButton9", QT_TRANSLATE_NOOP("settings", "8位10进制（id后3字节转换）"), "0B",
     QT_TRANSLATE_NOOP("settings", "8位10进制（id后3字节转换）")},
    {"RadioButton10", QT_TRANSLATE_NOOP("settings", "18位10进制（卡上全部数字）"), "06",
     QT_TRANSLATE_NOOP("settings", "18位10进制（卡上全部数字）")},
    {"RadioButton11", QT_TRANSLATE_NOOP("settings", "8位10进制（卡上后8位）"), "0E",
     QT_TRANSLATE_NOOP("settings", "8位10进制（卡上后8位）")},
    {"RadioButton12", QT_TRANSLATE_NOOP("settings", "5位10进制（卡上后5位）"), "08",
     QT_TRANSLATE_NOOP("settings", "5位10进制（卡上后5位）")},
    {"RadioButton13", QT_TRANSLATE_NOOP("settings", "8位10进制（id后4字节转换）"), "09",
     QT_TRANSLATE_NOOP("settings", "8位10进制（id后4字节转换）")},
    {"RadioButton14", QT_TRANSLATE_NOOP("settings", "10位10进制反向输出（id后4字节转换）"), "0A",
     QT_TRANSLATE_NOOP("settings", "10位10进制反向输出（id后4字节转换）")},
    {"RadioButton15", QT_TRANSLATE_NOOP("settings", "13位10进制（id5字节转10进制）"), "05",
     QT_TRANSLATE_NOOP("settings", "13位10进制（id5字节转换）")},
    {"RadioButton16", QT_TRANSLATE_NOOP("settings", "10位10进制（id后4字节转换）"), "0F",
     QT_TRANSLATE_NOOP("settings", "10位10进制（id后4字节转换）")},
    {"RadioButton17", "2H4D + 2H4D ", "00", "2H4D + 2H4D "},
    {"RadioButton21", QT_TRANSLATE_NOOP("settings", "正向所有卡号 12-7-4 BYTE"), "01",
     QT_TRANSLATE_NOOP("settings", "7字节 AND 4字节 16进制")},
    {"RadioButton22", QT_TRANSLATE_NOOP("settings", "反向所有卡号 12-7-4 BYTE"), "02",
     QT_TRANSLATE_NOOP("settings", "反向 7字节 AND 4字节 16进制")},
    {"RadioButton29", QT_TRANSLATE_NOOP("settings", "GS1格式输出（sgtin-96）"), "04",
     QT_TRANSLATE_NOOP("settings", "EPC卡号转换成GS1格式输出（sgtin-96）...")},
    {"RadioButton34", QT_TRANSLATE_NOOP("settings", "卡号转换成ASCII输出"), "10",
     QT_TRANSLATE_NOOP("settings", "卡号转换成ASCII输出...")},
};

QString customFormatCode(const QString& byteCount) {
    if (byteCount == QLatin1String("00"))
        return QStringLiteral("01");
    return hex::byte(0x80 + parameter::decimal(byteCount, 127));
}

QString outputFormatPayload(const OutputFormat& format) {
    return QStringLiteral("82") + format.code + parameter::flag(format.semicolon) +
           parameter::flag(format.questionMark) + parameter::flag(format.comma) +
           parameter::flag(format.carriageReturn) + parameter::flag(format.largeBuzzer) +
           QStringLiteral("01") + parameter::flag(format.rssi);
}

ReplyTexts outputFormatTexts() {
    return texts(QT_TRANSLATE_NOOP("settings", "输出格式设置成功   "),
                 QT_TRANSLATE_NOOP("settings", "输出格式设置失败   "));
}

QString formatDescription(const QString& code) {
    bool ok = false;
    const int value = code.toInt(&ok, 16);
    if (!ok)
        return QString();
    if (value > 0x10)
        return QCoreApplication::translate("settings", "卡号自定义长度16进制输出...");
    for (const FormatChoice& format : kFormats)
        if (QByteArray(format.code).toInt(nullptr, 16) == value)
            return translated(format.description);
    return QString();
}

QStringList formatReadBackLines(const QString& reply) {
    // A reply too short for the layout (status 00 with little or no data)
    // would read as made-up settings.
    if (reply::dataLength(reply) < 9)
        return {QCoreApplication::translate("settings", "读回的格式数据不完整：") +
                reply::data(reply) + kCrLf};
    const QString prefix = QCoreApplication::translate("settings", "输出格式：  ");
    QStringList lines{
        QCoreApplication::translate("settings", "输出格式为：  ") +
            formatDescription(reply::byte(reply, 6)),
        prefix + flagText(reply::byte(reply, 7), QT_TRANSLATE_NOOP("settings", "前面加分号"),
                          QT_TRANSLATE_NOOP("settings", "前面不加分号 ")),
        prefix + flagText(reply::byte(reply, 9), QT_TRANSLATE_NOOP("settings", "中间加逗号"),
                          QT_TRANSLATE_NOOP("settings", "中间不加逗号 ")),
        prefix + flagText(reply::byte(reply, 8), QT_TRANSLATE_NOOP("settings", "后面加问号"),
                          QT_TRANSLATE_NOOP("settings", "后面不加问号 ")),
        prefix + flagText(reply::byte(reply, 10), QT_TRANSLATE_NOOP("settings", "最后面加回车"),
                          QT_TRANSLATE_NOOP("settings", "最后面不加回车 ")),
    };
    // The reader reports the custom byte's value in reply byte 10.
    if (reply::byte(reply, 13) == QLatin1String("00"))
        lines << QCoreApplication::translate("settings", "没有增加自定义字节输出。   ") + kCrLf;
    else
        lines << QCoreApplication::translate("settings", "自定义字节输出数据为：  ") +
                     reply::byte(reply, 10);
    return lines;
}

QString versionText(const QString& reply) {
    const QString digits = reply::data(reply);
    bool ok = false;
    const QString text = reply::text(digits, &ok);
    return ok ? text : digits;
}

const MachineParameter kMachineParameters[9] = {
    {"search_interval", QT_TRANSLATE_NOOP("settings", "寻卡时间间隔：   "),
     QT_TRANSLATE_NOOP("settings", "范围 ：00~255，单位是10毫秒               "), "Edit29", "10",
     false, "Button30", "c1", QT_TRANSLATE_NOOP("settings", "寻卡时间间隔设置成功   "),
     QT_TRANSLATE_NOOP("settings", "寻卡时间间隔设置失败   "), 0, 255},
    {"filter_count", QT_TRANSLATE_NOOP("settings", "卡片过滤次数：   "),
     QT_TRANSLATE_NOOP("settings", "范围  00~255 ,00一直输出   "), "Edit35", "10", false,
     "Button35", "c2", QT_TRANSLATE_NOOP("settings", "卡片过滤次数设置成功   "),
     QT_TRANSLATE_NOOP("settings", "卡片过滤次数设置失败   "), 0, 255},
    {"read_wait", QT_TRANSLATE_NOOP("settings", "读卡等待时间：   "),
     QT_TRANSLATE_NOOP("settings", "范围 ：00~255，单位是秒        "), "Edit75", "10", false,
     "Button83", "BD", QT_TRANSLATE_NOOP("settings", "读卡等待时间设置成功   "),
     QT_TRANSLATE_NOOP("settings", "读卡等待时间设置失败   "), 0, 255},
    {"terminator", QT_TRANSLATE_NOOP("settings", "串口输出结束符：   "),
     QT_TRANSLATE_NOOP("settings", "00 无, 01表示 0D,  02表示 0D0A      "), "Edit37", "02", false,
     "Button56", "c5", QT_TRANSLATE_NOOP("settings", "输出结束符设置成功   "),
     QT_TRANSLATE_NOOP("settings", "输出结束符设置失败   "), 0, 2},
    {"rf_power", QT_TRANSLATE_NOOP("settings", "射频输出功率设置：   "),
     QT_TRANSLATE_NOOP("settings", "00~09，表示12.5db~26db       "), "Edit52", "02", false,
     "Button62", "cc", QT_TRANSLATE_NOOP("settings", "射频输出功率设置 成功   "),
     QT_TRANSLATE_NOOP("settings", "射频输出功率设置 失败   "), 0, 9},
    {"wiegand_format", QT_TRANSLATE_NOOP("settings", "维根输出格式：   "),
     "00WG26 01WG34 02WG66 03WG98  ", "Edit39", "00", false, "Button58", "c6",
     QT_TRANSLATE_NOOP("settings", "维根输出格式设置成功   "),
     QT_TRANSLATE_NOOP("settings", "维根输出格式设置失败   "), 0, 3},
    {"wiegand_position", QT_TRANSLATE_NOOP("settings", "维根取值位置：   "),
     QT_TRANSLATE_NOOP("settings", "12字节卡号，取值的第几位              "), "Edit40", "09", false,
     "Button59", "c9", QT_TRANSLATE_NOOP("settings", "维根取值位置 设置成功   "),
     QT_TRANSLATE_NOOP("settings", "维根取值位置 设置失败   "), 0, 255},
    {"wiegand_low_pulse", "",
     QT_TRANSLATE_NOOP("settings", "维根低电平脉宽范围(0x01~0xFF) 单位10US              "),
     "Edit42", "0A", true, "Button60", "c7",
     QT_TRANSLATE_NOOP("settings", "维根低电平脉宽设置  成功   "),
     QT_TRANSLATE_NOOP("settings", "维根低电平脉宽设置  失败   "), 1, 255},
    {"wiegand_idle_width", "",
     QT_TRANSLATE_NOOP("settings", "维根空闲电平脉宽(0x01~0xFF) 单位100US        "), "Edit51", "0A",
     true, "Button61", "c8", QT_TRANSLATE_NOOP("settings", "维根空闲电平脉宽设置  成功   "),
     QT_TRANSLATE_NOOP("settings", "维根空闲电平脉宽设置  失败   "), 1, 255},
};

QString machineParameterPayload(const MachineParameter& parameter, const QString& text) {
    return QLatin1String(parameter.code) +
           (parameter.hex ? parameter::hexByte(text) : parameter::decimalByte(text));
}

ReplyTexts machineParameterTexts(const MachineParameter& parameter) {
    return texts(parameter.success, parameter.failure);
}

const InterfacePair kInterfaces[3] = {
    {"serial_output", "RadioButton23", QT_TRANSLATE_NOOP("settings", "串口开"), "RadioButton24",
     QT_TRANSLATE_NOOP("settings", "串口关")},
    {"wiegand_output", "RadioButton25", QT_TRANSLATE_NOOP("settings", "韦根开"), "RadioButton26",
     QT_TRANSLATE_NOOP("settings", "韦根关")},
    {"usb_output", "RadioButton27", QT_TRANSLATE_NOOP("settings", "USB开"), "RadioButton28",
     QT_TRANSLATE_NOOP("settings", "USB关")},
};

QString interfacesPayload(const bool on[3]) {
    return QStringLiteral("c3") + parameter::flag(on[0]) + parameter::flag(on[1]) +
           parameter::flag(on[2]);
}

ReplyTexts interfacesTexts() {
    return texts(QT_TRANSLATE_NOOP("settings", "输出接口设置成功   "),
                 QT_TRANSLATE_NOOP("settings", "输出接口设置失败   "));
}

QString baudRatePayload(const QString& rate) {
    return QStringLiteral("C4") + baudRateCode(rate);
}

ReplyTexts baudRateTexts() {
    return texts(QT_TRANSLATE_NOOP("settings", "波特率设置成功   "),
                 QT_TRANSLATE_NOOP("settings", "波特率设置失败   "));
}

const Affix kAffixes[2] = {
    {"prefix",
     QT_TRANSLATE_NOOP("settings", "前缀：   "),
     {"Edit24", "Edit25", "Edit26", "Edit27"},
     {"30", "31", "32", "33"},
     "Button43",
     QT_TRANSLATE_NOOP("settings", "前缀设置"),
     "cb01",
     QT_TRANSLATE_NOOP("settings", "前缀设置成功   "),
     QT_TRANSLATE_NOOP("settings", "前缀设置失败   ")},
    {"suffix",
     QT_TRANSLATE_NOOP("settings", "后缀：   "),
     {"Edit44", "Edit45", "Edit46", "Edit47"},
     {"31", "32", "33", "34"},
     "Button50",
     QT_TRANSLATE_NOOP("settings", "后缀设置"),
     "cb02",
     QT_TRANSLATE_NOOP("settings", "后缀设置成功   "),
     QT_TRANSLATE_NOOP("settings", "后缀设置失败   ")},
};

QString affixPayload(const Affix& affix, const QStringList& texts) {
    return QLatin1String(affix.code) + texts.join(QString());
}

ReplyTexts affixTexts(const Affix& affix) {
    return texts(affix.success, affix.failure);
}

const ReadMode kReadModes[5] = {
    {"single_epc", "RadioButton30",
     QT_TRANSLATE_NOOP("settings", "主动-寻单张卡EPC号                 "), "0f01",
     QT_TRANSLATE_NOOP("settings", "主动寻单卡EPC号")},
    {"passive", "RadioButton31", QT_TRANSLATE_NOOP("settings", "被动读写器模式                 "),
     "0f02", QT_TRANSLATE_NOOP("settings", "被动读写器模式")},
    {"multiple_epc", "RadioButton32", QT_TRANSLATE_NOOP("settings", "主动-寻多张卡EPC号        "),
     "0f03", QT_TRANSLATE_NOOP("settings", "主动寻多张卡EPC号")},
    {"tid", "RadioButton33", QT_TRANSLATE_NOOP("settings", "主动-读TID号 "), "0f04",
     QT_TRANSLATE_NOOP("settings", "主动读TID号")},
    {"memory_area", "RadioButton36", QT_TRANSLATE_NOOP("settings", "主动读取存储扇区"), "BC", ""},
};

const AreaField kAreaFields[4] = {
    {"area_bank", QT_TRANSLATE_NOOP("settings", "扇区   "), "Edit65", "03", 30},
    {"area_password", QT_TRANSLATE_NOOP("settings", "密码   "), "Edit66", "00 00 00 00", 90},
    {"area_address", QT_TRANSLATE_NOOP("settings", "地址   "), "Edit67", "00", 30},
    {"area_length", QT_TRANSLATE_NOOP("settings", "长度     "), "Edit68", "08", 30},
};

QString readModePayload(int mode, const QStringList& areaTexts) {
    QString payload = QLatin1String(kReadModes[mode].payload);
    if (mode == kMemoryAreaMode)
        payload += areaTexts.join(QString());
    return payload;
}

ReplyTexts readModeTexts(int mode) {
    const QString name = translated(kReadModes[mode].name);
    return ReplyTexts(QCoreApplication::translate("settings", "设置 %1 成功   ").arg(name),
                      QCoreApplication::translate("settings", "设置%1失败   ").arg(name), false);
}

QString relayPayload(bool on) {
    return on ? QStringLiteral("87 01") : QStringLiteral("87 00");
}

ReplyTexts relayTexts(bool on) {
    return on ? texts(QT_TRANSLATE_NOOP("settings", "继电器打开设置成功   "),
                      QT_TRANSLATE_NOOP("settings", "继电器打开设置失败   "))
              : texts(QT_TRANSLATE_NOOP("settings", "继电器关闭设置成功   "),
                      QT_TRANSLATE_NOOP("settings", "继电器关闭设置失败   "));
}

QString wifiJoinPayload(const QString& name, const QString& password) {
    // The module splits name from password at the first comma, so a comma in the
    // name would join a network of another name.
    if (name.contains(QLatin1Char(',')))
        throw InputError(
            QCoreApplication::translate("settings", "Wifi名称中不能有逗号，命令未发送"));
    return QStringLiteral("8a") +
           fieldBytes(name, QCoreApplication::translate("settings", "Wifi名称")) +
           QStringLiteral("2c") +
           fieldBytes(password, QCoreApplication::translate("settings", "Wifi密码"));
}

ReplyTexts wifiJoinTexts() {
    return texts(QT_TRANSLATE_NOOP("settings", "WIFI设置成功   "),
                 QT_TRANSLATE_NOOP("settings", "WIFI设置失败   "));
}

} // namespace settings
