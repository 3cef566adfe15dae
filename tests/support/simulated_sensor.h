#pragma once
// torvsim for one test: its own folder for the state and log files, and a port number tied to its
// pseudo-terminal so the tool's code can open it like any COM port.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/sim_files.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

namespace torv::test {

// torvsim's option for the fault plan `plan` ("3=silence"); none for an empty plan.
inline std::vector<std::string> FaultOption(const std::string& plan) {
    return plan.empty() ? std::vector<std::string>{} : std::vector<std::string>{"--fault", plan};
}

class SimulatedSensor {
  public:
    static constexpr int kDefaultPort = 11;

    // `arguments` are torvsim options beyond --log and --state (e.g. {"--fault", "3=silence"}).
    explicit SimulatedSensor(std::vector<std::string> arguments = {}, int port = kDefaultPort);
    ~SimulatedSensor();

    int port() const { return m_port; }
    const std::string& devicePath() const { return m_process->devicePath(); }
    const TempDir& folder() const { return m_folder; }
    std::string logPath() const { return m_folder.file("sim.log"); }
    std::string statePath() const { return m_folder.file("sim.state"); }

    // Frames received so far, as "R 00 00".
    std::vector<std::string> frames() const { return LoggedFrames(logPath()); }
    // Waits up to 10 s until the sensor has seen `count` frames (a transfer is under way).
    bool waitForFrames(std::size_t count) const;
    // Sets words (address, value) through the protocol, as any tool could: `R` places the write
    // position, `W` writes there. Two frames a word go into the log before the test's own.
    void setWords(const std::vector<std::pair<int, int>>& words) const;
    // Stops the simulator (it saves its state) and reads what it held.
    SimState stopAndReadState();

  private:
    TempDir m_folder;
    int m_port;
    std::unique_ptr<SimProcess> m_process;
};

}  // namespace torv::test
