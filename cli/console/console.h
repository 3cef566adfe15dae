#pragma once
// The terminal torvctl talks to: whether stderr is a terminal (for the progress bar), and the
// terminal questions are asked at, read one typed byte at a time with a time limit (so that a wait
// for an answer can look for Ctrl-C between reads). Like the line backends, POSIX and Win32 each
// implement it once.

#include <string_view>

namespace torv {

bool StandardErrorIsTerminal();

// The terminal a person answers questions at: the controlling terminal (/dev/tty) when there is one,
// even with stdin and stderr redirected, so that `2>log` hides no question; else standard input when
// it is a terminal. False when there is none (cron, a pipe): every question is then answered No.
bool QuestionTerminalOpen();
// Writes the question's text to that terminal.
void WriteToQuestionTerminal(std::string_view text);

enum class ConsoleRead {
    kByte,        // `c` holds the byte
    kNothingYet,  // nothing within the time limit, or a signal cut the wait short
    kEnd,         // the input has ended or cannot be read
};
// Reads one byte typed at the question terminal, waiting at most `timeoutMs` for it to come.
ConsoleRead ReadQuestionTerminalByte(char& c, int timeoutMs);

// Standard input and output carry bytes as they are (no CR LF translation on Windows).
void SetStandardInputBinary();
void SetStandardOutputBinary();

int ProcessId();

}  // namespace torv
