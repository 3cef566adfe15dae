#include "link/port_security.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>

#include "link/network_port_name.h"
#include "link/port_names.h"

namespace torv {
namespace {

bool IsLoopback(const std::string& host) {
    if (host == "localhost" || host == "::1") {
        return true;
    }
    // 127.0.0.0/8; a name that only looks like it ("127.example") holds letters.
    return host.rfind("127.", 0) == 0 && std::all_of(host.begin(), host.end(), [](char c) {
               return c == '.' || std::isdigit(static_cast<unsigned char>(c)) != 0;
           });
}

bool Accepted(const std::string& canonicalName) {
    std::ifstream list(AcceptedUnencryptedPortsFile());
    for (std::string line; std::getline(list, line);) {
        line = line.substr(0, line.find('#'));
        const auto first = line.find_first_not_of(" \t\r");
        const auto last = line.find_last_not_of(" \t\r");
        if (first != std::string::npos &&
            CanonicalDevicePath(line.substr(first, last - first + 1)) == canonicalName) {
            return true;
        }
    }
    return false;
}

struct ServerNames {
    std::mutex mutex;
    std::map<std::string, std::string> byPort;  // canonical port name -> CN
};

ServerNames& KnownServerNames() {
    static ServerNames names;
    return names;
}

std::string KnownServerName(const std::string& name) {
    ServerNames& names = KnownServerNames();
    const std::lock_guard lock(names.mutex);
    const auto found = names.byPort.find(CanonicalDevicePath(name));
    return found == names.byPort.end() ? std::string() : found->second;
}

}  // namespace

void NoteServerCommonName(const std::string& name, const std::string& commonName) {
    ServerNames& names = KnownServerNames();
    const std::lock_guard lock(names.mutex);
    names.byPort[CanonicalDevicePath(name)] = commonName;
}

std::string AcceptedUnencryptedPortsFile() {
    const std::string folder = PortsFolder();  // none on Windows
    return folder.empty() ? std::string() : (std::filesystem::path(folder) / "unencrypted").string();
}

std::string TlsFolder() {
    if (const char* folder = std::getenv("TORV_TLS_DIR"); folder != nullptr && *folder != '\0') {
        return folder;
    }
    return (std::filesystem::path(ConfigFolder()) / "tls").string();
}

std::string DescribeNetworkPort(const std::string& name) {
    const std::optional<NetworkPortAddress> address = ParseNetworkPortName(name);
    if (!address || !address->tls) {
        return "network port, not encrypted";
    }
    std::string description = "network port, TLS";
    if (const std::string server = KnownServerName(name); !server.empty()) {
        description += ", server CN=" + server;
    }
    std::error_code error;
    if (std::filesystem::is_regular_file(std::filesystem::path(TlsFolder()) / "cert.pem", error)) {
        description += ", client certificate";
    }
    return description;
}

std::string UnencryptedPortWarning(const std::string& devicePath) {
    const std::optional<NetworkPortAddress> address = ParseNetworkPortName(devicePath);
    if (!address || address->tls || IsLoopback(address->host) || Accepted(CanonicalDevicePath(devicePath))) {
        return {};
    }
    return devicePath +
           " is not encrypted: anyone on the network between can read and change what "
           "goes to the sensor; use rfc2217s:// (or list the port in " +
           AcceptedUnencryptedPortsFile() + ")";
}

}  // namespace torv
