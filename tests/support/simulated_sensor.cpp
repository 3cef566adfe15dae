#include "tests/support/simulated_sensor.h"

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

SimState SimulatedSensor::stopAndReadState() {
    m_process->stop();
    return ReadSimState(statePath());
}

}  // namespace torv::test
