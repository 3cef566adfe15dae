#pragma once
// The exchange log (`--log FILE`): one line per frame the sensor received, appended and flushed at once,
// so a test can read it while the simulator still runs.
//
//   12 R 00 00                 exchange 12: command letter and the two data bytes in hex
//   13 W 34 12 fault=nak       the same, when a fault shaped the reply
//   14 Y 00 00 judged=NG trailer=0A32...   a `Y` that reported a new judgement, and the trailer sent
//   nak 52 00 00 AC            a frame answered with NAK (bad checksum or unknown command)
//   garbage 4                  bytes dropped because the tool's line rate differed from the sensor's
//   garbage-out 4              reply bytes that went out as zeros for the same reason

#include <cstdio>
#include <string>

#include "sim/protocol_machine.h"

namespace torv::sim {

// The line for a completed frame (without the newline); empty for a pending one.
std::string FormatEventLine(const ProtocolEvent& event);
std::string FormatGarbageLine(std::size_t count, bool outgoing);

class ExchangeLog {
  public:
    ExchangeLog() = default;
    ~ExchangeLog();
    ExchangeLog(const ExchangeLog&) = delete;
    ExchangeLog& operator=(const ExchangeLog&) = delete;

    // Opens for appending; false when the file cannot be opened.
    bool open(const std::string& path);
    void write(const std::string& line);

  private:
    std::FILE* m_file = nullptr;
};

}  // namespace torv::sim
