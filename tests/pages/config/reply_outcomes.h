#pragma once

#include "protocol/frames.h"
#include "support/form_fixture.h"
#include "support/scripted_device.h"

#include <QStringList>
#include <QTest>

// The four outcomes of the common reply check of one button, as data rows:
// the scripted reply frame ("" for a reader that takes no frame) and the
// exact lines logged.
inline QString replyFrame(const QString& payload) {
    return hfFrame(QStringLiteral("00"), payload);
}

inline void outcomeColumns() {
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("lines");
}

inline void addOutcomeRows(const char* button, const QString& success, const QString& failure,
                           bool successLineBreak) {
    const QString time = FormFixture::time();
    QStringList successLines{success + time};
    if (successLineBreak)
        successLines << QString();
    QTest::addRow("%s status 00", button) << QByteArray(button) << replyFrame("00") << successLines;
    QTest::addRow("%s status 01", button)
        << QByteArray(button) << replyFrame("0183")
        << QStringList{failure + time, QStringLiteral("卡不存在...."), QString()};
    QTest::addRow("%s status 01, unknown code", button)
        << QByteArray(button) << replyFrame("0106")
        << QStringList{failure + time, QString(), QString()};
    QTest::addRow("%s status 02", button)
        << QByteArray(button) << replyFrame("02")
        << QStringList{QStringLiteral("数据丢包，流水校验出错   ") + time, QString()};
    QTest::addRow("%s no reply", button)
        << QByteArray(button) << QString()
        << QStringList{QStringLiteral("无有效数据，请检查设备是否联接...."),
                       QStringLiteral("通讯错误，没有接收到数据..   ") + time, QString()};
}

// Clicks the row's button with its reply scripted and returns the lines logged.
inline QStringList clickWithReply(ScriptedDevice& device, FormFixture& form, const char* button,
                                  const QString& reply) {
    if (reply.isEmpty())
        device.writeResult = 0;
    else
        device.reply(reply);
    form.click(button);
    return form.lines();
}
