#pragma once
// The C library's ctime text as the tool's files show dates: "Sat Jan 01 00:00:00 2000\n", always 24
// characters and a newline, with English names whatever the locale and the day of the month padded
// with a zero (glibc's own ctime pads it with a blank, so the text is built here).

#include <cstdint>
#include <ctime>
#include <string>

namespace torv {

inline constexpr std::size_t kCtimeTextLength = 25;  // newline included

// The text of a broken-down time.
std::string CtimeText(const std::tm& time);

// The text of an instant, in seconds after 1970-01-01 00:00:00 UTC, in the PC's local time.
std::string LocalCtimeText(std::int64_t secondsSinceEpoch);
// The text of a wall-clock reading counted in seconds from 1970-01-01 00:00:00, in no time zone:
// the same on every PC.
std::string WallClockCtimeText(std::int64_t secondsSince1970);

}  // namespace torv
