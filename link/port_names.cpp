#include "link/port_names.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <mutex>

#include "link/network_port_name.h"

namespace torv {

// Defined by the platform's backend.
std::string DefaultComPortDevicePath(int portNumber);

namespace {

// Ties are made and looked up from several threads when a fleet runs.
struct ChosenPaths {
    std::mutex mutex;
    std::map<int, std::string> paths;
};

ChosenPaths& ChosenDevicePaths() {
    static ChosenPaths chosen;
    return chosen;
}

}  // namespace

std::string ComPortDevicePath(int portNumber) {
    {
        ChosenPaths& chosen = ChosenDevicePaths();
        const std::lock_guard lock(chosen.mutex);
        if (const auto it = chosen.paths.find(portNumber); it != chosen.paths.end()) {
            return it->second;
        }
    }
    return DefaultComPortDevicePath(portNumber);
}

std::string DescribeComPort(int portNumber) {
    {
        ChosenPaths& chosen = ChosenDevicePaths();
        const std::lock_guard lock(chosen.mutex);
        if (const auto it = chosen.paths.find(portNumber); it != chosen.paths.end()) {
            return it->second;
        }
    }
    return "COM" + std::to_string(portNumber) + " (" + DefaultComPortDevicePath(portNumber) + ")";
}

std::string ComPortName(int portNumber) {
    {
        ChosenPaths& chosen = ChosenDevicePaths();
        const std::lock_guard lock(chosen.mutex);
        if (const auto it = chosen.paths.find(portNumber); it != chosen.paths.end()) {
            return it->second;
        }
    }
    return "COM" + std::to_string(portNumber);
}

std::string CanonicalDevicePath(const std::string& devicePath) {
    if (const auto address = ParseNetworkPortName(devicePath)) {
        std::string host = address->host;
        for (char& c : host) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return std::string(address->tls ? kSecureNetworkPortScheme : kNetworkPortScheme) + host + ':' +
               std::to_string(address->port);
    }
    std::error_code error;
    const std::filesystem::path device = std::filesystem::weakly_canonical(devicePath, error);
    return error ? std::filesystem::absolute(devicePath, error).lexically_normal().string() : device.string();
}

void SetComPortDevicePath(int portNumber, const std::string& devicePath) {
    ChosenPaths& chosen = ChosenDevicePaths();
    const std::lock_guard lock(chosen.mutex);
    if (devicePath.empty()) {
        chosen.paths.erase(portNumber);
    } else {
        chosen.paths[portNumber] = devicePath;
    }
}

}  // namespace torv
