// The terminal on POSIX: standard input read byte by byte after a poll().

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "cli/console/console.h"

namespace torv {

bool IsTerminal(ConsoleStream stream) {
    return isatty(stream == ConsoleStream::kInput ? STDIN_FILENO : STDERR_FILENO) != 0;
}

ConsoleRead ReadConsoleByte(char& c, int timeoutMs) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, timeoutMs) <= 0) {
        return ConsoleRead::kNothingYet;
    }
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) {
        return ConsoleRead::kNothingYet;
    }
    return n == 1 ? ConsoleRead::kByte : ConsoleRead::kEnd;
}

}  // namespace torv
