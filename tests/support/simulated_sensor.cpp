#include "tests/support/simulated_sensor.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include "link/frames.h"
#include "link/port_names.h"

namespace torv::test {

SimulatedSensor::SimulatedSensor(std::vector<std::string> arguments, int port) : m_port(port) {
    arguments.insert(arguments.end(), {"--log", logPath(), "--state", statePath()});
    m_process = std::make_unique<SimProcess>(arguments);
    SetComPortDevicePath(m_port, m_process->devicePath());
}

SimulatedSensor::~SimulatedSensor() {
    SetComPortDevicePath(m_port, {});
}

void SimulatedSensor::setWords(const std::vector<std::pair<int, int>>& words) const {
    ASSERT_EQ(OpenLink(m_port, kDefaultBaudIndex), kLinkOpened);
    std::string error;
    for (const auto& [address, value] : words) {
        for (const auto& [command, word] :
             {std::pair{kReadWordCommand, address}, {kWriteWordCommand, value}}) {
            std::array<std::uint8_t, 2> bytes{static_cast<std::uint8_t>(word & 0xFF),
                                              static_cast<std::uint8_t>(word >> 8)};
            SendCommand(m_port, command, bytes.data(), 2);
            EXPECT_EQ(ReceiveReply(m_port, bytes.data(), 2, kReplyTimeoutMs, error), 1) << error;
        }
    }
    CloseLink(m_port);
}

bool SimulatedSensor::waitForFrames(std::size_t count) const {
    constexpr int kChecks = 500;
    for (int i = 0; i < kChecks && frames().size() < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return frames().size() >= count;
}

SimState SimulatedSensor::stopAndReadState() {
    m_process->stop();
    return ReadSimState(statePath());
}

}  // namespace torv::test
