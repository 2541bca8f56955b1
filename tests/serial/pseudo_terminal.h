#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal: its device side is the serial port under test (opened
// by path), the other end plays the reader. The device side is held open as
// well (never read), so that the reader's end does not see a hang-up each
// time the port under test is closed.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            qFatal("no pseudo-terminal");
        path_ = QString::fromLocal8Bit(ptsname(master_));
        held_ = ::open(ptsname(master_), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw{};
        tcgetattr(held_, &raw);
        cfmakeraw(&raw);
        tcsetattr(held_, TCSANOW, &raw);
    }
    ~PseudoTerminal() { hangUp(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const QString& path() const { return path_; }
    int readerEnd() const { return master_; }

    // Writes all bytes as the reader, waiting while the line is full.
    bool write(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.constData() + done, bytes.size() - done);
            if (n > 0) {
                done += n;
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            } else {
                pollfd fd{master_, POLLOUT, 0};
                ::poll(&fd, 1, 100);
            }
        }
        return true;
    }

    // Reads what the port sent until count bytes are in or timeoutMs passed.
    QByteArray read(qsizetype count, int timeoutMs = 20000) {
        QByteArray bytes;
        QElapsedTimer timer;
        timer.start();
        while (bytes.size() < count && timer.elapsed() < timeoutMs) {
            char buffer[4096];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) {
                bytes.append(buffer, n);
            } else {
                pollfd fd{master_, POLLIN, 0};
                ::poll(&fd, 1, 50);
            }
        }
        return bytes;
    }

    // The line settings of the device side, as the port under test set them.
    termios settings() const {
        termios t{};
        tcgetattr(master_, &t);
        return t;
    }
    void setSettings(const termios& t) { tcsetattr(master_, TCSANOW, &t); }

    // Whether the device is marked for exclusive use (TIOCEXCL): then nobody
    // but root can open it.
    bool exclusive() const {
        int flag = 0;
        ioctl(held_, TIOCGEXCL, &flag);
        return flag != 0;
    }

    // The reader goes away: the device side hangs up.
    void hangUp() {
        if (master_ >= 0)
            ::close(master_);
        if (held_ >= 0)
            ::close(held_);
        master_ = held_ = -1;
    }

  private:
    int master_ = -1;
    int held_ = -1;
    QString path_;
};

// A reader on a pseudo-terminal inside the test's event loop: it records
// every whole UHF module frame the port sends and answers each with reply,
// or with what answer gives for the frame when it is set.
class ScriptedSerialReader : public QObject {
  public:
    ScriptedSerialReader() : notifier_(terminal.readerEnd(), QSocketNotifier::Read) {
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { take(); });
    }

    PseudoTerminal terminal;
    QByteArray received; // every byte, in order
    QStringList frames;  // whole frames as compact upper-case hex
    QByteArray reply;    // the answer to each frame; none when empty
    std::function<QByteArray(const QString& frame)> answer;

    void hangUp() {
        notifier_.setEnabled(false);
        terminal.hangUp();
    }

  private:
    void take() {
        char buffer[4096];
        const ssize_t n = ::read(terminal.readerEnd(), buffer, sizeof buffer);
        if (n <= 0) {
            // Nobody holds the device side for the moment.
            return;
        }
        received.append(buffer, n);
        pending_.append(buffer, n);
        while (pending_.size() >= 5) {
            const int size = 7 + (quint8(pending_[3]) << 8 | quint8(pending_[4]));
            if (pending_.size() < size)
                break;
            frames << QString::fromLatin1(pending_.left(size).toHex().toUpper());
            pending_.remove(0, size);
            const QByteArray bytes = answer ? answer(frames.last()) : reply;
            if (!bytes.isEmpty())
                terminal.write(bytes);
        }
    }

    QSocketNotifier notifier_;
    QByteArray pending_;
};
