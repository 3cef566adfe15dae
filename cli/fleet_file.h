#pragma once
// A fleet file: the sensors one command reaches at once, one a line as "NAME PORT [BAUD] [unencrypted]".
// NAME names the sensor's files (NAME.torv), PORT is COMn, a device path, rfc2217://HOST:PORT or
// rfc2217s://HOST:PORT, BAUD the rate the sensor talks at now (57600 when absent); `unencrypted` accepts
// a plain rfc2217:// port to another host without the warning on every run. A '#' starts a comment; blank
// lines are skipped. No word holds a control character, no two lines name the same file or the same device
// (however each spells it), and a fleet has at most one sensor per port number (256).

#include <string>
#include <vector>

namespace torv::cli {

struct FleetSensor {
    std::string name;
    std::string port;    // as written
    std::string device;  // what the port opens, one spelling for every name of it
    int baudIndex = 0;
    bool unencryptedAccepted = false;
    int line = 0;  // in the fleet file
};

struct FleetFile {
    std::vector<FleetSensor> sensors;
    std::string problem;  // "FILE:LINE: what is wrong" for the first mistake; empty when none
};

FleetFile ReadFleetFile(const std::string& path);

}  // namespace torv::cli
