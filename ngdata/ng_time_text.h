#pragma once
// The sensor's day and minute numbers as the NG files show them. Day 0, minute 0 is midnight at the
// start of 1 Jan 2000 on the sensor's own calendar, which the tool sets to the PC's wall clock: the
// texts are that wall clock, the same on a PC in any time zone (and what the product's print reads).

#include <cstdint>
#include <string>

namespace torv {

// The whole ctime text of a day and minute, its newline included: "Sat Jan 01 00:00:00 2000\n".
std::string NgDateTimeText(std::uint16_t day, std::uint16_t minute);
// A date alone, as the files write it: the date head, a blank and the year tail with its newline
// ("Sat Jan 01 2000\n").
std::string NgDateText(std::uint16_t day);
// A time alone: "hh:mm".
std::string NgTimeText(std::uint16_t minute);

}  // namespace torv
