#include "reader_link.h"

#include "frames.h"
#include "hex_text.h"
#include "reply.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {
constexpr int transmitCapacity = 255;
constexpr int receiveCapacity = 245;
} // namespace

ReaderLink::ReaderLink(ReaderDevice& device, LogSink& log, const Clock& clock, QObject* parent)
    : QObject(parent), device_(device), log_(log), clock_(clock),
      address_([] { return QStringLiteral("00"); }), debug_([] { return false; }) {}

void ReaderLink::setReplyText(const QString& text) {
    replyText_ = text;
    if (!replyText_.isEmpty())
        recheckWaits();
}

void ReaderLink::Send(const QString& payload) {
    QString error;
    sendFrame(hfFrame(address_(), payload, &error), error);
}

void ReaderLink::SendUHF(const QString& uhfFrame) {
    QString error;
    sendFrame(tunnelFrame(address_(), uhfFrame, &error), error);
}

void ReaderLink::sendFrame(const QString& frame, const QString& error) {
    if (frame.isEmpty()) {
        log(error + time());
        setReplyText(QString());
        return;
    }
    SendHex(frame);
}

void ReaderLink::SendHex(const QString& frame) {
    const QString digits = hex::digitsOf(frame);
    if (debug_())
        log(QCoreApplication::translate("ReaderLink", "发送...") + shownFrameBytes(digits).join(QString()));
    const QByteArray bytes = hex::toBytes(digits);
    if (bytes.size() > transmitCapacity) {
        log(QCoreApplication::translate("ReaderLink", "命令帧有 %1 字节，超过 %2 字节的发送缓冲，未发送   ")
                .arg(bytes.size())
                .arg(transmitCapacity) +
            time());
        setReplyText(QString());
        return;
    }
    const QString unavailable = device_.unavailableReason();
    if (!unavailable.isEmpty()) {
        log(unavailable);
        setReplyText(QString());
        return;
    }
    if (device_.write(bytes) != bytes.size()) {
        log(QCoreApplication::translate("ReaderLink", "无有效数据，请检查设备是否联接...."));
        const QString reason = readerFailureText(device_.lastFailure());
        if (!reason.isEmpty())
            log(reason);
        setReplyText(QString());
        return;
    }
    unsigned char buffer[receiveCapacity] = {};
    // A reader that took the frame and said nothing has not succeeded: the
    // reply stays empty, so the wait runs its time and the page reports no reply.
    if (device_.read(buffer, receiveCapacity) <= 0) {
        setReplyText(QString());
        return;
    }
    // A length byte that claims more than the buffer holds is cut to what was read.
    const int count = qMin(int(buffer[2]) + 5, receiveCapacity);
    setReplyText(hex::fromBytes(QByteArray(reinterpret_cast<const char*>(buffer), count)));
    if (debug_())
        log(QCoreApplication::translate("ReaderLink", "接收...") + replyText_);
}

void ReaderLink::waitUntil(int ms, const std::function<bool()>& done) {
    QCoreApplication::processEvents();
    if ((done && done()) || aborted_ || ms <= 0)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (done)
        connect(this, &ReaderLink::waitConditionChanged, &loop, [&] {
            if (done())
                loop.quit();
        });
    connect(this, &ReaderLink::waitsAborted, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

void ReaderLink::Delay(int ms) {
    waitUntil(ms, [this] { return !replyText_.isEmpty(); });
}

void ReaderLink::Delayy(int ms) {
    waitUntil(ms, {});
}

void ReaderLink::abortWaits() {
    aborted_ = true;
    emit waitsAborted();
}

ReplyStatus ReaderLink::judge(const ReplyTexts& texts) {
    const ReplyStatus status = replyStatus(replyText_);
    report(status, texts, replyText_, reply::byte(replyText_, 5));
    return status;
}

void ReaderLink::report(ReplyStatus status, const ReplyTexts& texts, const QString& reply,
                        const QString& errorCode) {
    const QString now = time();
    switch (status) {
    case ReplyStatus::NoReply:
        log(noReplyText() + now + kCrLf);
        break;
    case ReplyStatus::Success:
        if (texts.successLines)
            texts.successLines(reply, now);
        else
            log(texts.success + (texts.data ? texts.data(reply) : QString()) + now +
                (texts.successLineBreak ? kCrLf : QString()));
        break;
    case ReplyStatus::Failure:
        log(texts.failure + now);
        log(falsereason(errorCode) + kCrLf);
        break;
    case ReplyStatus::Garbled:
        log(garbledText() + now + kCrLf);
        break;
    }
}

ReplyStatus ReaderLink::command(const QString& payload, int waitMs, const ReplyTexts& texts) {
    Send(payload);
    Delay(waitMs);
    return judge(texts);
}
