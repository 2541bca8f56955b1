#pragma once

#include <QByteArray>
#include <QEvent>
#include <QObject>
#include <functional>

// Messages from the port threads to the main thread.
enum CommMessage : int {
    ReceiveDataMessage = 1025,
    ReceiveErrorMessage = 1026,
    RequestHangupMessage = 1027,
    ModemStateChangeMessage = 1028,
    SendDataEmptyMessage = 1029,
};

// One message, carrying its own copy of any received bytes. The session tells
// which opening of the port the posting thread belonged to.
class CommEvent : public QEvent {
  public:
    static const QEvent::Type kType;

    CommEvent(int session, int message, quint32 value, QByteArray bytes)
        : QEvent(kType), session(session), message(message), value(value), bytes(std::move(bytes)) {
    }

    const int session;
    const int message;
    const quint32 value;
    const QByteArray bytes;
};

// The component's hidden receiver on the main thread. The threads post to it;
// the events reach the dispatcher in the order they were posted.
class CommWindow : public QObject {
  public:
    explicit CommWindow(std::function<void(const CommEvent&)> dispatch)
        : dispatch_(std::move(dispatch)) {}

  protected:
    bool event(QEvent* event) override;

  private:
    std::function<void(const CommEvent&)> dispatch_;
};

// What a port thread holds to post its messages: safe from any thread.
struct CommPoster {
    CommWindow* window;
    int session;

    void operator()(int message, quint32 value = 0, QByteArray bytes = {}) const;
};
