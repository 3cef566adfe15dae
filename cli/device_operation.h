#pragma once

#include <string>

#include "cli/cli_context.h"
#include "engine/operation_engine.h"
#include "engine/operation_state.h"

namespace torv::cli {

// Runs one device operation as the desktop tool's transfer dialog would, with the terminal as its
// face: the completion text on stdout (exit 0), "Aborted." (exit 3) or the failure message (exit 1)
// on stderr. `state` comes back as the operation left it.
int RunDeviceOperation(const GlobalOptions& options, int operationCode, const std::string& fileName,
                       OperationState& state);

// Runs `operation` on a port and rate already resolved, printing nothing of its outcome.
OperationReport RunOperationOn(const LinkTarget& target, Confirm confirm, const OperationInfo& operation,
                               const std::string& fileName, OperationState& state);

// Prints an operation's outcome as RunDeviceOperation does; the exit code.
int ReportOutcome(const OperationReport& report);

// After a parameter or dictionary write that stopped between its first `W` and the store command: what
// the sensor holds, and the command that restores it (from `restoreFile`, a file read from the sensor
// before, or else from the file that was being written).
void PrintUnstoredNotice(const OperationState& state, const std::string& restoreFile = {});

// Asks a confirmation question before an operation; false (after saying so) when it was declined.
bool Confirmed(const GlobalOptions& options, OperationState& state, std::string_view question);

}  // namespace torv::cli
