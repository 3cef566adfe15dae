#pragma once
// The terminal torvctl talks to: whether a standard stream is a terminal, and one typed byte read
// with a time limit (so that a wait for an answer can look for Ctrl-C between reads). Like the line
// backends, POSIX and Win32 each implement it once.

namespace torv {

enum class ConsoleStream { kInput, kError };
bool IsTerminal(ConsoleStream stream);

enum class ConsoleRead {
    kByte,        // `c` holds the byte
    kNothingYet,  // nothing within the time limit, or a signal cut the wait short
    kEnd,         // the input has ended or cannot be read
};
// Reads one byte from standard input, waiting at most `timeoutMs` for it to come.
ConsoleRead ReadConsoleByte(char& c, int timeoutMs);

}  // namespace torv
