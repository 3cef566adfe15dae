#include "tests/support/pty_pair.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace torv::test {

PtyPair::PtyPair() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    m_devicePath = ptsname(m_master);
    m_slaveHold = open(m_devicePath.c_str(), O_RDWR | O_NOCTTY);
    termios2 raw{};
    ioctl(m_slaveHold, TCGETS2, &raw);
    raw.c_iflag = 0;
    raw.c_oflag = 0;
    raw.c_lflag = 0;
    ioctl(m_slaveHold, TCSETS2, &raw);
}

PtyPair::~PtyPair() {
    close(m_slaveHold);
    close(m_master);
}

void PtyPair::send(const std::vector<std::uint8_t>& bytes) {
    if (write(m_master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("pty write failed");
    }
}

std::vector<std::uint8_t> PtyPair::receive(std::size_t count, int timeoutMs) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytes.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        pollfd entry{m_master, POLLIN, 0};
        if (left <= 0 || poll(&entry, 1, static_cast<int>(left)) <= 0) {
            break;
        }
        std::uint8_t buffer[512];
        const ssize_t n = read(m_master, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

unsigned PtyPair::lineRate() const {
    termios2 settings{};
    ioctl(m_master, TCGETS2, &settings);  // on the master this reads the terminal's own settings
    return settings.c_ospeed;
}

}  // namespace torv::test
