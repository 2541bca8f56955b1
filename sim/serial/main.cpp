// reader-sim-serial: the simulated reader's USB virtual serial port. It opens
// a pseudo-terminal, prints the path of its device (the port to open) on the
// first line of standard output, and answers UHF module frames written to it.
// After the switch to USB HID has been answered the port goes away, as a
// real reader's does, and the program ends. The field is set up as the HID
// library's is (READERHID_SIM_TAGS and the others); a multiple inventory
// streams READERHID_SIM_NOTICE_RATE notices per second (default 500).
#include "sim/serial/serial_reader.h"
#include "sim/uhf_environment.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// A frame that stays incomplete this long is dropped, so that stray bytes do
// not hold up the next command.
constexpr int kFrameGapMs = 500;
constexpr std::chrono::milliseconds kFrameGap{kFrameGapMs};
// Time the reader takes to leave its serial port after answering the switch.
constexpr auto kSwitchTime = std::chrono::seconds(1);
constexpr auto kDrainLimit = std::chrono::seconds(5);
constexpr unsigned kDefaultNoticeRate = 500;
constexpr unsigned long kFastestNoticeRate = 100000;

unsigned noticeRate() {
    const char* text = std::getenv("READERHID_SIM_NOTICE_RATE");
    char* end = nullptr;
    const unsigned long rate = text ? std::strtoul(text, &end, 10) : 0;
    return text && *text && !*end && rate > 0 && rate <= kFastestNoticeRate ? unsigned(rate)
                                                                            : kDefaultNoticeRate;
}

// Milliseconds to wait in poll: until the next notice is due, or the partial
// frame's gap, or for ever.
int pollTimeout(const sim::SerialReader& reader, sim::SerialReader::Microseconds now) {
    int timeout = reader.hasPartialFrame() ? kFrameGapMs : -1;
    if (const auto due = reader.nextDue()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
        const int notice = int(std::max<long long>(0, wait));
        timeout = timeout < 0 ? notice : std::min(timeout, notice);
    }
    return timeout;
}

bool writeAll(int fd, const sim::Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR)
            return false;
        if (n > 0)
            done += std::size_t(n);
    }
    return true;
}

// Waits until the program on the port has read what was written to it.
void waitUntilRead(int device) {
    const auto limit = std::chrono::steady_clock::now() + kDrainLimit;
    int unread = 0;
    while (ioctl(device, FIONREAD, &unread) == 0 && unread > 0 &&
           std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

int fail(const char* what) {
    std::perror(what);
    return 1;
}

} // namespace

int main() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return fail("reader-sim-serial: pseudo-terminal");
    const char* path = ptsname(master);
    // Held for the life of the port: without a user on the device side the
    // line would hang up whenever the program closes its port. It is never read.
    const int device = path ? ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    if (device < 0)
        return fail("reader-sim-serial: device side");
    termios raw{};
    tcgetattr(device, &raw);
    cfmakeraw(&raw);
    tcsetattr(device, TCSANOW, &raw);

    std::printf("%s\n", path);
    std::fflush(stdout);

    const auto start = std::chrono::steady_clock::now();
    const auto sinceStart = [start] {
        return std::chrono::duration_cast<sim::SerialReader::Microseconds>(
            std::chrono::steady_clock::now() - start);
    };
    sim::UhfModule module;
    module.field().setClock(
        [&] { return std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart()); });
    sim::setUpFromEnvironment(module);
    sim::SerialReader reader(module);
    reader.setNoticeRate(noticeRate());
    sim::SerialReader::Microseconds lastInput{0};
    pollfd line{master, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&line, 1, pollTimeout(reader, sinceStart()));
        if (ready < 0 && errno != EINTR)
            return fail("reader-sim-serial: poll");
        if (!writeAll(master, reader.due(sinceStart())))
            return fail("reader-sim-serial: write");
        if (ready <= 0) {
            if (reader.hasPartialFrame() && sinceStart() - lastInput >= kFrameGap)
                reader.dropPartialFrame();
            continue;
        }
        unsigned char buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return fail("reader-sim-serial: read");
        if (n <= 0)
            continue;
        lastInput = sinceStart();
        const sim::Bytes reply = reader.receive(sim::Bytes(buffer, buffer + n));
        if (!writeAll(master, reply))
            return fail("reader-sim-serial: write");
        if (reader.switchedToHid()) {
            waitUntilRead(device);
            std::this_thread::sleep_for(kSwitchTime);
            ::close(device);
            ::close(master);
            std::fprintf(stderr, "reader-sim-serial: switched to USB HID, %s is gone\n", path);
            return 0;
        }
    }
}
