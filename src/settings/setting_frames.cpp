#include "setting_frames.h"

#include "protocol/baud_rates.h"
#include "protocol/command_parameters.h"
#include "protocol/conversion.h"
#include "protocol/hex_text.h"
#include "protocol/reply.h"
#include "protocol/text_encoding.h"

namespace settings {

namespace {

ReplyTexts texts(const char* success, const char* failure, bool lineBreak = true) {
    return ReplyTexts(QString::fromUtf8(success), QString::fromUtf8(failure), lineBreak);
}

QString flagText(const QString& byte, const char* set, const char* unset) {
    return QString::fromUtf8(byte != QLatin1String("00") ? set : unset);
}

// Name and password travel as bytes: GBK for Chinese, as from a Chinese desktop.
QString fieldBytes(const QString& text, const QString& field) {
    const std::optional<QByteArray> bytes = toGbk(text);
    if (!bytes)
        throw InputError(field + QStringLiteral("中有不能用GBK编码的字符，命令未发送"));
    return GetAscii(*bytes);
}

} // namespace

const FormatChoice kFormats[17] = {
    {"RadioButton5", "10位16进制（5字节16进制）", "07", "10位16进制"},
    {"RadioButton6", "8位16进制", "0C", "8位16进制"},
    {"RadioButton7", "00+8位10进制（id后3字节转换）", "0d", "00+8位10进制（id后3字节转换）"},
    {"RadioButton8", "8位16进制反向输出", "03", "8位16进制反向输出"},
    {"RadioButton9", "8位10进制（id后3字节转换）", "0B", "8位10进制（id后3字节转换）"},
    {"RadioButton10", "18位10进制（卡上全部数字）", "06", "18位10进制（卡上全部数字）"},
    {"RadioButton11", "8位10进制（卡上后8位）", "0E", "8位10进制（卡上后8位）"},
    {"RadioButton12", "5位10进制（卡上后5位）", "08", "5位10进制（卡上后5位）"},
    {"RadioButton13", "8位10进制（id后4字节转换）", "09", "8位10进制（id后4字节转换）"},
    {"RadioButton14", "10位10进制反向输出（id后4字节转换）", "0A",
     "10位10进制反向输出（id后4字节转换）"},
    {"RadioButton15", "13位10进制（id5字节转10进制）", "05", "13位10进制（id5字节转换）"},
    {"RadioButton16", "10位10进制（id后4字节转换）", "0F", "10位10进制（id后4字节转换）"},
    {"RadioButton17", "2H4D + 2H4D ", "00", "2H4D + 2H4D "},
    {"RadioButton21", "正向所有卡号 12-7-4 BYTE", "01", "7字节 AND 4字节 16进制"},
    {"RadioButton22", "反向所有卡号 12-7-4 BYTE", "02", "反向 7字节 AND 4字节 16进制"},
    {"RadioButton29", "GS1格式输出（sgtin-96）", "04", "EPC卡号转换成GS1格式输出（sgtin-96）..."},
    {"RadioButton34", "卡号转换成ASCII输出", "10", "卡号转换成ASCII输出..."},
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
    return texts("输出格式设置成功   ", "输出格式设置失败   ");
}

QString formatDescription(const QString& code) {
    bool ok = false;
    const int value = code.toInt(&ok, 16);
    if (!ok)
        return QString();
    if (value > 0x10)
        return QStringLiteral("卡号自定义长度16进制输出...");
    for (const FormatChoice& format : kFormats)
        if (QByteArray(format.code).toInt(nullptr, 16) == value)
            return QString::fromUtf8(format.description);
    return QString();
}

QStringList formatReadBackLines(const QString& reply) {
    // A reply too short for the layout (status 00 with little or no data)
    // would read as made-up settings.
    if (reply::dataLength(reply) < 9)
        return {QStringLiteral("读回的格式数据不完整：") + reply::data(reply) + kCrLf};
    const QString prefix = QStringLiteral("输出格式：  ");
    QStringList lines{
        QStringLiteral("输出格式为：  ") + formatDescription(reply::byte(reply, 6)),
        prefix + flagText(reply::byte(reply, 7), "前面加分号", "前面不加分号 "),
        prefix + flagText(reply::byte(reply, 9), "中间加逗号", "中间不加逗号 "),
        prefix + flagText(reply::byte(reply, 8), "后面加问号", "后面不加问号 "),
        prefix + flagText(reply::byte(reply, 10), "最后面加回车", "最后面不加回车 "),
    };
    // The reader reports the custom byte's value in reply byte 10.
    if (reply::byte(reply, 13) == QLatin1String("00"))
        lines << QStringLiteral("没有增加自定义字节输出。   ") + kCrLf;
    else
        lines << QStringLiteral("自定义字节输出数据为：  ") + reply::byte(reply, 10);
    return lines;
}

QString versionText(const QString& reply) {
    const QString digits = reply::data(reply);
    bool ok = false;
    const QString text = reply::text(digits, &ok);
    return ok ? text : digits;
}

const MachineParameter kMachineParameters[9] = {
    {"search_interval", "寻卡时间间隔：   ", "范围 ：00~255，单位是10毫秒               ", "Edit29",
     "10", false, "Button30", "c1", "寻卡时间间隔设置成功   ", "寻卡时间间隔设置失败   ", 0, 255},
    {"filter_count", "卡片过滤次数：   ", "范围  00~255 ,00一直输出   ", "Edit35", "10", false,
     "Button35", "c2", "卡片过滤次数设置成功   ", "卡片过滤次数设置失败   ", 0, 255},
    {"read_wait", "读卡等待时间：   ", "范围 ：00~255，单位是秒        ", "Edit75", "10", false,
     "Button83", "BD", "读卡等待时间设置成功   ", "读卡等待时间设置失败   ", 0, 255},
    {"terminator", "串口输出结束符：   ", "00 无, 01表示 0D,  02表示 0D0A      ", "Edit37", "02",
     false, "Button56", "c5", "输出结束符设置成功   ", "输出结束符设置失败   ", 0, 2},
    {"rf_power", "射频输出功率设置：   ", "00~09，表示12.5db~26db       ", "Edit52", "02", false,
     "Button62", "cc", "射频输出功率设置 成功   ", "射频输出功率设置 失败   ", 0, 9},
    {"wiegand_format", "维根输出格式：   ", "00WG26 01WG34 02WG66 03WG98  ", "Edit39", "00", false,
     "Button58", "c6", "维根输出格式设置成功   ", "维根输出格式设置失败   ", 0, 3},
    {"wiegand_position", "维根取值位置：   ", "12字节卡号，取值的第几位              ", "Edit40",
     "09", false, "Button59", "c9", "维根取值位置 设置成功   ", "维根取值位置 设置失败   ", 0, 255},
    {"wiegand_low_pulse", "", "维根低电平脉宽范围(0x01~0xFF) 单位10US              ", "Edit42",
     "0A", true, "Button60", "c7", "维根低电平脉宽设置  成功   ", "维根低电平脉宽设置  失败   ", 1,
     255},
    {"wiegand_idle_width", "", "维根空闲电平脉宽(0x01~0xFF) 单位100US        ", "Edit51", "0A",
     true, "Button61", "c8", "维根空闲电平脉宽设置  成功   ", "维根空闲电平脉宽设置  失败   ", 1,
     255},
};

QString machineParameterPayload(const MachineParameter& parameter, const QString& text) {
    return QLatin1String(parameter.code) +
           (parameter.hex ? parameter::hexByte(text) : parameter::decimalByte(text));
}

ReplyTexts machineParameterTexts(const MachineParameter& parameter) {
    return texts(parameter.success, parameter.failure);
}

const InterfacePair kInterfaces[3] = {
    {"serial_output", "RadioButton23", "串口开", "RadioButton24", "串口关"},
    {"wiegand_output", "RadioButton25", "韦根开", "RadioButton26", "韦根关"},
    {"usb_output", "RadioButton27", "USB开", "RadioButton28", "USB关"},
};

QString interfacesPayload(const bool on[3]) {
    return QStringLiteral("c3") + parameter::flag(on[0]) + parameter::flag(on[1]) +
           parameter::flag(on[2]);
}

ReplyTexts interfacesTexts() {
    return texts("输出接口设置成功   ", "输出接口设置失败   ");
}

QString baudRatePayload(const QString& rate) {
    return QStringLiteral("C4") + baudRateCode(rate);
}

ReplyTexts baudRateTexts() {
    return texts("波特率设置成功   ", "波特率设置失败   ");
}

const Affix kAffixes[2] = {
    {"prefix",
     "前缀：   ",
     {"Edit24", "Edit25", "Edit26", "Edit27"},
     {"30", "31", "32", "33"},
     "Button43",
     "前缀设置",
     "cb01",
     "前缀设置成功   ",
     "前缀设置失败   "},
    {"suffix",
     "后缀：   ",
     {"Edit44", "Edit45", "Edit46", "Edit47"},
     {"31", "32", "33", "34"},
     "Button50",
     "后缀设置",
     "cb02",
     "后缀设置成功   ",
     "后缀设置失败   "},
};

QString affixPayload(const Affix& affix, const QStringList& texts) {
    return QLatin1String(affix.code) + texts.join(QString());
}

ReplyTexts affixTexts(const Affix& affix) {
    return texts(affix.success, affix.failure);
}

const ReadMode kReadModes[5] = {
    {"single_epc", "RadioButton30", "主动-寻单张卡EPC号                 ", "0f01",
     "主动寻单卡EPC号"},
    {"passive", "RadioButton31", "被动读写器模式                 ", "0f02", "被动读写器模式"},
    {"multiple_epc", "RadioButton32", "主动-寻多张卡EPC号        ", "0f03", "主动寻多张卡EPC号"},
    {"tid", "RadioButton33", "主动-读TID号 ", "0f04", "主动读TID号"},
    {"memory_area", "RadioButton36", "主动读取存储扇区", "BC", ""},
};

const AreaField kAreaFields[4] = {
    {"area_bank", "扇区   ", "Edit65", "03", 30},
    {"area_password", "密码   ", "Edit66", "00 00 00 00", 90},
    {"area_address", "地址   ", "Edit67", "00", 30},
    {"area_length", "长度     ", "Edit68", "08", 30},
};

QString readModePayload(int mode, const QStringList& areaTexts) {
    QString payload = QLatin1String(kReadModes[mode].payload);
    if (mode == kMemoryAreaMode)
        payload += areaTexts.join(QString());
    return payload;
}

ReplyTexts readModeTexts(int mode) {
    const QString name = QString::fromUtf8(kReadModes[mode].name);
    return ReplyTexts(QStringLiteral("设置 ") + name + QStringLiteral(" 成功   "),
                      QStringLiteral("设置") + name + QStringLiteral("失败   "), false);
}

QString relayPayload(bool on) {
    return on ? QStringLiteral("87 01") : QStringLiteral("87 00");
}

ReplyTexts relayTexts(bool on) {
    return on ? texts("继电器打开设置成功   ", "继电器打开设置失败   ")
              : texts("继电器关闭设置成功   ", "继电器关闭设置失败   ");
}

QString wifiJoinPayload(const QString& name, const QString& password) {
    // The module splits name from password at the first comma, so a comma in the
    // name would join a network of another name.
    if (name.contains(QLatin1Char(',')))
        throw InputError(QStringLiteral("Wifi名称中不能有逗号，命令未发送"));
    return QStringLiteral("8a") + fieldBytes(name, QStringLiteral("Wifi名称")) +
           QStringLiteral("2c") + fieldBytes(password, QStringLiteral("Wifi密码"));
}

ReplyTexts wifiJoinTexts() {
    return texts("WIFI设置成功   ", "WIFI设置失败   ");
}

} // namespace settings
