#pragma once

#include "comm_window.h"
#include "serial_platform.h"

#include <thread>

// The receive thread of an open port: it waits for bytes and hands each chunk
// to the main thread. A chunk ends when 2048 bytes have arrived or when the
// read interval passes without a further byte.
class TReadThread {
  public:
    static constexpr std::size_t kReadSize = 2048;

    TReadThread(serialplatform::Port& port, const serialplatform::Signal& stop, CommPoster post)
        : port_(port), stop_(stop), post_(post) {}
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
    std::thread thread_;
};
