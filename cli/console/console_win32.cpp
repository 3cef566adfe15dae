// The terminal on Windows: the console (or a pipe) behind the standard input handle.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>

#include <cstdio>

#include "cli/console/console.h"

namespace torv {

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

// Questions are asked at the console of standard input; with input redirected there is none.
bool QuestionTerminalOpen() {
    return _isatty(_fileno(stdin)) != 0;
}

void WriteToQuestionTerminal(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// A console handle is signalled by any input event; the read then waits for a whole typed line, as a
// console in line mode hands input over only after Enter.
ConsoleRead ReadQuestionTerminalByte(char& c, int timeoutMs) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
        return ConsoleRead::kEnd;
    }
    if (WaitForSingleObject(input, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
        return ConsoleRead::kNothingYet;
    }
    DWORD read = 0;
    if (ReadFile(input, &c, 1, &read, nullptr) == FALSE) {
        return GetLastError() == ERROR_OPERATION_ABORTED ? ConsoleRead::kNothingYet : ConsoleRead::kEnd;
    }
    return read == 1 ? ConsoleRead::kByte : ConsoleRead::kEnd;
}

void SetStandardInputBinary() {
    _setmode(_fileno(stdin), _O_BINARY);
}

void SetStandardOutputBinary() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

int ProcessId() {
    return _getpid();
}

}  // namespace torv
