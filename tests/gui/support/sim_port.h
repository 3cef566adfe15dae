#pragma once
// A running torvsim tied to a COM port number of this process, with the ports folder moved into a
// temporary folder so that no link on the machine interferes.

#include <string>
#include <vector>

#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

namespace torv::test {

class SimPort {
  public:
    // Starts torvsim with `arguments` and ties `portNumber` to its pseudo-terminal.
    explicit SimPort(int portNumber, const std::vector<std::string>& arguments = {});
    ~SimPort();
    SimPort(const SimPort&) = delete;
    SimPort& operator=(const SimPort&) = delete;

    int portNumber() const { return m_portNumber; }

  private:
    TempDir m_config;
    SimProcess m_sim;
    int m_portNumber;
};

}  // namespace torv::test

namespace torv::test {

// Ties a port number to a device that does not exist, so that opening it fails.
class MissingPort {
  public:
    explicit MissingPort(int portNumber);
    ~MissingPort();
    MissingPort(const MissingPort&) = delete;
    MissingPort& operator=(const MissingPort&) = delete;

  private:
    TempDir m_folder;
    int m_portNumber;
};

}  // namespace torv::test
