#pragma once

#include <QTimer>

#include <algorithm>
#include <chrono>

// The event loop's worst stall while running: a precise 10 ms timer, and how
// much later than its period each tick came.
class StallProbe {
  public:
    StallProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            worstMs_ =
                std::max(worstMs_,
                         std::chrono::duration<double, std::milli>(now - last_).count() - periodMs);
            last_ = now;
        });
    }
    void start() {
        last_ = Clock::now();
        timer_.start(periodMs);
    }
    void stop() { timer_.stop(); }
    double worstMs() const { return worstMs_; }

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr int periodMs = 10;
    QTimer timer_;
    Clock::time_point last_;
    double worstMs_ = 0;
};
