#include "card_report.h"

#include "protocol/reader_link.h"
#include "protocol/reply.h"

#include <QCoreApplication>

namespace {

struct CardType {
    const char* code;
    const char* found;
    const char* numberLabel;
    int numberBytes;
};

constexpr CardType cardTypes[] = {
    {"01", QT_TRANSLATE_NOOP("CardReport", "检测到S50/S70卡"),
     QT_TRANSLATE_NOOP("CardReport", "卡的ID号码为： "), 4},
    {"02", QT_TRANSLATE_NOOP("CardReport", "检测到Ultralight/desfire卡"),
     QT_TRANSLATE_NOOP("CardReport", "卡的ID号码为： "), 7},
    {"03", QT_TRANSLATE_NOOP("CardReport", "检测到ISO 14443 B卡"),
     QT_TRANSLATE_NOOP("CardReport", "卡的ID号码为： "), 4},
    {"04", QT_TRANSLATE_NOOP("CardReport", "中华人民共和国第二代身份证.."),
     QT_TRANSLATE_NOOP("CardReport", "身份证卡的ID号码为： "), 8},
    {"05", QT_TRANSLATE_NOOP("CardReport", "检测到ISO 15693卡"),
     QT_TRANSLATE_NOOP("CardReport", "卡的ID号码为： "), 8},
};

} // namespace

void checkcard(ReaderLink& link) {
    const QString code = reply::byte(link.ReplyText(), 2);
    for (const CardType& type : cardTypes) {
        if (code != QLatin1String(type.code))
            continue;
        // A short report gives a short number.
        const QString number = reply::bytes(link.ReplyText(), 3, 2 + type.numberBytes);
        link.log(QCoreApplication::translate("CardReport", type.found));
        link.log(QCoreApplication::translate("CardReport", type.numberLabel) + number + kCrLf);
        link.setReplyText(QString());
        return;
    }
}
