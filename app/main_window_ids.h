#pragma once
// Control ids of the main window. Only app/ builds and wires the window by these numbers; the tests
// and the screenshot tool use them to find its controls.

namespace torv {

enum MainWindowControl : int {
    // "Parameters"
    kIdReadParameters = 1000,
    kIdWriteParameters = 1001,
    kIdParameterName = 1002,
    kIdEditParameters = 1006,
    kIdParameterRef = 1007,
    // "Expansion Dictionary"
    kIdReadRecognized = 1004,
    kIdWriteDictionary = 1008,
    kIdDictionaryName = 1009,
    kIdEditDictionary = 1010,
    kIdDictionaryRef = 1011,
    kIdReadNgCharacters = 1024,
    kIdReadDictionary = 1025,
    // "NG Data"
    kIdNgDataNumber = 1013,
    kIdReadNgData = 1018,
    kIdNgDataName = 1019,
    kIdDisplayNgData = 1020,
    kIdNgDataRef = 1021,
    kIdConvertNgData = 1023,
    // "Monitor"
    kIdStartMonitor = 1014,
    kIdStopMonitor = 1015,
    kIdMonitorRef = 1026,
    kIdMonitorName = 1027,
    kIdBestCharacters = 1188,
    kIdNumericalCharacters = 1189,
    kIdAlphabeticCharacters = 1190,
    kIdGeneratesCsv = 1218,
    kIdJudgement = 1223,
    kIdJudgementCount = 1224,
    // Outside the groups
    kIdExit = 1003,
    kIdComPort = 1005,
    kIdSetClock = 1012,
    kIdRemoteControl = 1022,
    kIdBaudRate = 1028,
};

}  // namespace torv
