#pragma once
// The simulated sensor on a pseudo-terminal: reads the tool's bytes, feeds them to the protocol machine
// and puts the replies on the line, at the right rate, at the right time, as the fault plan shapes them.
// Everything that needs I/O or the clock lives here.

#include <csignal>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/exchange_log.h"
#include "sim/port_link.h"
#include "sim/protocol_machine.h"

namespace torv::sim {

struct ServerOptions {
    std::string linkName;   // "COMn", or empty for no link
    std::string statePath;  // saved at `U` and at exit; empty for none
    std::string logPath;    // exchange log; empty for none
    bool wireTime = false;  // deliver replies no faster than the line could carry them
    bool verbose = false;   // trace bytes and events on stderr
};

enum class ServerResult {
    kOk,
    kPtyFailed,
    kLinkFailed,
    kLogFailed,
};

class PtyServer {
  public:
    PtyServer(SensorModel& model, const FaultPlan& faults, ServerOptions options);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pty, holds its slave side in raw mode at the sensor's rate, creates the link and the log,
    // then prints the slave's path as the first line on stdout.
    ServerResult open();

    // Serves until SIGTERM, SIGINT or SIGHUP, or a hang-up fault; then saves the state and removes the
    // link. Returns the process exit code.
    int run();

  private:
    bool handleInput(std::span<const std::uint8_t> bytes, SimTime now);
    void answer(const ProtocolEvent& event);
    SimTime deliveryTime(const ProtocolEvent& event) const;
    void awaitToolRate();
    void send(const std::vector<std::uint8_t>& reply);
    // Sends the reply a byte at a time, 900 ms apart, and filler after it, until the tool sends again
    // or a stop signal arrives.
    void sendEndlessly(const std::vector<std::uint8_t>& reply);
    void writeAll(const std::vector<std::uint8_t>& bytes);
    void saveState();
    int finish();
    void showPanel(const ProtocolEvent& event) const;
    void trace(const std::string& text) const;
    void traceBytes(const char* direction, std::span<const std::uint8_t> bytes) const;

    SensorModel& m_model;
    ProtocolMachine m_machine;
    ServerOptions m_options;
    ExchangeLog m_log;
    PortLink m_link;
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
    sigset_t m_servingMask{};  // the signal mask while waiting for input: stop signals let through
};

}  // namespace torv::sim
