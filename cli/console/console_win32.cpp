// The terminal on Windows: the console (or a pipe) behind the standard input handle.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <io.h>

#include <cstdio>

#include "cli/console/console.h"

namespace torv {

bool IsTerminal(ConsoleStream stream) {
    return _isatty(_fileno(stream == ConsoleStream::kInput ? stdin : stderr)) != 0;
}

// A console handle is signalled by any input event; the read then waits for a whole typed line, as a
// console in line mode hands input over only after Enter.
ConsoleRead ReadConsoleByte(char& c, int timeoutMs) {
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

}  // namespace torv
