#pragma once
// The journal of writes to sensors. A parameter or dictionary write notes itself in the configuration
// folder before its first `W` and clears the note once the sensor has acknowledged the store. A write
// killed part-way (or a PC that lost power) leaves the note behind: the sensor then holds a mix of old
// and new words that it has not stored, and the next run on that sensor says so, with the command that
// restores it. One note per device, named after it.

#include <optional>
#include <string>

#include "engine/operation_state.h"

namespace torv {

struct UnfinishedWrite {
    std::string device;       // what the port opens, one spelling (CanonicalDevicePath)
    std::string port;         // as a command names it: "COM8", "/dev/ttyUSB0", "rfc2217://HOST:PORT"
    int baudIndex = 4;        // the rate the sensor talked at when the write began
    bool dictionary = false;  // the expansion dictionary, else the parameter set
    std::string file;         // the file being written, as an absolute path
    std::string started;      // local time, as "Mon Dec 07 15:30:00 2026"
};

// The folder "journal" in the configuration folder.
std::string JournalFolder();

// The write that the run in `state` (a parameter or dictionary write) is about to begin.
UnfinishedWrite WriteOfRun(const OperationState& state);

// Notes the write before its first word goes out. False when the note cannot be made (a configuration
// folder that takes no files): the write goes on all the same, only unguarded.
bool NoteWriteStarted(const UnfinishedWrite& write);
// The store was acknowledged: the sensor holds the whole file.
void ClearWriteNote(const std::string& device);
// The note left for the device that port `portNumber` opens, if any.
std::optional<UnfinishedWrite> FindUnfinishedWrite(int portNumber);

// "torvctl -p COM8 params write /data/golden.torv" (with -b RATE when the sensor talks at another
// rate than 57600).
std::string RestoreCommand(const UnfinishedWrite& write);
// What a run says before it starts when the last write to its sensor did not finish.
std::string UnfinishedWriteNotice(const UnfinishedWrite& write);

}  // namespace torv
