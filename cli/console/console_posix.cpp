// The terminal on POSIX: /dev/tty, or standard input, read byte by byte after a poll().

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "cli/console/console.h"

namespace torv {
namespace {

struct QuestionTerminal {
    int input = -1;
    int output = -1;
};

// Opened once, on the first question, and kept for the run.
const QuestionTerminal& Terminal() {
    static const QuestionTerminal terminal = [] {
        const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (tty >= 0) {
            return QuestionTerminal{tty, tty};
        }
        if (isatty(STDIN_FILENO) != 0) {
            return QuestionTerminal{STDIN_FILENO, STDERR_FILENO};
        }
        return QuestionTerminal{};
    }();
    return terminal;
}

}  // namespace

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

bool QuestionTerminalOpen() {
    return Terminal().input >= 0;
}

void WriteToQuestionTerminal(std::string_view text) {
    const int fd = Terminal().output;
    while (fd >= 0 && !text.empty()) {
        const ssize_t n = write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

ConsoleRead ReadQuestionTerminalByte(char& c, int timeoutMs) {
    const int fd = Terminal().input;
    if (fd < 0) {
        return ConsoleRead::kEnd;
    }
    pollfd input{fd, POLLIN, 0};
    if (poll(&input, 1, timeoutMs) <= 0) {
        return ConsoleRead::kNothingYet;
    }
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) {
        return ConsoleRead::kNothingYet;
    }
    return n == 1 ? ConsoleRead::kByte : ConsoleRead::kEnd;
}

void SetStandardInputBinary() {}

void SetStandardOutputBinary() {}

int ProcessId() {
    return static_cast<int>(getpid());
}

}  // namespace torv
