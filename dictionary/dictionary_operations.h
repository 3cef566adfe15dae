#pragma once
// The character and dictionary transfers: the recognized-character read appends the characters the
// sensor has just recognized to a dictionary file, the dictionary read copies the sensor's expansion
// dictionary into a file (whole or not at all), the dictionary write puts a file's characters into the
// sensor as its new expansion dictionary. The NG character read (the characters of a stored NG) lives
// with the NG reads and shares the append steps here.

#include <string>

#include "dictionary/dictionary_append.h"
#include "engine/operation_run.h"

namespace torv {

// The recognized-character read (`kReadRecognizedCharacters`): `S` 6,0 for the count, then `S` 8i+j,1
// for the patterns, appended with code "?".
void ReadRecognizedCharactersOperation(OperationRun& run);

// The dictionary read (`kReadDictionary`): word 12 for the length, then the records from word 672,
// into OperationFilePath.
void ReadDictionaryOperation(OperationRun& run);

// The dictionary write (`kWriteDictionary`): the file's first 56 characters as records from word 672,
// then the length into word 12, then the store command. The whole file is checked before the first frame.
void WriteDictionaryOperation(OperationRun& run);

// The append steps of the recognized-character read and the NG character read on OperationFilePath:
// the append question (`kDictionaryAppendQuestion`) when the file exists (No aborts), then whether it
// can be written at all (`kCreateFileFailed`). False when the operation must stop.
bool StartAppending(OperationRun& run, DictionaryAppender& file);
// One character block, whole or not at all; false (`kCreateFileFailed`) when it could not be written.
bool AppendBlock(OperationRun& run, DictionaryAppender& file, const std::string& block);

}  // namespace torv
