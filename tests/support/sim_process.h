#pragma once
// Runs torvsim as a child process on its own pseudo-terminal for one test or suite, and stops it
// (SIGTERM, so it saves its state file) when done.

#include <sys/types.h>

#include <string>
#include <vector>

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
};

struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program to its end with the given arguments and standard input; `environment` entries
// ("NAME=value") are added to this process's environment.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& input = {}, const std::vector<std::string>& environment = {});

}  // namespace torv::test
