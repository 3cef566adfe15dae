#include "tests/support/ser2net_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "engine/write_journal.h"
#include "link/port_names.h"

namespace torv::test {
namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kPollMs = 10;
constexpr int kListenState = 0x0A;  // TCP_LISTEN in /proc/net/tcp

// True once something listens on the loopback port, read from the kernel's table: a probe connection
// would be one more client to the server (ser2net would open the device for it).
bool LoopbackPortListening(int port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        const std::size_t colon = local.find(':');
        if (colon != std::string::npos && std::stoi(local.substr(colon + 1), nullptr, 16) == port &&
            std::stoi(state, nullptr, 16) == kListenState) {
            return true;
        }
    }
    return false;
}

}  // namespace

void WaitUntilListening(std::unique_ptr<RunningProgram>& server, const std::vector<int>& ports,
                        const std::string& logPath) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    for (int port : ports) {
        while (!LoopbackPortListening(port)) {
            if (std::chrono::steady_clock::now() > deadline) {
                server->signal(SIGKILL);
                const std::string err = server->finish().err;
                server.reset();
                throw std::runtime_error("nothing listens on loopback port " + std::to_string(port) + ": " +
                                         err + (logPath.empty() ? "" : ReadFileBytes(logPath)));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }
}

int FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("no free loopback port");
    }
    close(fd);
    return ntohs(address.sin_port);
}

std::string Ser2netServer::ProgramPath() {
    for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"}) {
        if (access(path, X_OK) == 0) {
            return path;
        }
    }
    return {};
}

Ser2netServer::Ser2netServer(const std::vector<std::string>& devicePaths, const Ser2netTls& tls)
    : m_tls(!tls.certificate.empty()) {
    std::string security;
    std::string authentication;
    if (m_tls) {
        const bool clientAuthentication = !tls.clientUser.empty();
        security = "ssl(key=" + tls.key + ",cert=" + tls.certificate +
                   (clientAuthentication ? ",clientauth" : "") + "),";
        if (clientAuthentication) {
            const std::filesystem::path allowed = m_folder.path() / "auth" / tls.clientUser / "allowed_certs";
            std::filesystem::create_directories(allowed);
            std::filesystem::copy_file(tls.allowedForClient, allowed / "allowed.pem");
            // ser2net looks certificates up by their hash names, as in a CA folder.
            const ProgramResult rehash = RunProgram("/usr/bin/openssl", {"rehash", allowed.string()});
            if (rehash.exitCode != 0) {
                throw std::runtime_error("openssl rehash failed: " + rehash.err);
            }
            authentication = "    authdir: " + (m_folder.path() / "auth").string() + "\n";
        }
    }
    std::ofstream config(m_folder.file("ser2net.yaml"));
    for (std::size_t i = 0; i < devicePaths.size(); ++i) {
        m_tcpPorts.push_back(FreeLoopbackPort());
        // tcp(nodelay) and chardelay off: the server passes each reply on at once instead of waiting
        // for more bytes, which a request/reply protocol never sends (bench/network_bench shows it).
        config << "connection: &sensor" << i << "\n"
               << "  accepter: telnet(rfc2217)," << security << "tcp(nodelay),127.0.0.1," << m_tcpPorts.back()
               << "\n"
               << "  connector: serialdev," << devicePaths[i] << ",57600n81,local\n"
               << "  options:\n"
               << "    chardelay: false\n"
               << authentication;
    }
    config.close();
    const std::string program = ProgramPath();
    if (program.empty()) {
        throw std::runtime_error("ser2net is not installed");
    }
    // -n: stay in the foreground; -u: no UUCP lock files (a test needs none and may not write /var/lock).
    m_server = std::make_unique<RunningProgram>(
        program, std::vector<std::string>{"-n", "-u", "-c", m_folder.file("ser2net.yaml"), "-P",
                                          m_folder.file("pid")});
    WaitUntilListening(m_server, m_tcpPorts);
    // New network ports on loopback ports an earlier test used: no write to them is unfinished.
    for (std::size_t i = 0; i < m_tcpPorts.size(); ++i) {
        ClearWriteNote(CanonicalDevicePath(portName(i)));
    }
}

std::string Ser2netServer::portName(std::size_t index) const {
    return (m_tls ? "rfc2217s://127.0.0.1:" : "rfc2217://127.0.0.1:") + std::to_string(tcpPort(index));
}

}  // namespace torv::test
