#pragma once
// The PC's local time as ISO 8601 with milliseconds and the zone, e.g. 2026-12-08T14:03:07.251+09:00:
// a script can sort it as text and knows which moment it names wherever the log is read.

#include <chrono>
#include <string>

namespace torv {

std::string IsoLocalTimeText(std::chrono::system_clock::time_point moment);

}  // namespace torv
