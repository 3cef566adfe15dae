#pragma once
// The character and dictionary transfers: operation 3 appends the characters the sensor has just
// recognized to a dictionary file, operation 10 reads the sensor's expansion dictionary into a file
// (whole or not at all), operation 4 writes a file's characters into the sensor as its new expansion
// dictionary. Operation 9 (the characters of a stored NG) lives with the NG reads and shares the
// append steps here.

#include <string>

#include "dictionary/dictionary_append.h"
#include "engine/operation_run.h"

namespace torv {

// Operation 3: `S` 6,0 for the count, then `S` 8i+j,1 for the patterns, appended with code "?".
void ReadRecognizedCharactersOperation(OperationRun& run);

// Operation 10: word 12 for the length, then the records from word 672, into OperationFilePath.
void ReadDictionaryOperation(OperationRun& run);

// Operation 4: the file's first 56 characters as records from word 672, then the length into word 12,
// then the store command. The whole file is checked before the first frame.
void WriteDictionaryOperation(OperationRun& run);

// The append steps of operations 3 and 9 on OperationFilePath: question 152 when the file exists
// (No aborts), then whether it can be written at all (136). False when the operation must stop.
bool StartAppending(OperationRun& run, DictionaryAppender& file);
// One character block, whole or not at all; false (136) when it could not be written.
bool AppendBlock(OperationRun& run, DictionaryAppender& file, const std::string& block);

}  // namespace torv
