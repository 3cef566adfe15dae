#include "engine/operation_engine.h"

#include "engine/write_journal.h"
#include "link/failure_details.h"
#include "link/frames.h"

namespace torv {
namespace {

std::string CompletionText(const OperationInfo& operation, const OperationState& state) {
    std::string text(Text(operation.completion));
    if (operation.completionCountsCharacters) {
        text += std::to_string(state.AppendedCharCount);
        text += Text(StringId::kCountClose);
    }
    return text;
}

OperationReport OpenFailure(const OperationState& state, int result) {
    OperationReport report;
    report.outcome = OperationOutcome::kOpenFailed;
    report.text = Text(result == kLinkOpenFailed ? StringId::kOpenPortFailed : StringId::kBaudRateInvalid);
    report.detail = OpenFailureDetail(state.ComPortNumber, state.BaudIndex, result);
    return report;
}

}  // namespace

OperationReport RunOperation(OperationState& state, OperationHost& host, const OperationInfo& operation,
                             const LocalTimeSource& localTime) {
    state.EditRequest = false;
    state.AbortRequest = false;
    state.LastErrorDetail.clear();
    state.UnstoredWords = false;
    if (operation.body == nullptr) {
        return {OperationOutcome::kFailed, std::string(Text(StringId::kOperationNotAvailable)), {}, false};
    }
    // The Filename field's hint is never a name: an empty field names no file at all.
    if (operation.usesFile && state.OperationFileName.empty()) {
        return {OperationOutcome::kFailed, std::string(Text(StringId::kSpecifyFileName)),
                std::string(Text(StringId::kFileNameHowTo)), false};
    }
    if (const int opened = OpenLink(state.ComPortNumber, state.BaudIndex); opened != kLinkOpened) {
        return OpenFailure(state, opened);
    }
    host.setProgress(0);
    OperationRun run(state, host, localTime);
    operation.body(run);
    // A run whose last reply was followed by more bytes had its replies out of step: a failure, even
    // for a body that had nothing left to do with them.
    if (!run.failed() && !state.AbortRequest) {
        run.confirmInStep();
    }
    CloseLink(state.ComPortNumber);
    // The store was acknowledged and the line stayed in step: the sensor holds the whole file.
    if (run.writeNote() && !run.failed() && !state.AbortRequest && !state.UnstoredWords) {
        ClearWriteNote(run.writeNote()->device);
    }
    // An abort wins over a failure: a cancelled operation reports "Aborted." even when an exchange
    // also failed.
    if (state.AbortRequest) {
        state.AbortRequest = false;
        return {OperationOutcome::kAborted, std::string(Text(StringId::kAborted)), {}, false};
    }
    if (run.failed()) {
        return {OperationOutcome::kFailed, state.LastErrorText, state.LastErrorDetail, false};
    }
    return {OperationOutcome::kCompleted, CompletionText(operation, state), {}, operation.offersEdit};
}

}  // namespace torv
