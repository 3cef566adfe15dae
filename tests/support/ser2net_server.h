#pragma once
// Debian's ser2net serving pseudo-terminals (torvsim's) on the loopback, each on a TCP port of its own
// with RFC 2217, as a device server serves a sensor's line on the plant network. One per test; its
// configuration and log live in a temporary folder.

#include <memory>
#include <string>
#include <vector>

#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

namespace torv::test {

// A TLS accepter: the server shows this certificate and, with a client user, asks for a client
// certificate: ser2net takes the certificate's CN as the user and accepts it only when it is in the
// user's allowed_certs folder (or signed by a CA there).
struct Ser2netTls {
    std::string certificate;  // empty: plain RFC 2217
    std::string key;
    std::string clientUser;        // empty: no client certificate asked for
    std::string allowedForClient;  // a certificate (or its CA) put in the user's allowed_certs
};

class Ser2netServer {
  public:
    // Serves each device at 57600 baud, 8 data bits, no parity, one stop bit, until destroyed.
    explicit Ser2netServer(const std::vector<std::string>& devicePaths, const Ser2netTls& tls = {});
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    // "rfc2217://127.0.0.1:PORT" (rfc2217s:// with TLS) for the device at `index`.
    std::string portName(std::size_t index = 0) const;
    int tcpPort(std::size_t index = 0) const { return m_tcpPorts.at(index); }

    // The ser2net program, or empty when it is not installed.
    static std::string ProgramPath();

  private:
    TempDir m_folder;
    bool m_tls = false;
    std::vector<int> m_tcpPorts;
    std::unique_ptr<RunningProgram> m_server;  // killed with the server object
};

// A loopback TCP port that nothing listens on right now.
int FreeLoopbackPort();
// Waits up to 10 s until something listens on each port; otherwise kills the server and throws with its
// stderr and the log at `logPath`.
void WaitUntilListening(std::unique_ptr<RunningProgram>& server, const std::vector<int>& ports,
                        const std::string& logPath = {});

}  // namespace torv::test
