#include "link/operation_engine.h"

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

OperationReport OpenFailure(int result) {
    return {
        OperationOutcome::kOpenFailed,
        std::string(Text(result == kLinkOpenFailed ? StringId::kOpenPortFailed : StringId::kBaudRateInvalid)),
        false};
}

}  // namespace

OperationReport RunOperation(OperationState& state, OperationHost& host, const OperationInfo& operation,
                             const LocalTimeSource& localTime) {
    state.EditRequest = false;
    state.AbortRequest = false;
    if (operation.body == nullptr) {
        return {OperationOutcome::kFailed, "This operation is not available in this version.", false};
    }
    if (const int opened = OpenLink(state.ComPortNumber, state.BaudIndex); opened != kLinkOpened) {
        return OpenFailure(opened);
    }
    host.setProgress(0);
    OperationRun run(state, host, localTime);
    operation.body(run);
    CloseLink(state.ComPortNumber);
    // An abort wins over a failure: a cancelled operation reports "Aborted." even when an exchange
    // also failed.
    if (state.AbortRequest) {
        state.AbortRequest = false;
        return {OperationOutcome::kAborted, std::string(Text(StringId::kAborted)), false};
    }
    if (run.failed()) {
        return {OperationOutcome::kFailed, state.LastErrorText, false};
    }
    return {OperationOutcome::kCompleted, CompletionText(operation, state), operation.offersEdit};
}

}  // namespace torv
