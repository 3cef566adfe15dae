#pragma once
// Ctrl-C, SIGTERM and SIGHUP stop torvctl the way the Cancel button stops the desktop tool: the
// running operation ends at its next block boundary, files are cleaned up, and a question being asked
// is answered No at once. Handlers are installed once, for the whole run, and the request is never
// reset: a second question or operation in the same command sees it too.

namespace torv::cli {

// Installs the handlers (without SA_RESTART, so a read at a question returns at once).
void InstallInterruptHandlers();

// The first stop signal received, or 0.
int InterruptSignal();
inline bool Interrupted() {
    return InterruptSignal() != 0;
}

// The exit code of a command that ended with `exitCode`: an abort caused by SIGTERM or SIGHUP exits
// 128 + the signal's number, as shells expect of a terminated program; everything else is unchanged.
int ExitCodeAfterInterrupt(int exitCode);

}  // namespace torv::cli
