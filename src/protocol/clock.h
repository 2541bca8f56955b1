#pragma once

#include <QDateTime>

// The source of local time for time stamps and the status bar clock; tests
// put a fixed clock in its place.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock : public Clock {
  public:
    explicit FixedClock(QDateTime at) : at_(std::move(at)) {}
    QDateTime now() const override { return at_; }
    void set(const QDateTime& at) { at_ = at; }

  private:
    QDateTime at_;
};

// "hh:mm:ss AM/PM": 12-hour clock with leading zeros, 12 at noon and midnight.
QString timeStamp(const QDateTime& at);
