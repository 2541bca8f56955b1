#pragma once

#include "clock.h"
#include "log_sink.h"
#include "reader_device.h"
#include "status.h"

#include <QObject>
#include <QString>
#include <functional>

// The texts with which one command reports its outcome. The success line is
// success + data(reply) + time stamp (+ CR LF when successLineBreak); the
// failure line is failure + time stamp, followed by the reader's message line.
// successLines, when set, writes the success lines itself instead.
struct ReplyTexts {
    ReplyTexts(QString successText, QString failureText, bool lineBreak = true)
        : success(std::move(successText)), failure(std::move(failureText)),
          successLineBreak(lineBreak) {}

    QString success;
    QString failure;
    bool successLineBreak = true;
    std::function<QString(const QString& reply)> data;
    std::function<void(const QString& reply, const QString& time)> successLines;
};

// The USB HID link to the reader as the pages see it: frames out, ReplyText in,
// the waits that keep the window responsive, and the common reply check.
class ReaderLink : public QObject {
    Q_OBJECT
  public:
    ReaderLink(ReaderDevice& device, LogSink& log, const Clock& clock, QObject* parent = nullptr);

    // The reader address (the selected item of setadd) and the debug switch
    // (RadioButton4) live on pages; the main window wires them here.
    void setAddressSource(std::function<QString()> address) { address_ = std::move(address); }
    void setDebugSource(std::function<bool()> debug) { debug_ = std::move(debug); }
    QString address() const { return address_(); }

    void Send(const QString& payload);
    void SendUHF(const QString& uhfFrame);
    void SendHex(const QString& frame);

    const QString& ReplyText() const { return replyText_; }
    void setReplyText(const QString& text);

    // Waits up to ms, returning as soon as ReplyText is not empty.
    void Delay(int ms);
    // Waits the full ms.
    void Delayy(int ms);
    // The one wait of the program: up to ms in the event loop, so clicks,
    // timers and serial events are handled meanwhile without spinning a core.
    // It ends early when done (if given) holds, looked at once pending events
    // are handled and again at each recheckWaits(), or when waits are aborted.
    void waitUntil(int ms, const std::function<bool()>& done);
    // Something a wait may be waiting for has happened.
    void recheckWaits() { emit waitConditionChanged(); }

    // The common reply check: judges ReplyText and reports its status.
    ReplyStatus judge(const ReplyTexts& texts);
    // Writes exactly one outcome of a reply of that status (two lines for a
    // failure, the second the reader's message for errorCode).
    void report(ReplyStatus status, const ReplyTexts& texts, const QString& reply,
                const QString& errorCode);
    // Send, Delay(waitMs), judge: the pattern of most buttons.
    ReplyStatus command(const QString& payload, int waitMs, const ReplyTexts& texts);

    QString time() const { return timeStamp(clock_.now()); }
    void log(const QString& text) { log_.appendLine(text); }
    ReaderDevice& device() { return device_; }

    // Ends every wait in progress, and makes later waits return at once; used
    // when the program closes, after the continuous modes have been stopped.
    void abortWaits();

  signals:
    void waitConditionChanged();
    void waitsAborted();

  private:
    // Sends the frame built; an empty one is refused with the builder's error.
    void sendFrame(const QString& frame, const QString& error);

    ReaderDevice& device_;
    LogSink& log_;
    const Clock& clock_;
    std::function<QString()> address_;
    std::function<bool()> debug_;
    QString replyText_;
    bool aborted_ = false;
};
