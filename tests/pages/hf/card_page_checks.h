#pragma once

#include "protocol/hex_text.h"
#include "sim/hf_frame.h"
#include "support/form_fixture.h"
#include "support/sim_device.h"

#include <QCheckBox>
#include <QStringList>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

// A reply frame at address 00 around the payload (status first), as hex text.
inline QString replyFrame(const QString& payload) {
    const QByteArray bytes = hex::toBytes(payload);
    const sim::Bytes frame = sim::HfFrame::build(0x00, sim::Bytes(bytes.begin(), bytes.end()));
    return hex::fromBytes(
        QByteArray(reinterpret_cast<const char*>(frame.data()), int(frame.size())));
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
