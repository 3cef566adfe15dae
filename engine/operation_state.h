#pragma once
// The state one device operation shares between the window that starts it, the transfer dialog that
// runs it and the operation body. The application owns one for the whole run; tests make their own.

#include <array>
#include <cstdint>
#include <string>

namespace torv {

// Which operation the transfer dialog runs. Code 5 was never assigned.
enum OperationCode : int {
    kNoOperation = 0,
    kReadParameters = 1,
    kWriteParameters = 2,
    kReadRecognizedCharacters = 3,
    kWriteDictionary = 4,
    kReadNgData = 6,
    kConvertNgDataToCsv = 7,
    kSetClock = 8,
    kReadNgCharacters = 9,
    kReadDictionary = 10,
};

struct OperationState {
    int OperationCode = kNoOperation;
    int ComPortNumber = 1;          // 1..9 from the main window; 0 when its list has no selection
    int BaudIndex = 4;              // 0..6; -1 when the baud list has no selection
    int NgDataNumber = 1;           // 1..30
    std::string OperationFileName;  // as typed, without extension
    std::string OperationFilePath;  // the name plus the extension of the operation's file kind
    bool AbortRequest = false;
    bool EditRequest = false;
    std::string LastErrorText;
    // The facts behind LastErrorText (port, device, rate, file path, line, the system's reason); shown
    // under it. Empty when there are none.
    std::string LastErrorDetail;
    std::array<std::uint8_t, 2> CommandBuffer{};
    int AppendedCharCount = 0;
    // Set when the run sends a `W`, cleared when it sends the store command `U`: while set, the
    // sensor holds words of this run that it has not stored (a write that stopped part-way).
    bool UnstoredWords = false;
    // The software version the sensor gave the last parameter read or write ("0105"); empty before.
    std::string SensorVersion;
};

}  // namespace torv
