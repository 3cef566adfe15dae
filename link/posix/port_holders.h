#pragma once
// Which programs hold a device open, as far as this user may see (/proc/PID/fd), for the message
// that a port is in use.

#include <string>

namespace torv {

// "torvsim (pid 4242)", several joined by ", "; empty when none can be seen.
std::string ProgramsHolding(const std::string& devicePath);

}  // namespace torv
