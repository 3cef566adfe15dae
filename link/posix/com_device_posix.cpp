// The line backend over a POSIX terminal device. Kernel termios2 is used directly (not <termios.h>)
// so that any rate, 256000 baud included, can be set through BOTHER.

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>

#include "link/com_device.h"
#include "link/port_names.h"
#include "link/posix/low_latency.h"
#include "link/posix/port_holders.h"

namespace torv {
namespace {

// Milliseconds on the monotonic clock at tick resolution. Reading it costs a memory load, which
// matters here: on a pseudo-terminal, any work between writing a command and waiting for its reply
// measurably slows the round trip. A tick (a few milliseconds) is ample for a time-out.
std::int64_t TickNowMs() {
    timespec now{};
#ifdef CLOCK_MONOTONIC_COARSE
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
#else
    clock_gettime(CLOCK_MONOTONIC, &now);
#endif
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool ReadTermios(int fd, termios2& settings) {
    return ioctl(fd, TCGETS2, &settings) == 0;
}

void MakeRaw(termios2& t) {
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                        IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;  // with O_NONBLOCK reads never block; time-outs are ours
    t.c_cc[VTIME] = 0;
}

tcflag_t CharacterSizeFlag(std::uint8_t byteSize) {
    switch (byteSize) {
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

void ApplyParityFlags(termios2& t, const DeviceControl& control) {
    switch (control.parity) {
        case Parity::kNone:
            return;
        case Parity::kOdd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case Parity::kEven:
            t.c_cflag |= PARENB;
            break;
        case Parity::kMark:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case Parity::kSpace:
            t.c_cflag |= PARENB | CMSPAR;
            break;
    }
    if (control.parityCheck) {
        t.c_iflag |= INPCK;
    }
}

// Standard rates by their own code, which every serial driver knows; others (256000) through BOTHER.
tcflag_t RateCode(std::uint32_t rate) {
    struct Standard {
        std::uint32_t rate;
        tcflag_t code;
    };
    constexpr Standard kStandardRates[] = {{110, B110},     {300, B300},       {600, B600},
                                           {1200, B1200},   {2400, B2400},     {4800, B4800},
                                           {9600, B9600},   {19200, B19200},   {38400, B38400},
                                           {57600, B57600}, {115200, B115200}, {230400, B230400}};
    for (const Standard& standard : kStandardRates) {
        if (standard.rate == rate) {
            return standard.code;
        }
    }
    return BOTHER;
}

// Settings a terminal cannot do make the whole change fail, as a refused device state would.
bool TerminalCanDo(const DeviceControl& control) {
    return control.byteSize >= 5 && control.byteSize <= 8 && control.stopBits != StopBits::kOneAndHalf &&
           control.dtrControl != DtrControl::kHandshake && control.rtsControl != RtsControl::kToggle &&
           !control.dsrFlow && control.baudRate > 0;
}

// Pseudo-terminals and some adapters have no modem lines, so a refusal here is not an error.
void SetModemLine(int fd, int line, bool on) {
    int bits = line;
    (void)ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits);
}

enum class Wait { kReady, kTimedOut, kHungUp };

constexpr std::int64_t kNever = INT64_MAX;

// Waits for `events` until the deadline (kNever: without one). A signal does not restart the time-out:
// the wait goes on with the time that remains. A poll that timed out ends the wait: its own timer is
// exact, while the tick clock may still read a little before the deadline (a short wait, such as a
// few milliseconds for a quiet line, would otherwise be waited for again).
Wait WaitUntil(int fd, short events, std::int64_t deadline) {
    for (;;) {
        const std::int64_t now = TickNowMs();
        if (deadline != kNever && now >= deadline) {
            return Wait::kTimedOut;
        }
        pollfd entry{fd, events, 0};
        const int timeoutMs = deadline == kNever ? -1 : static_cast<int>(deadline - now);
        const int result = poll(&entry, 1, timeoutMs);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result < 0 || (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return Wait::kHungUp;
        }
        return result > 0 ? Wait::kReady : Wait::kTimedOut;
    }
}

std::string OpenFailureReason(const std::string& path, int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return path + " does not exist (is the adapter plugged in?).";
        case EACCES:
        case EPERM:
            return "Permission denied on " + path +
                   ". On Debian, add your user to the dialout group (sudo adduser $USER dialout) and log in "
                   "again.";
        case EBUSY: {
            const std::string holders = ProgramsHolding(path);
            return path + " is in use by " + (holders.empty() ? "another program" : holders) + ".";
        }
        default:
            return path + ": " + std::strerror(error) + ".";
    }
}

class PosixComDevice : public ComDevice {
  public:
    PosixComDevice(int fd, std::uint32_t rate) : m_fd(fd) { m_control.baudRate = rate; }
    ~PosixComDevice() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    void setupQueues(int, int) override {}  // the kernel sizes a terminal's queues itself
    bool getState(DeviceControl& control) override {
        control = m_control;
        return true;
    }
    bool setState(const DeviceControl& control) override;
    bool drainOutput() override { return ioctl(m_fd, TCSBRK, 1) == 0; }  // tcdrain
    int readSome(std::uint8_t* buffer, int count, int waitMs) override;
    int writeSome(const std::uint8_t* buffer, int count, int waitMs) override;
    void purgeInput() override {
        m_pendingStart = m_pendingEnd = 0;
        ioctl(m_fd, TCFLSH, TCIFLUSH);
    }
    bool close() override;

  private:
    int takePending(std::uint8_t* buffer, int count);
    bool fillPending();

    int m_fd;
    DeviceControl m_control;  // what the terminal had when it was opened
    // Bytes taken from the terminal but not yet asked for: one read system call brings a whole reply,
    // which the frame layer then asks for in two parts (the ACK byte, then the rest).
    std::array<std::uint8_t, 512> m_pending{};
    std::size_t m_pendingStart = 0;
    std::size_t m_pendingEnd = 0;
};

bool PosixComDevice::setState(const DeviceControl& control) {
    termios2 t{};
    if (!TerminalCanDo(control) || !ReadTermios(m_fd, t)) {
        return false;
    }
    MakeRaw(t);
    t.c_cflag |= CharacterSizeFlag(control.byteSize);
    ApplyParityFlags(t, control);
    if (control.stopBits == StopBits::kTwo) {
        t.c_cflag |= CSTOPB;
    }
    if (control.ctsFlow || control.rtsControl == RtsControl::kHandshake) {
        t.c_cflag |= CRTSCTS;
    }
    if (control.xonXoffOut) {
        t.c_iflag |= IXON;
    }
    if (control.xonXoffIn) {
        t.c_iflag |= IXOFF;
    }
    // The input rate follows the output rate (input code 0).
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= RateCode(control.baudRate);
    t.c_ispeed = control.baudRate;
    t.c_ospeed = control.baudRate;
    if (ioctl(m_fd, TCSETS2, &t) != 0) {
        return false;
    }
    if (control.dtrControl != DtrControl::kHandshake) {
        SetModemLine(m_fd, TIOCM_DTR, control.dtrControl == DtrControl::kEnable);
    }
    if (control.rtsControl != RtsControl::kHandshake) {
        SetModemLine(m_fd, TIOCM_RTS, control.rtsControl == RtsControl::kEnable);
    }
    return true;
}

int PosixComDevice::takePending(std::uint8_t* buffer, int count) {
    const auto taken = std::min(static_cast<std::size_t>(count), m_pendingEnd - m_pendingStart);
    std::copy_n(m_pending.begin() + static_cast<std::ptrdiff_t>(m_pendingStart), taken, buffer);
    m_pendingStart += taken;
    return static_cast<int>(taken);
}

// One read system call for whatever the terminal holds; false when the line is gone.
bool PosixComDevice::fillPending() {
    const ssize_t n = ::read(m_fd, m_pending.data(), m_pending.size());
    if (n < 0) {
        return errno == EAGAIN || errno == EINTR;
    }
    m_pendingStart = 0;
    m_pendingEnd = static_cast<std::size_t>(n);  // 0: a raw terminal with nothing there yet
    return true;
}

std::int64_t DeadlineAfter(int waitMs) {
    return waitMs < 0 ? kNever : TickNowMs() + waitMs;
}

int PosixComDevice::readSome(std::uint8_t* buffer, int count, int waitMs) {
    int taken = takePending(buffer, count);
    if (taken == 0 && waitMs != 0) {
        // A terminal that says it is readable may still have nothing for us: then wait on.
        const std::int64_t deadline = DeadlineAfter(waitMs);
        while (taken == 0 && WaitUntil(m_fd, POLLIN, deadline) == Wait::kReady && fillPending()) {
            taken = takePending(buffer, count);
        }
        return taken;
    }
    if (taken < count && fillPending()) {  // the descriptor never blocks
        taken += takePending(buffer + taken, count - taken);
    }
    return taken;
}

int PosixComDevice::writeSome(const std::uint8_t* buffer, int count, int waitMs) {
    const std::int64_t deadline = DeadlineAfter(waitMs);
    for (;;) {
        const ssize_t n = ::write(m_fd, buffer, static_cast<size_t>(count));
        if (n > 0) {
            return static_cast<int>(n);
        }
        if ((n < 0 && errno != EAGAIN && errno != EINTR) ||
            WaitUntil(m_fd, POLLOUT, deadline) != Wait::kReady) {
            return 0;
        }
    }
}

bool PosixComDevice::close() {
    ioctl(m_fd, TIOCNXCL);  // the device may be opened again once we are gone
    const int fd = m_fd;
    m_fd = -1;
    // After EINTR the descriptor is released all the same on Linux.
    return ::close(fd) == 0 || errno == EINTR;
}

}  // namespace

std::unique_ptr<ComDevice> OpenPlatformComDevice(int portNumber) {
    const std::string path = ComPortDevicePath(portNumber);
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        SetComOpenFailure(OpenFailureReason(path, errno));
        return nullptr;
    }
    termios2 settings{};
    if (!ReadTermios(fd, settings)) {
        ::close(fd);
        SetComOpenFailure(path + " is not a serial port.");
        return nullptr;
    }
    // The lock keeps out the programs that take one; TIOCEXCL keeps out every other open as well.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        SetComOpenFailure(OpenFailureReason(path, EBUSY));
        return nullptr;
    }
    // A driver that refuses low latency works as before, only slower on a USB adapter.
    RequestLowLatency(fd);
    return std::make_unique<PosixComDevice>(fd, settings.c_ospeed);
}

}  // namespace torv
