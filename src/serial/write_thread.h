#pragma once

#include "comm_window.h"
#include "serial_platform.h"

#include <QByteArray>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

// The transmit thread of an open port: it writes the queued requests in
// order, each one whole, and reports when its queue has run empty.
class TWriteThread {
  public:
    TWriteThread(serialplatform::Port& port, const serialplatform::Signal& stop, CommPoster post,
                 std::atomic<bool>& sendQueueEmpty)
        : port_(port), stop_(stop), post_(post), sendQueueEmpty_(sendQueueEmpty) {}
    ~TWriteThread() { join(); }
    TWriteThread(const TWriteThread&) = delete;
    TWriteThread& operator=(const TWriteThread&) = delete;

    // Throws std::system_error when the thread cannot be created.
    void start();
    void join() {
        if (thread_.joinable())
            thread_.join();
    }

    // Queues a request (the thread's own copy); false once the thread has
    // ended, or when the backlog would grow beyond limit bytes.
    bool queue(QByteArray bytes, qsizetype limit);
    // Bytes queued and not yet written, the request being written included.
    qsizetype backlog() const { return backlog_; }

  private:
    void run();
    bool take(QByteArray* request);
    bool writeAll(const QByteArray& request);

    serialplatform::Port& port_;
    const serialplatform::Signal& stop_;
    const CommPoster post_;
    std::atomic<bool>& sendQueueEmpty_;
    serialplatform::Signal work_;
    std::mutex mutex_;
    std::deque<QByteArray> queue_;
    bool running_ = false; // guarded by mutex_
    std::atomic<qsizetype> backlog_{0};
    std::thread thread_;
};
