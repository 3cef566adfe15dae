#pragma once
// The numbered string table: every text the user sees, looked up by its number. The texts are the
// sensor tool's own wording, kept exactly (including its spelling slips) because operators and their
// documents quote them.

#include <string_view>

namespace torv {

enum class StringId : int {
    kAgreeToExit = 130,
    kSetupFileWriteFailed = 131,
    kNoResponse = 132,
    kInvalidResponse = 133,
    kChecksumError = 134,
    kSameFileOverwrite = 135,
    kCreateFileFailed = 136,
    kReadingBankParameters = 137,
    kReadingCommonParameters = 138,
    kAborted = 139,
    kReadCompleted = 140,
    kWriteCompleted = 141,
    kOpenPortFailed = 142,
    kBaudRateInvalid = 143,
    kAgreeOverwriteSensor = 144,
    kParameterFileNotFound = 145,
    kDictionaryFileInvalid = 146,
    kUnassignedCodeQuestion = 147,
    kWritingCommonParameters = 148,
    kWritingBankParameters = 149,
    kParameterFileInvalid = 150,
    kNoRecognizedCharacter = 151,
    kDictionaryAppendQuestion = 152,
    kReadingRecognizedCharacters = 153,
    kCountClose = 154,
    kRecognizedCharactersCompleted = 155,
    kOverwriteDictionaryQuestion = 156,
    kDictionaryWriteCompleted = 157,
    kDictionaryEmptyOnSave = 158,
    kOverwriteDictionaryFileQuestion = 159,
    kWritingDictionary = 160,
    kDiscardDictionaryQuestion = 161,
    kDeleteCharacterQuestion = 162,
    kDeleteLastCharacterQuestion = 163,
    kDictionaryFileNotFound = 165,
    kNgDataReadCompleted = 173,
    kReadingNgData = 174,
    kNgDataGone = 175,
    kNgDataFileNotFound = 176,
    kParameterFileMissingUseInitial = 177,
    kOverwriteBankQuestion = 178,
    kSameBankCopy = 179,
    kSelectDestinationBank = 180,
    kDiscardParametersQuestion = 181,
    kSetClockQuestion = 184,
    kSettingClock = 185,
    kSheetHeader = 187,
    kSheetCompleted = 188,
    kAllNgDataCompleted = 189,
    kClockCompleted = 190,
    kCsvNgDataNumber = 191,
    kCsvCharacterCount = 192,
    kCsvBankNumber = 193,
    kCsvSavedDateTime = 194,
    kCsvFormatNothing = 195,
    kCsvNotFound = 196,
    kCsvUpperLimit = 197,
    kCsvLowerLimit = 198,
    kCsvBestCharacter = 199,
    kCsvNumericalCharacter = 200,
    kCsvNumericalDifference = 201,
    kCsvAlphabeticCharacter = 202,
    kCsvAlphabeticDifference = 203,
    kCsvPatternBlock = 204,
    kNgCharactersCompleted = 206,
    kSpecifyFileName = 207,
    kNgFileCharacterNumber = 208,
    kNgFileBankNumber = 209,
    kNgFileSavedDateTime = 210,
    kNgFileFormatNothing = 211,
    kNgFileNothing = 212,
    kNgFileUpperLimit = 213,
    kNgFileLowerLimit = 214,
    kNgFileGap = 215,
    kNgFileDictionary = 216,
    kCsvNumericalDictionary = 217,
    kCsvAlphabeticDictionary = 218,
    kEdit = 219,
    kNoDictionaryInSensor = 222,
    kReadingDictionary = 223,
    kDictionaryReadCompleted = 224,
    // This tool's own texts, numbered apart from the sensor tool's.
    kOperationNotAvailable = 300,
    kFileNameHowTo = 301,
};

// The text of a string; unknown numbers give an empty text.
std::string_view Text(StringId id);
std::string_view Text(int number);
// The number of the message whose text is exactly `text`; 0 when it is none of them (a text made for
// the case, such as a verification's list of words).
int NumberOfText(std::string_view text);

}  // namespace torv
