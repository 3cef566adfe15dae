#pragma once
// What the transfer benchmarks share: one device operation run against torvsim and timed, and the time
// bytes need on the line.

#include <string>

namespace torv::bench {

inline constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

struct TimedOperation {
    bool completed = false;
    double elapsedSeconds = 0;
};

// Runs operation `code` on the sensor tied to `port` at `baudIndex`, on the file `name`, every question
// answered Yes; a failure is printed on stderr.
TimedOperation RunTimedOperation(int port, int code, int baudIndex, const std::string& name,
                                 int ngDataNumber = 1);

// The seconds `bytes` need on the line at `rate` baud.
double WireSeconds(double bytes, int rate);

}  // namespace torv::bench
