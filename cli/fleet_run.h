#pragma once
// One device operation on every sensor of a fleet at the same time: a thread per sensor, each with
// its own port, operation state and host, so that nothing of one run reaches another.

#include <functional>
#include <string>
#include <vector>

#include "cli/fleet_file.h"
#include "engine/operation_engine.h"

namespace torv::cli {

// Gets a fleet's ports ready for runs on threads of their own: the port number of each sensor (COMn
// keeps n; any other port is tied to a free number, from the top), a warning on stderr for each sensor
// whose last write did not finish (with its restore command), a descriptor limit that holds every
// port open at once, and with `trace` the protocol trace naming each frame's sensor.
std::vector<int> PrepareFleetPorts(const std::vector<FleetSensor>& sensors, bool trace);

struct FleetOutcome {
    OperationOutcome outcome = OperationOutcome::kFailed;
    std::string message;  // "ok", or the tool's message ("No communication response.", "Aborted.")
    std::string detail;   // a failure's facts: the port, the rate, what to check
    double seconds = 0;
    int baudIndexAfter = 0;  // where the line ended (a parameter write may move it)
    // A write that stopped between its first word and the store: the command that restores the sensor.
    std::string restoreCommand;
};

// Runs operation `code` on every sensor, `fileNameOf` naming each one's file (without extension).
// Questions inside the operations are answered Yes: the fleet command asks its one question first.
// The ports are prepared as PrepareFleetPorts does before any run starts.
// A stop signal stops every run at its next block. On a terminal, stderr shows how far the fleet is.
std::vector<FleetOutcome> RunFleet(const std::vector<FleetSensor>& sensors, int code,
                                   const std::function<std::string(const FleetSensor&)>& fileNameOf,
                                   bool trace);

// One line per sensor in fleet order (name, port, "ok" or the message, seconds) and a total, on
// stdout, then each failure's facts on stderr (and the command that restores a sensor a write left
// part-written); the exit code: 0 when every run succeeded, 3 when any was aborted, else 1 when any failed.
int ReportFleet(const std::vector<FleetSensor>& sensors, const std::vector<FleetOutcome>& outcomes,
                double totalSeconds);

}  // namespace torv::cli
