#pragma once
// The table of device operations: for each code, the subsystem's body, its completion text and
// whether "EDIT" follows a successful run. The one place that knows every subsystem's operations; the
// main window and torvctl look operations up here and hand them to the engine.

#include "engine/operation_engine.h"

namespace torv {

// The operation of a code, or nullptr for a code that names none.
const OperationInfo* FindOperation(int code);

// Looks state.OperationCode up and runs it; a code that names no operation fails with a message.
OperationReport RunOperationOfState(OperationState& state, OperationHost& host,
                                    const LocalTimeSource& localTime = SystemLocalTime);

}  // namespace torv
