#pragma once

#include <QByteArray>
#include <QEvent>
#include <QObject>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>

#include "serial_platform.h"

// Messages from the port threads to the main thread.
enum CommMessage : int {
    ReceiveDataMessage = 1025,
    ReceiveErrorMessage = 1026,
    RequestHangupMessage = 1027,
    ModemStateChangeMessage = 1028,
    SendDataEmptyMessage = 1029,
};

// The received bytes that wait in posted events for the main thread. The
// receive thread stops reading while a further chunk would take them over the
// limit, so a device faster than the main thread waits in the kernel's buffer
// (and is held back by flow control) instead of piling up in the event queue.
//
// Whatever the main thread is asked to do waits behind these bytes, so the
// limit is a delay: 64 KiB (32 full chunks) become 128 K characters of hex in
// the log, some 15 ms of the main thread's work on a small machine, while at
// 115 200 baud they are more than five seconds of data.
class ReceiveBacklog {
  public:
    static constexpr std::size_t kLimit = 64 * 1024;

    bool valid() const { return room_.valid(); }
    std::size_t pending() const { return pending_; }

    void add(std::size_t count) { pending_ += count; }
    // The main thread has handled (or dropped) an event of count bytes.
    void release(std::size_t count);
    // Waits while count more bytes would exceed the limit; false when the
    // stop signal ends the wait.
    bool waitForRoom(std::size_t count, const serialplatform::Signal& stop);

  private:
    std::atomic<std::size_t> pending_{0};
    // Raised when the main thread has brought the backlog down to half the
    // limit, so that the receive thread wakes once per half-limit, not per chunk.
    serialplatform::Signal room_;
};

// One message, carrying its own copy of any received bytes. The session tells
// which opening of the port the posting thread belonged to. Received bytes
// count in their backlog for as long as the event lives.
class CommEvent : public QEvent {
  public:
    static const QEvent::Type kType;

    CommEvent(int session, int message, quint32 value, QByteArray bytes,
              std::shared_ptr<ReceiveBacklog> backlog = {});
    ~CommEvent() override;

    const int session;
    const int message;
    const quint32 value;
    const QByteArray bytes;

  private:
    const std::shared_ptr<ReceiveBacklog> backlog_;
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

    void operator()(int message, quint32 value = 0, QByteArray bytes = {},
                    std::shared_ptr<ReceiveBacklog> backlog = {}) const;
};
