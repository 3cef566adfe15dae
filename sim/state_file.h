#pragma once
// The sensor's state file: plain text, one item a line, so end-to-end tests can read what the tool
// wrote into the sensor.
//
//   rate 57600
//   version 0105
//   word ADDR VALUE        every non-zero word, addresses ascending, decimal
//   calendar REG VALUE     all 16 registers, decimal
//   key CODE               the key log, oldest first, decimal
//
// Lines end with LF; a reader also takes CR LF, and skips empty lines and lines starting with '#'.

#include <string>
#include <string_view>

#include "sim/sensor_state.h"

namespace torv::sim {

enum class StateFileResult {
    kLoaded,
    kSaved,
    kNotFound,      // no file to load: the sensor starts from its seeded state
    kInvalid,       // a line that does not follow the format; nothing of the file is used
    kCannotCreate,  // the file could not be written
};

std::string FormatState(const SensorState& state);
// Fills `state` only when the whole text is valid.
StateFileResult ParseState(std::string_view text, SensorState& state);

StateFileResult LoadStateFile(const std::string& path, SensorState& state);
// Writes a temporary file beside the target and renames it, so a reader never sees half a state.
StateFileResult SaveStateFile(const std::string& path, const SensorState& state);

}  // namespace torv::sim
