#pragma once
// torvctl's exit codes: a few classes a script can branch on, the same in every command.

#include <string_view>

namespace torv::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,      // the sensor or the line failed (no reply, an invalid reply, a bad sum)
    kExitUsage = 2,       // the command line was wrong; nothing was done
    kExitAborted = 3,     // a question was answered No, or Ctrl-C
    kExitPort = 4,        // the port could not be opened (missing, busy, no permission)
    kExitFile = 5,        // a file could not be read or written, or is invalid
    kExitDiffers = 6,     // `--verify` or `params diff` found words that differ
    kExitSomeFailed = 7,  // a fleet command: some sensors failed, the others did their work
};
// SIGTERM and SIGHUP exit with 128 + the signal's number.

// The exit code of a failure that the tool reported with the message `text`.
ExitCode ExitCodeOfFailure(std::string_view text);

// The table above in words, for `--help`.
extern const char* const kExitCodesHelp;

}  // namespace torv::cli
