#pragma once
// The NG character read (`kReadNgCharacters`): the characters of one stored NG inspection, appended
// to a dictionary file with code "?", as the recognized-character read appends the recognized ones.

#include "engine/operation_run.h"

namespace torv {

// Reads the slot of NgDataNumber: its result record for the count, then the pattern blocks that hold
// that many characters, appended to OperationFileName + ".dic4".
void ReadNgCharactersOperation(OperationRun& run);

}  // namespace torv
