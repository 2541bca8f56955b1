#include "write_thread.h"

using namespace serialplatform;

void TWriteThread::start() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        running_ = true;
    }
    try {
        thread_ = std::thread(&TWriteThread::run, this);
    } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        throw;
    }
}

bool TWriteThread::queue(QByteArray bytes, qsizetype limit) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!running_ || backlog_ + bytes.size() > limit)
            return false;
        backlog_ += bytes.size();
        queue_.push_back(std::move(bytes));
        // Under the lock, so that the thread cannot find the queue empty and
        // set the flag after this request went in.
        sendQueueEmpty_ = false;
    }
    work_.raise();
    return true;
}

bool TWriteThread::take(QByteArray* request) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) {
        sendQueueEmpty_ = true;
        return false;
    }
    *request = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

void TWriteThread::run() {
    const auto end = [this] {
        port_.purge(false, true);
        const std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        queue_.clear();
        backlog_ = 0;
        sendQueueEmpty_ = true;
    };
    if (!work_.valid()) {
        post_(RequestHangupMessage);
        end();
        return;
    }
    for (;;) {
        bool reportEmpty = true;
        QByteArray request;
        while (!take(&request)) {
            if (reportEmpty)
                post_(SendDataEmptyMessage);
            const Wait wait = waitForWork(stop_, work_);
            if (wait != Wait::Ready) {
                if (wait == Wait::Failed)
                    post_(RequestHangupMessage);
                end();
                return;
            }
            work_.lower();
            reportEmpty = false;
        }
        if (stop_.raised() || !writeAll(request)) {
            end();
            return;
        }
        backlog_ -= request.size();
    }
}

bool TWriteThread::writeAll(const QByteArray& request) {
    std::size_t done = 0;
    const std::size_t size = std::size_t(request.size());
    while (done < size) {
        const IoResult written = port_.write(request.constData() + done, size - done);
        if (written.status == Io::HungUp || written.status == Io::Failed) {
            post_(RequestHangupMessage);
            return false;
        }
        if (written.count > 0) {
            done += written.count;
            continue;
        }
        // The device is full: wait for room, or for the close that abandons the write.
        const Wait wait = port_.waitWritable(stop_, -1);
        if (wait == Wait::Stopped)
            return false;
        if (wait == Wait::HungUp || wait == Wait::Failed) {
            post_(RequestHangupMessage);
            return false;
        }
    }
    return true;
}
