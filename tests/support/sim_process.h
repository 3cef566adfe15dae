#pragma once
// Runs torvsim as a child process on its own pseudo-terminal for one test or suite, and stops it
// (SIGTERM, so it saves its state file) when done.

#include <sys/types.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_dir.h"

namespace torv::test {

class SimProcess {
  public:
    // Starts torvsim with these arguments and waits until it has printed its device path.
    explicit SimProcess(const std::vector<std::string>& arguments = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& devicePath() const { return m_devicePath; }
    // Stops the simulator and waits for it; its state and log files are complete afterwards.
    void stop();

  private:
    pid_t m_pid = -1;
    std::string m_devicePath;
#ifdef _WIN32
    // Under wine: the folder of the script that runs the Linux torvsim, its output and its notes.
    std::unique_ptr<TempDir> m_wineFolder;
#endif
};

struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A program started in the background: its output is collected while the test watches it and
// sends it signals. Its stdin is a terminal (a pseudo-terminal's slave path), so that it asks its
// questions as it would of a person, or else empty (no terminal to ask at).
class RunningProgram {
  public:
    RunningProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& terminalPath = {}, const std::vector<std::string>& environment = {});
    ~RunningProgram();  // kills a program that is still running
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // True once `text` has appeared on stderr, false after `timeoutMs` without it.
    bool waitForError(std::string_view text, int timeoutMs);
    void signal(int number);
    // Waits for the end; the whole output and the exit code (-1 when a signal ended it).
    ProgramResult finish();

  private:
    bool pump(int timeoutMs);  // false once both outputs are closed

    pid_t m_pid = -1;
    std::array<int, 2> m_fds{-1, -1};
    ProgramResult m_result;
};

// Runs a program to its end, its stdin empty; `environment` entries ("NAME=value") are added to this
// process's environment.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});
// torvctl with these arguments, its stdin empty (no terminal to ask questions at).
ProgramResult RunTorvctl(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});
// A program's output split into lines, without their line ends.
std::vector<std::string> OutputLines(const std::string& text);

}  // namespace torv::test
