#include "link/operation_engine.h"

#include <array>

#include "link/clock_operation.h"
#include "link/frames.h"
#include "link/parameter_operations.h"

namespace torv {
namespace {

constexpr std::array kOperations{
    OperationInfo{kReadParameters, ReadParametersOperation, StringId::kReadCompleted, true},
    OperationInfo{kWriteParameters, WriteParametersOperation, StringId::kWriteCompleted, false},
    OperationInfo{kReadRecognizedCharacters, nullptr, StringId::kRecognizedCharactersCompleted, true},
    OperationInfo{kWriteDictionary, nullptr, StringId::kDictionaryWriteCompleted, false},
    OperationInfo{kReadNgData, nullptr, StringId::kNgDataReadCompleted, true},
    OperationInfo{kConvertNgDataToCsv, nullptr, StringId::kAllNgDataCompleted, false},
    OperationInfo{kSetClock, SetClockOperation, StringId::kClockCompleted, false},
    OperationInfo{kReadNgCharacters, nullptr, StringId::kNgCharactersCompleted, true},
    OperationInfo{kReadDictionary, nullptr, StringId::kDictionaryReadCompleted, true},
};

std::string CompletionText(const OperationInfo& operation, const OperationState& state) {
    std::string text(Text(operation.completion));
    if (operation.code == kReadNgCharacters) {
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

const OperationInfo* FindOperation(int code) {
    for (const OperationInfo& operation : kOperations) {
        if (operation.code == code) {
            return &operation;
        }
    }
    return nullptr;
}

OperationReport RunOperation(OperationState& state, OperationHost& host, const LocalTimeSource& localTime) {
    state.EditRequest = false;
    state.AbortRequest = false;
    const OperationInfo* operation = FindOperation(state.OperationCode);
    if (operation == nullptr || operation->body == nullptr) {
        return {OperationOutcome::kFailed, "This operation is not available in this version.", false};
    }
    if (const int opened = OpenLink(state.ComPortNumber, state.BaudIndex); opened != kLinkOpened) {
        return OpenFailure(opened);
    }
    host.setProgress(0);
    OperationRun run(state, host, localTime);
    operation->body(run);
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
    return {OperationOutcome::kCompleted, CompletionText(*operation, state), operation->offersEdit};
}

}  // namespace torv
