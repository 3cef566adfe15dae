#include "operations/device_operations.h"

#include <array>

#include "dictionary/dictionary_operations.h"
#include "engine/clock_operation.h"
#include "ngdata/ng_character_read.h"
#include "ngdata/ng_operations.h"
#include "params/parameter_operations.h"

namespace torv {
namespace {

constexpr std::array kOperations{
    OperationInfo{.code = kReadParameters,
                  .body = ReadParametersOperation,
                  .completion = StringId::kReadCompleted,
                  .offersEdit = true},
    OperationInfo{
        .code = kWriteParameters, .body = WriteParametersOperation, .completion = StringId::kWriteCompleted},
    OperationInfo{.code = kReadRecognizedCharacters,
                  .body = ReadRecognizedCharactersOperation,
                  .completion = StringId::kRecognizedCharactersCompleted,
                  .offersEdit = true},
    OperationInfo{.code = kWriteDictionary,
                  .body = WriteDictionaryOperation,
                  .completion = StringId::kDictionaryWriteCompleted},
    OperationInfo{.code = kReadNgData,
                  .body = ReadNgDataOperation,
                  .completion = StringId::kNgDataReadCompleted,
                  .offersEdit = true},
    OperationInfo{.code = kConvertNgDataToCsv,
                  .body = ConvertNgDataToCsvOperation,
                  .completion = StringId::kAllNgDataCompleted},
    OperationInfo{.code = kSetClock,
                  .body = SetClockOperation,
                  .completion = StringId::kClockCompleted,
                  .usesFile = false},
    OperationInfo{.code = kReadNgCharacters,
                  .body = ReadNgCharactersOperation,
                  .completion = StringId::kNgCharactersCompleted,
                  .offersEdit = true,
                  .completionCountsCharacters = true},
    OperationInfo{.code = kReadDictionary,
                  .body = ReadDictionaryOperation,
                  .completion = StringId::kDictionaryReadCompleted,
                  .offersEdit = true},
};

}  // namespace

const OperationInfo* FindOperation(int code) {
    for (const OperationInfo& operation : kOperations) {
        if (operation.code == code) {
            return &operation;
        }
    }
    return nullptr;
}

OperationReport RunOperationOfState(OperationState& state, OperationHost& host,
                                    const LocalTimeSource& localTime) {
    // A code without an operation runs as one without a body: the engine reports it unavailable.
    static constexpr OperationInfo kNoSuchOperation{
        .code = kNoOperation, .body = nullptr, .completion = StringId::kAborted};
    const OperationInfo* operation = FindOperation(state.OperationCode);
    return RunOperation(state, host, operation != nullptr ? *operation : kNoSuchOperation, localTime);
}

}  // namespace torv
