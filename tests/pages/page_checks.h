#pragma once

#include "protocol/frames.h"
#include "protocol/hex_text.h"
#include "support/form_fixture.h"
#include "support/scripted_device.h"
#include "support/sim_device.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <initializer_list>
#include <utility>

// Helpers of the page tests.

// Types the texts into the edits (name, text) and clicks the button, which must
// refuse with the error box given, sending and logging nothing.
inline void checkRefused(const QList<std::pair<const char*, QString>>& edits, const char* button,
                         const QString& error,
                         const std::function<void(FormFixture&)>& prepare = {}) {
    ScriptedDevice device;
    FormFixture form(device);
    if (prepare)
        prepare(form);
    for (const auto& [edit, text] : edits)
        form.find<QLineEdit>(edit)->setText(text);
    form.click(button);
    QCOMPARE(form.errors, QStringList{error});
    QVERIFY(device.written.isEmpty());
    QVERIFY(form.lines().isEmpty());
}

// A reply frame at address 00 around the payload (status first), as upper-case
// hex text; an unpaired last digit is dropped.
inline QString replyFrame(const QString& payload) {
    return hfFrame(QStringLiteral("00"), hex::fromBytes(hex::toBytes(payload)));
}

// The four outcomes of the common reply check of one button, as data rows:
// the scripted reply frame ("" for a reader that takes no frame) and the
// exact lines logged.
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

// Runs the current outcome row (button, reply frame, lines) on a scripted reader.
inline void checkOutcomeRow(bool replyIsPayload = false) {
    QFETCH(QByteArray, button);
    QFETCH(QString, reply);
    QFETCH(QStringList, lines);
    ScriptedDevice device;
    FormFixture form(device);
    const QString frame = replyIsPayload && !reply.isNull() ? replyFrame(reply) : reply;
    QCOMPARE(clickWithReply(device, form, button, frame), lines);
}
// The same with the row's reply given as its payload; a null one: no reply.
inline void checkPayloadOutcomeRow() {
    checkOutcomeRow(true);
}

// What ends a running continuous mode in a test.
enum class LoopStop { Untick, PageChange, Close };

// Ticks the box, which runs its loop inside the click, and ends the loop after
// afterMs in the given way. Returns true when the loop ended by that; a loop
// that does not end is unticked by a guard after 30 s and gives false.
inline bool runLoop(FormFixture& fixture, const char* boxName, LoopStop stop, int afterMs = 400) {
    auto* box = fixture.find<QCheckBox>(boxName);
    QTabWidget* pages = fixture.form.pageControl();
    QTimer stopper;
    stopper.setSingleShot(true);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        switch (stop) {
        case LoopStop::Untick:
            box->click();
            break;
        case LoopStop::PageChange:
            pages->setCurrentIndex(pages->currentIndex() == 0 ? 6 : 0);
            break;
        case LoopStop::Close:
            fixture.form.close();
            break;
        }
    });
    bool guarded = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guarded = true;
        box->setChecked(false);
    });
    stopper.start(afterMs);
    guard.start(30000);
    box->click();
    return !guarded && !box->isChecked();
}

// The frames written, each one as often as it went out, are all this frame.
inline bool allFramesAre(const QStringList& written, const QString& frame) {
    return !written.isEmpty() && written.count(frame) == written.size();
}

// Runs the page's continuous mode and ends it the given way: it repeated the
// frame, and sent nothing once it had ended.
inline void checkLoopRepeatsAndStops(SimDevice& device, int page, const char* box, LoopStop stop,
                                     const QString& frame) {
    FormFixture f(device);
    f.form.pageControl()->setCurrentIndex(page);
    QVERIFY(runLoop(f, box, stop, 700));
    QVERIFY2(device.written.size() >= 2, qPrintable(device.written.join(' ')));
    QVERIFY(allFramesAre(device.written, frame));
    const int sent = device.written.size();
    QTest::qWait(300);
    QCOMPARE(device.written.size(), sent);
}

// The continuous modes of a page as data rows: the box, the way its loop is
// ended and the frame it repeats, one row per box and way.
struct LoopBox {
    const char* box;
    const char* frame;
};
inline void continuousModeColumns() {
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<int>("stop");
    QTest::addColumn<QString>("frame");
}
inline void addContinuousModeRows(std::initializer_list<LoopBox> boxes,
                                  std::initializer_list<LoopStop> stops = {
                                      LoopStop::Untick, LoopStop::PageChange, LoopStop::Close}) {
    for (const LoopBox& box : boxes)
        for (LoopStop stop : stops)
            QTest::addRow("%s, %s", box.box,
                          stop == LoopStop::Untick       ? "untick"
                          : stop == LoopStop::PageChange ? "page change"
                                                         : "close")
                << QByteArray(box.box) << int(stop) << QString(box.frame);
}
// Runs the current row on the simulated HF reader, its page the one shown.
inline void checkContinuousModeRow(int page) {
    QFETCH(QByteArray, box);
    QFETCH(int, stop);
    QFETCH(QString, frame);
    SimDevice device(sim::SimulatedReader::Model::Hf);
    checkLoopRepeatsAndStops(device, page, box, LoopStop(stop), frame);
}
