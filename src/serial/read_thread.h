#pragma once

#include "comm_window.h"
#include "serial_platform.h"

#include <memory>
#include <thread>

// The receive thread of an open port: it waits for bytes and hands each chunk
// to the main thread. A chunk ends when 2048 bytes have arrived or when the
// read interval passes without a further byte. Between chunks it waits while
// the main thread has a full backlog of received bytes before it.
class TReadThread {
  public:
    static constexpr std::size_t kReadSize = 2048;

    TReadThread(serialplatform::Port& port, const serialplatform::Signal& stop, CommPoster post,
                std::shared_ptr<ReceiveBacklog> backlog)
        : port_(port), stop_(stop), post_(post), backlog_(std::move(backlog)) {}
    ~TReadThread() { join(); }
    TReadThread(const TReadThread&) = delete;
    TReadThread& operator=(const TReadThread&) = delete;

    // Throws std::system_error when the thread cannot be created.
    void start() { thread_ = std::thread(&TReadThread::run, this); }
    void join() {
        if (thread_.joinable())
            thread_.join();
    }

  private:
    void run();

    serialplatform::Port& port_;
    const serialplatform::Signal& stop_;
    const CommPoster post_;
    const std::shared_ptr<ReceiveBacklog> backlog_;
    std::thread thread_;
};
