// Sensors on the network, against torvsim emulating wire time:
//  1. a parameter read through ser2net on the loopback (RFC 2217) next to the same read on the
//     pseudo-terminal directly, at 57600 baud: the server's hop should cost at most 10 % (ratio >= 0.9);
//  2. `torvctl fleet read` of 8 sensors at 115200 baud next to `torvctl params read` of one: the
//     sensors run in parallel, so the fleet should take at most 1.5 times one read. Also the same
//     fleet behind one ser2net, as 8 sensors on one device server;
//  3. the parameter read through a ser2net TLS accepter with client authentication (rfc2217s://) next
//     to plain RFC 2217 through the same server, and the cost of opening each (TCP, the Telnet
//     negotiation and, for TLS, the handshake with its certificate checks).

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "link/com_device.h"
#include "link/port_names.h"
#include "operations/device_operations.h"
#include "tests/support/plant_ca.h"
#include "tests/support/scripted_host.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/simulated_sensor.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 3;  // the best of these counts: the machine is shared
constexpr int kFleetSize = 8;
constexpr int kReadExchanges = 2 + 12 + 16 * 36;
constexpr int kExchangeBits = 8 * 10;  // a 4-byte command and a 4-byte reply, 10 bits a byte

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One parameter read through the engine on `port`; 0 when it failed.
double TimedRead(int port, int baudIndex, const std::string& name) {
    torv::OperationState state;
    state.OperationCode = torv::kReadParameters;
    state.ComPortNumber = port;
    state.BaudIndex = baudIndex;
    state.OperationFileName = name;
    torv::test::ScriptedHost host;
    host.answers = {true, true, true, true};
    const auto start = Clock::now();
    const torv::OperationReport report = torv::RunOperationOfState(state, host);
    if (report.outcome != torv::OperationOutcome::kCompleted) {
        std::fprintf(stderr, "read: %s\n", report.text.c_str());
        return 0;
    }
    return Seconds(start);
}

void ReadThroughTheServer() {
    constexpr int kBaudIndex = 4;  // 57600
    constexpr int kDirectPort = 21;
    constexpr int kNetworkPort = 22;
    torv::test::TempDir folder;
    torv::test::SimulatedSensor direct({"--wire-time"}, kDirectPort);
    torv::test::SimulatedSensor served({"--wire-time"}, kNetworkPort);
    const torv::test::Ser2netServer server({served.devicePath()});
    torv::SetComPortDevicePath(kNetworkPort, server.portName());
    double best[2] = {1e9, 1e9};
    for (int round = 0; round < kRounds; ++round) {
        best[0] = std::min(best[0], TimedRead(kDirectPort, kBaudIndex, folder.file("direct")));
        best[1] = std::min(best[1], TimedRead(kNetworkPort, kBaudIndex, folder.file("network")));
    }
    const double wire = static_cast<double>(kReadExchanges) * kExchangeBits / 57600;
    std::printf(
        "parameter read at 57600 baud: wire time %.3f s, pseudo-terminal %.3f s, through ser2net %.3f s, "
        "ratio %.3f\n",
        wire, best[0], best[1], best[0] / best[1]);
}

double TimedTorvctl(const std::vector<std::string>& arguments) {
    const auto start = Clock::now();
    const torv::test::ProgramResult result = torv::test::RunProgram(TORVCTL_PATH, arguments);
    if (result.exitCode != 0) {
        std::fprintf(stderr, "torvctl: %s%s\n", result.out.c_str(), result.err.c_str());
        return 0;
    }
    return Seconds(start);
}

void FleetRead() {
    torv::test::TempDir folder;
    std::vector<std::unique_ptr<torv::test::SimulatedSensor>> sensors;
    std::vector<std::string> devices;
    for (int i = 0; i < kFleetSize; ++i) {
        sensors.push_back(std::make_unique<torv::test::SimulatedSensor>(
            std::vector<std::string>{"--wire-time", "--baud", "115200"}, 31 + i));
        devices.push_back(sensors.back()->devicePath());
    }
    std::string direct;
    for (int i = 0; i < kFleetSize; ++i) {
        direct +=
            "sensor-" + std::to_string(i + 1) + ' ' + devices[static_cast<std::size_t>(i)] + " 115200\n";
    }
    torv::test::WriteFileBytes(folder.file("direct.txt"), direct);
    double one = 1e9;
    double fleet = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        one = std::min(one, TimedTorvctl({"--yes", "--port", devices[0], "--baud", "115200", "params", "read",
                                          folder.file("one")}));
        fleet = std::min(fleet, TimedTorvctl({"--yes", "fleet", "read", folder.file("direct.txt"),
                                              folder.file("direct")}));
    }
    std::printf("fleet read of %d sensors at 115200 baud: one read %.3f s, fleet %.3f s, fleet / one %.2f\n",
                kFleetSize, one, fleet, fleet / one);

    // The same sensors on one device server: each its own TCP port, all at once.
    const torv::test::Ser2netServer server(devices);
    std::string served;
    for (int i = 0; i < kFleetSize; ++i) {
        served += "sensor-" + std::to_string(i + 1) + ' ' + server.portName(static_cast<std::size_t>(i)) +
                  " 115200\n";
    }
    torv::test::WriteFileBytes(folder.file("served.txt"), served);
    double networkOne = 1e9;
    double networkFleet = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        networkOne = std::min(networkOne, TimedTorvctl({"--yes", "--port", server.portName(0), "--baud",
                                                        "115200", "params", "read", folder.file("one")}));
        networkFleet = std::min(
            networkFleet,
            TimedTorvctl({"--yes", "fleet", "read", folder.file("served.txt"), folder.file("served")}));
    }
    std::printf("the same through one ser2net: one read %.3f s, fleet %.3f s, fleet / one %.2f\n", networkOne,
                networkFleet, networkFleet / networkOne);
}

// The best time of `rounds` opens (and closes) of a network port.
double BestOpen(const std::string& name, int rounds) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        std::unique_ptr<torv::ComDevice> device = torv::OpenNetworkComDevice(name);
        const double seconds = Seconds(start);
        if (!device) {
            std::fprintf(stderr, "open %s failed\n", name.c_str());
            return 0;
        }
        device->close();
        best = std::min(best, seconds);
    }
    return best;
}

void ReadOverTls() {
    constexpr int kBaudIndex = 4;  // 57600
    constexpr int kPlainPort = 23;
    constexpr int kTlsPort = 24;
    constexpr int kOpenRounds = 10;
    torv::test::PlantCa ca;
    const torv::test::IssuedCertificate server = ca.issue("server", "bench-srv", "IP:127.0.0.1");
    const torv::test::IssuedCertificate client = ca.issue("client", "bench-pc");
    torv::test::TempDir tls;
    namespace fs = std::filesystem;
    fs::copy_file(ca.caFile(), tls.file("ca.pem"));
    fs::copy_file(client.certificate, tls.file("cert.pem"));
    fs::copy_file(client.key, tls.file("key.pem"));
    chmod(tls.file("key.pem").c_str(), 0600);
    setenv("TORV_TLS_DIR", tls.path().string().c_str(), 1);

    torv::test::TempDir folder;
    torv::test::SimulatedSensor plainSensor({"--wire-time"}, kPlainPort);
    torv::test::SimulatedSensor tlsSensor({"--wire-time"}, kTlsPort);
    const torv::test::Ser2netServer plain({plainSensor.devicePath()});
    const torv::test::Ser2netServer secured({tlsSensor.devicePath()},
                                            {server.certificate, server.key, "bench-pc", ca.caFile()});
    torv::SetComPortDevicePath(kPlainPort, plain.portName());
    torv::SetComPortDevicePath(kTlsPort, secured.portName());
    double best[2] = {1e9, 1e9};
    for (int round = 0; round < kRounds; ++round) {
        best[0] = std::min(best[0], TimedRead(kPlainPort, kBaudIndex, folder.file("plain")));
        best[1] = std::min(best[1], TimedRead(kTlsPort, kBaudIndex, folder.file("tls")));
    }
    std::printf("parameter read at 57600 baud through ser2net: plain %.3f s, TLS %.3f s, ratio %.3f\n",
                best[0], best[1], best[0] / best[1]);
    const double plainOpen = BestOpen(plain.portName(), kOpenRounds);
    const double tlsOpen = BestOpen(secured.portName(), kOpenRounds);
    std::printf(
        "opening the port (best of %d): plain %.1f ms, TLS %.1f ms, the handshake and checks %.1f ms\n",
        kOpenRounds, plainOpen * 1000, tlsOpen * 1000, (tlsOpen - plainOpen) * 1000);
}

}  // namespace

int main() {
    if (!torv::NetworkPortsAvailable() || torv::test::Ser2netServer::ProgramPath().empty()) {
        std::fprintf(stderr, "needs network ports (libgensio) and ser2net\n");
        return 0;
    }
    ReadThroughTheServer();
    FleetRead();
    ReadOverTls();
    return 0;
}
