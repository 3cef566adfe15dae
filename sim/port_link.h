#pragma once
// `--link COMn`: the symbolic link in the ports folder through which the tool finds the simulated
// sensor as port n. The ports folder is $XDG_CONFIG_HOME/torv/ports, or ~/.config/torv/ports.

#include <string>

namespace torv::sim {

std::string PortsFolder();

// "COM" followed by a port number.
bool IsPortLinkName(const std::string& name);

class PortLink {
  public:
    PortLink() = default;
    ~PortLink() { remove(); }
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    // Creates the folders and the link, replacing an existing link of that name.
    bool create(const std::string& name, const std::string& target);
    // Removes the link, unless another simulator has taken the name over since.
    void remove();

  private:
    std::string m_path;
    std::string m_target;
};

}  // namespace torv::sim
