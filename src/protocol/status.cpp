#include "status.h"

#include "clock.h"
#include "reply.h"

#include <QCoreApplication>
#include <QLocale>

QString timeStamp(const QDateTime& at) {
    return QLocale::c().toString(at, QStringLiteral("hh:mm:ss AP"));
}

QString falsereason(const QString& code) {
    static const struct {
        const char* code;
        const char* message;
    } table[] = {
        {"01", QT_TRANSLATE_NOOP("status", "命令操作失败.....")},
        {"02", QT_TRANSLATE_NOOP("status", "数据丢包.....")},
        {"03", QT_TRANSLATE_NOOP("status", "没有选择准确的COM口.....")},
        {"04", QT_TRANSLATE_NOOP("status", "和卡通讯超时.....")},
        {"05", QT_TRANSLATE_NOOP("status", "XOR校验出错.....")},
        {"07", QT_TRANSLATE_NOOP("status", "Xor校验出错.....")},
        {"10", QT_TRANSLATE_NOOP("status", "输入的参数大于最大允许范围，溢出.....")},
        {"80", QT_TRANSLATE_NOOP("status", "命令创作成功.....")},
        {"81", QT_TRANSLATE_NOOP("status", "参数设置失败....")},
        {"82", QT_TRANSLATE_NOOP("status", "通讯超时 ....")},
        {"83", QT_TRANSLATE_NOOP("status", "卡不存在....")},
        {"84", QT_TRANSLATE_NOOP("status", "接收卡数据出错....")},
        {"85", QT_TRANSLATE_NOOP("status", "输入参数或者输入命令格式错误....")},
        {"87", QT_TRANSLATE_NOOP("status", "未知的错误....")},
        {"89", QT_TRANSLATE_NOOP("status", "The parameter of the command or the Format of the command Erro...")},
        {"8A", QT_TRANSLATE_NOOP("status", "在块初始化中出现错误...")},
        {"8B", QT_TRANSLATE_NOOP("status", "在防冲突过程中得到错误的序列号....")},
        {"8C", QT_TRANSLATE_NOOP("status", "密码认证没通过....")},
        {"8F", QT_TRANSLATE_NOOP("status", "读写设备接收到了未定义的命令.....")},
        {"90", QT_TRANSLATE_NOOP("status", "卡不支持这个命令....")},
        {"91", QT_TRANSLATE_NOOP("status", "命令格式有错误....")},
        {"92", QT_TRANSLATE_NOOP("status", "在命令的FLAG参数中，不支持OPTION 模式....")},
        {"93", QT_TRANSLATE_NOOP("status", "要操作的BLOCK不存在....")},
        {"94", QT_TRANSLATE_NOOP("status", "要操作的对象已经别锁定，不能进行修改....")},
        {"95", QT_TRANSLATE_NOOP("status", "锁定操作不成功....")},
        {"96", QT_TRANSLATE_NOOP("status", "写操作不成功....")},
    };
    for (const auto& entry : table)
        if (code == QLatin1String(entry.code))
            return QCoreApplication::translate("status", entry.message);
    return QString();
}

QString noReplyText() {
    return QCoreApplication::translate("status", "通讯错误，没有接收到数据..   ");
}

QString garbledText() {
    return QCoreApplication::translate("status", "数据丢包，流水校验出错   ");
}

ReplyStatus replyStatus(bool replied, const QString& statusByte) {
    if (!replied)
        return ReplyStatus::NoReply;
    if (statusByte == QLatin1String("00"))
        return ReplyStatus::Success;
    if (statusByte == QLatin1String("01"))
        return ReplyStatus::Failure;
    return ReplyStatus::Garbled;
}

ReplyStatus replyStatus(const QString& reply) {
    return replyStatus(!reply.isEmpty(), reply::status(reply));
}
