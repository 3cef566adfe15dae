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
    OperationInfo{kReadParameters, ReadParametersOperation, StringId::kReadCompleted, true},
    OperationInfo{kWriteParameters, WriteParametersOperation, StringId::kWriteCompleted, false},
    OperationInfo{kReadRecognizedCharacters, ReadRecognizedCharactersOperation,
                  StringId::kRecognizedCharactersCompleted, true},
    OperationInfo{kWriteDictionary, WriteDictionaryOperation, StringId::kDictionaryWriteCompleted, false},
    OperationInfo{kReadNgData, ReadNgDataOperation, StringId::kNgDataReadCompleted, true},
    OperationInfo{kConvertNgDataToCsv, ConvertNgDataToCsvOperation, StringId::kAllNgDataCompleted, false},
    OperationInfo{kSetClock, SetClockOperation, StringId::kClockCompleted, false, false, false},
    OperationInfo{kReadNgCharacters, ReadNgCharactersOperation, StringId::kNgCharactersCompleted, true, true},
    OperationInfo{kReadDictionary, ReadDictionaryOperation, StringId::kDictionaryReadCompleted, true},
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
    static constexpr OperationInfo kNoSuchOperation{kNoOperation, nullptr, StringId::kAborted, false};
    const OperationInfo* operation = FindOperation(state.OperationCode);
    return RunOperation(state, host, operation != nullptr ? *operation : kNoSuchOperation, localTime);
}

}  // namespace torv
