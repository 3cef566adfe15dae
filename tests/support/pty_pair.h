#pragma once
// A bare pseudo-terminal for driver tests: the code under test opens the device path, the test
// plays the far end on the master side.

#include <cstdint>
#include <string>
#include <vector>

namespace torv::test {

class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& devicePath() const { return m_devicePath; }
    void send(const std::vector<std::uint8_t>& bytes);
    // Whatever arrives on the master side within `timeoutMs`, up to `count` bytes.
    std::vector<std::uint8_t> receive(std::size_t count, int timeoutMs = 1000);
    // The line rate the far end has set on the terminal.
    unsigned lineRate() const;

  private:
    int m_master = -1;
    int m_slaveHold = -1;  // keeps the line up while the code under test opens and closes it
    std::string m_devicePath;
};

}  // namespace torv::test
