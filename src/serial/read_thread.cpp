#include "read_thread.h"

#include <algorithm>
#include <chrono>

using namespace serialplatform;

namespace {

using SteadyClock = std::chrono::steady_clock;

// How often the driver's error and modem counters are looked at, where the
// device keeps them. Without them the thread sleeps until a byte comes.
constexpr int kLineCheckMs = 250;

int msUntil(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now())
            .count();
    // Rounded up by one so that the wait never ends just short of the deadline.
    return int(std::clamp<long long>(left + 1, 0, 1 << 30));
}

int sooner(int a, int b) {
    return a < 0 ? b : b < 0 ? a : std::min(a, b);
}

} // namespace

void TReadThread::run() {
    char buffer[kReadSize];
    std::size_t count = 0;
    auto readStart = SteadyClock::now();
    auto lastByte = readStart;
    LineCounters counters;
    const bool counted = port_.lineCounters(&counters);

    const auto deliver = [&] {
        if (count > 0)
            post_(ReceiveDataMessage, quint32(count), QByteArray(buffer, int(count)), backlog_);
        count = 0;
        readStart = SteadyClock::now();
    };

    for (;;) {
        // Only between chunks, so that a pause never splits one. The stop
        // signal ends the pause; a hang-up is seen once reading resumes,
        // after the bytes before it.
        if (count == 0 && !backlog_->waitForRoom(kReadSize, stop_))
            return;
        const std::uint32_t interval = port_.readInterval();
        const std::uint64_t total = port_.readTotal(kReadSize);
        int timeout = counted ? kLineCheckMs : -1;
        if (count > 0 && interval > 0)
            timeout = sooner(timeout, msUntil(lastByte + std::chrono::milliseconds(interval)));
        if (total > 0)
            timeout = sooner(timeout, msUntil(readStart + std::chrono::milliseconds(total)));

        switch (port_.waitReadable(stop_, timeout)) {
        case Wait::Stopped:
            return;
        case Wait::Failed:
            post_(RequestHangupMessage);
            return;
        case Wait::HungUp:
            deliver();
            post_(RequestHangupMessage);
            return;
        case Wait::Ready: {
            const IoResult read = port_.read(buffer + count, kReadSize - count);
            if (read.status == Io::HungUp || read.status == Io::Failed) {
                deliver();
                post_(RequestHangupMessage);
                return;
            }
            if (read.count > 0) {
                count += read.count;
                lastByte = SteadyClock::now();
                if (count == kReadSize)
                    deliver();
            }
            break;
        }
        case Wait::TimedOut:
            break;
        }

        if (counted) {
            LineCounters now;
            if (port_.lineCounters(&now)) {
                const LineChange change = compareCounters(counters, now);
                counters = now;
                if (change.errors)
                    post_(ReceiveErrorMessage, change.errors);
                if (change.modem)
                    post_(ModemStateChangeMessage, change.modem);
            }
        }

        const auto now = SteadyClock::now();
        if (count > 0 && interval > 0 && now - lastByte >= std::chrono::milliseconds(interval))
            deliver();
        else if (total > 0 && now - readStart >= std::chrono::milliseconds(total))
            deliver();
    }
}
