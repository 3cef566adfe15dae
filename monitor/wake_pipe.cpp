#include "monitor/wake_pipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>

namespace torv {

WakePipe::WakePipe() {
    std::array<int, 2> ends{-1, -1};
    if (pipe2(ends.data(), O_NONBLOCK | O_CLOEXEC) == 0) {
        m_read = ends[0];
        m_write = ends[1];
    }
}

WakePipe::~WakePipe() {
    for (const int end : {m_read, m_write}) {
        if (end >= 0) {
            close(end);
        }
    }
}

void WakePipe::wake() const {
    if (m_write >= 0) {
        const char byte = 1;
        (void)!write(m_write, &byte, 1);  // EAGAIN: full, the reader wakes anyway
    }
}

void WakePipe::drain() const {
    std::array<char, 256> bytes{};
    while (m_read >= 0 && read(m_read, bytes.data(), bytes.size()) > 0) {
    }
}

}  // namespace torv
