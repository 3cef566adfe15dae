#include "tests/gui/support/sim_port.h"

#include <cstdlib>

#include "link/port_names.h"

namespace torv::test {

SimPort::SimPort(int portNumber, const std::vector<std::string>& arguments)
    : m_sim(arguments), m_portNumber(portNumber) {
    setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1);
    SetComPortDevicePath(m_portNumber, m_sim.devicePath());
}

SimPort::~SimPort() {
    SetComPortDevicePath(m_portNumber, {});
}

}  // namespace torv::test

namespace torv::test {

MissingPort::MissingPort(int portNumber) : m_portNumber(portNumber) {
    SetComPortDevicePath(m_portNumber, m_folder.file("no-such-device"));
}

MissingPort::~MissingPort() {
    SetComPortDevicePath(m_portNumber, {});
}

}  // namespace torv::test
