#pragma once
// The skeleton every device operation runs in: open the link, run the body, close the link, and
// report how it ended. The transfer dialog and torvctl both drive operations through here.

#include <string>

#include "engine/operation_host.h"
#include "engine/operation_run.h"
#include "engine/operation_state.h"
#include "resources/strings.h"

namespace torv {

using OperationBody = void (*)(OperationRun& run);

// One device operation as the engine runs it. The subsystems provide the bodies; the table of all of
// them lives above the subsystems, in operations/.
struct OperationInfo {
    int code;
    OperationBody body;       // nullptr until the operation exists in this build
    StringId completion;      // shown when the body finished without failure or abort
    bool offersEdit = false;  // a successful run offers "EDIT" into the matching editor
    // The completion text goes on with AppendedCharCount and " )" (the NG character read).
    bool completionCountsCharacters = false;
    // Reads or writes the file OperationFileName names; an empty name stops it before the link opens.
    bool usesFile = true;
};

enum class OperationOutcome {
    kOpenFailed,  // the link did not open (`kOpenPortFailed` or `kBaudRateInvalid`); nothing was exchanged
    kFailed,      // an exchange or a file step failed; the text says which
    kAborted,     // the user stopped it (or declined a question inside it)
    kCompleted,
};

struct OperationReport {
    OperationOutcome outcome = OperationOutcome::kFailed;
    std::string text;    // the error, "Aborted." or the completion text
    std::string detail;  // a failure's facts (port, rate, file, reason), shown under the text
    bool offersEdit = false;
};

// Runs `operation` from start to end. EditRequest and AbortRequest are cleared first; AbortRequest is
// cleared again when the run reports "Aborted.".
OperationReport RunOperation(OperationState& state, OperationHost& host, const OperationInfo& operation,
                             const LocalTimeSource& localTime = SystemLocalTime);

}  // namespace torv
