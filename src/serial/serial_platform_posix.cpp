// The serial platform layer on POSIX: termios for the line settings, flock
// and TIOCEXCL for exclusive use, poll for the waits, a pipe as the signal.
//
// Settings a POSIX terminal has no counterpart for (DSR flow and sensitivity,
// the XON/XOFF limits, continuing after XOFF, replacing bytes with parity
// errors or dropping NUL bytes) are kept by the component but change nothing
// here; RTS toggling on transmit and DTR handshake leave the line raised.
#include "serial_platform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

namespace serialplatform {

namespace {

constexpr int kOpenFlags = O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;

// A bare name would be resolved in the working directory: no device.
bool isDevicePath(const QByteArray& path) {
    return path.startsWith('/');
}

speed_t speedOf(std::uint32_t baudRate, bool* known) {
    static const struct {
        std::uint32_t rate;
        speed_t speed;
    } speeds[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {3000000, B3000000}, {4000000, B4000000},
    };
    for (const auto& entry : speeds)
        if (entry.rate == baudRate) {
            *known = true;
            return entry.speed;
        }
    *known = false;
    return B0;
}

tcflag_t sizeFlag(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t parityFlags(Parity parity) {
    switch (parity) {
    case Parity::Odd:
        return PARENB | PARODD;
    case Parity::Even:
        return PARENB;
    case Parity::Mark:
        return PARENB | CMSPAR | PARODD;
    case Parity::Space:
        return PARENB | CMSPAR;
    case Parity::None:
        break;
    }
    return 0;
}

void setModemLine(int fd, int line, bool raised) {
    // Pseudo-terminals have no modem lines; the call then fails harmlessly.
    ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &line);
}

// The flag when the counter moved since the last look.
std::uint32_t flagIfGrew(std::uint32_t before, std::uint32_t after, std::uint32_t flag) {
    return after != before ? flag : 0;
}

} // namespace

LineChange compareCounters(const LineCounters& before, const LineCounters& after) {
    LineChange change;
    change.errors = flagIfGrew(before.bufferOverrun, after.bufferOverrun, ReceiveQueueOverflow) |
                    flagIfGrew(before.overrun, after.overrun, Overrun) |
                    flagIfGrew(before.parity, after.parity, ParityError) |
                    flagIfGrew(before.frame, after.frame, FramingError) |
                    flagIfGrew(before.brk, after.brk, Break);
    change.modem = flagIfGrew(before.carrier, after.carrier, CarrierChange) |
                   flagIfGrew(before.ring, after.ring, Ring);
    return change;
}

Signal::Signal() {
    if (pipe2(fds_, O_NONBLOCK | O_CLOEXEC) != 0)
        fds_[0] = fds_[1] = -1;
}

Signal::~Signal() {
    for (int fd : fds_)
        if (fd >= 0)
            ::close(fd);
}

void Signal::raise() {
    const char one = 1;
    // A full pipe is raised already.
    [[maybe_unused]] const ssize_t written = ::write(fds_[1], &one, 1);
}

bool Signal::raised() const {
    pollfd fd{fds_[0], POLLIN, 0};
    return ::poll(&fd, 1, 0) > 0;
}

void Signal::lower() {
    char drain[64];
    while (::read(fds_[0], drain, sizeof drain) > 0) {
    }
}

OpenResult Port::open(const QByteArray& path, std::unique_ptr<Port>* port) {
    if (!isDevicePath(path))
        return OpenResult::Missing;
    const int fd = ::open(path.constData(), kOpenFlags);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM)
            return OpenResult::Denied;
        return errno == EBUSY ? OpenResult::Busy : OpenResult::Missing;
    }
    // TIOCEXCL keeps other users out, except root; the lock keeps out root
    // too, and any second open of our own.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return OpenResult::Busy;
    }
    if (!isatty(fd)) {
        ::close(fd);
        return OpenResult::NotTerminal;
    }
    termios settings{};
    if (tcgetattr(fd, &settings) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return OpenResult::NoSetup;
    }
    port->reset(new Port(fd));
    return OpenResult::Opened;
}

Port::~Port() {
    // The exclusive flag belongs to the device, not to this descriptor: where
    // the device stays open elsewhere (a pseudo-terminal) it would outlive
    // the close and keep every ordinary user out. The lock is released
    // explicitly, as a forked child may still share the descriptor.
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    ::close(fd_);
}

void Port::applyLineSettings(const LineSettings& s) {
    termios t{};
    if (tcgetattr(fd_, &t) != 0)
        return;
    // Raw bytes both ways: no line editing, echo, signals or translation.
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | INPCK | IGNPAR);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL | sizeFlag(s.dataBits) | parityFlags(s.parity);
    if (s.stopBits != StopBits::One)
        t.c_cflag |= CSTOPB;
    const bool rtsHandshake = s.outxCtsFlow || s.rtsControl == RtsControl::Handshake;
    if (rtsHandshake)
        t.c_cflag |= CRTSCTS;
    if (s.parityCheck)
        t.c_iflag |= INPCK;
    if (s.outxXonXoffFlow)
        t.c_iflag |= IXON;
    if (s.inxXonXoffFlow)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = s.xonChar;
    t.c_cc[VSTOP] = s.xoffChar;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    bool known = false;
    const speed_t speed = speedOf(s.baudRate, &known);
    if (known) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    tcsetattr(fd_, TCSANOW, &t);

    setModemLine(fd_, TIOCM_DTR, s.dtrControl != DtrControl::Disable);
    if (!rtsHandshake)
        setModemLine(fd_, TIOCM_RTS, s.rtsControl != RtsControl::Disable);
}

void Port::applyTimeouts(const Timeouts& timeouts) {
    readInterval_ = timeouts.readInterval;
    readTotalMultiplier_ = timeouts.readTotalMultiplier;
    readTotalConstant_ = timeouts.readTotalConstant;
}

std::uint64_t Port::readTotal(std::size_t capacity) const {
    return std::uint64_t(readTotalMultiplier_) * capacity + readTotalConstant_;
}

void Port::purge(bool receive, bool transmit) {
    if (receive || transmit)
        tcflush(fd_, receive && transmit ? TCIOFLUSH : receive ? TCIFLUSH : TCOFLUSH);
}

Wait Port::waitFor(short events, const Signal& stop, int timeoutMs) {
    pollfd fds[2] = {{stop.handle(), POLLIN, 0}, {fd_, events, 0}};
    int ready;
    while ((ready = ::poll(fds, 2, timeoutMs)) < 0)
        if (errno != EINTR)
            return Wait::Failed;
    if (fds[0].revents)
        return Wait::Stopped;
    if (ready == 0)
        return Wait::TimedOut;
    // A device that went away (unplugged, the other end of a pseudo-terminal
    // closed) reports a hang-up for ever: it must end the wait, not repeat it.
    if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
        return Wait::HungUp;
    return Wait::Ready;
}

Wait Port::waitReadable(const Signal& stop, int timeoutMs) {
    return waitFor(POLLIN, stop, timeoutMs);
}

Wait Port::waitWritable(const Signal& stop, int timeoutMs) {
    return waitFor(POLLOUT, stop, timeoutMs);
}

static IoResult ioResult(ssize_t done) {
    if (done >= 0)
        return {Io::Done, std::size_t(done)};
    if (errno == EAGAIN || errno == EINTR)
        return {Io::WouldBlock, 0};
    return {errno == EIO ? Io::HungUp : Io::Failed, 0};
}

IoResult Port::read(char* buffer, std::size_t capacity) {
    return ioResult(::read(fd_, buffer, capacity));
}

IoResult Port::write(const char* bytes, std::size_t count) {
    return ioResult(::write(fd_, bytes, count));
}

bool Port::lineCounters(LineCounters* counters) const {
#ifdef TIOCGICOUNT
    serial_icounter_struct icount{};
    if (ioctl(fd_, TIOCGICOUNT, &icount) != 0)
        return false;
    counters->frame = icount.frame;
    counters->overrun = icount.overrun;
    counters->parity = icount.parity;
    counters->brk = icount.brk;
    counters->bufferOverrun = icount.buf_overrun;
    counters->carrier = icount.dcd;
    counters->ring = icount.rng;
    return true;
#else
    (void)counters;
    return false;
#endif
}

Wait waitForWork(const Signal& stop, const Signal& work) {
    pollfd fds[2] = {{stop.handle(), POLLIN, 0}, {work.handle(), POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0)
        if (errno != EINTR)
            return Wait::Failed;
    return fds[0].revents ? Wait::Stopped : Wait::Ready;
}

OpenResult probe(const QByteArray& path) {
    if (!isDevicePath(path))
        return OpenResult::Missing;
    const int fd = ::open(path.constData(), kOpenFlags);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM)
            return OpenResult::Denied;
        return errno == EBUSY ? OpenResult::Busy : OpenResult::Missing;
    }
    const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free ? OpenResult::Opened : OpenResult::Busy;
}

namespace {

QString processName(long pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll().trimmed())
                                          : QString();
}

// The process with a lock on the file, from /proc/locks: lines such as
// "1: FLOCK  ADVISORY  WRITE 1234 00:19:4 0 EOF", the file given as the
// major and minor number (hex) of its file system and its inode.
long lockOwner(const struct stat& file) {
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray wanted = QByteArray::number(major(file.st_dev), 16).rightJustified(2, '0') +
                              ':' +
                              QByteArray::number(minor(file.st_dev), 16).rightJustified(2, '0') +
                              ':' + QByteArray::number(qulonglong(file.st_ino));
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 5 && fields[1] == "FLOCK" && fields[5] == wanted)
            return fields[4].toLong();
    }
    return 0;
}

// Another process with the device open, from the links in /proc/*/fd.
long openedBy(const struct stat& file) {
    const long self = long(getpid());
    QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        bool number = false;
        const long pid = processes.next().section(QLatin1Char('/'), -1).toLong(&number);
        if (!number || pid == self)
            continue;
        QDirIterator fds(QStringLiteral("/proc/%1/fd").arg(pid), QDir::Files | QDir::System);
        while (fds.hasNext()) {
            struct stat target {};
            if (::stat(QFile::encodeName(fds.next()).constData(), &target) == 0 &&
                target.st_rdev == file.st_rdev && S_ISCHR(target.st_mode))
                return pid;
        }
    }
    return 0;
}

} // namespace

Holder findHolder(const QByteArray& path) {
    struct stat file {};
    if (::stat(path.constData(), &file) != 0)
        return {};
    long pid = lockOwner(file);
    if (pid == 0 && S_ISCHR(file.st_mode))
        pid = openedBy(file);
    return pid ? Holder{pid, processName(pid)} : Holder{};
}

} // namespace serialplatform
