#pragma once
// The clock setting (`kSetClock`): copies the PC's local date and time into the sensor's built-in calendar.

#include <array>
#include <cstdint>
#include <ctime>

#include "engine/operation_run.h"

namespace torv {

inline constexpr int kCalendarRegisterCount = 16;
inline constexpr int kCalendarFirstWord = 896;  // words 896..903 are cleared before the registers are set
inline constexpr int kCalendarWordCount = 8;

// The 16 register values for a local time: seconds, minutes, hours, day, month and two-digit year in
// packed BCD at registers 2, 3, 4, 5, 7 and 8; every other register 0 (the weekday is not set).
std::array<std::uint8_t, kCalendarRegisterCount> CalendarRegisters(const std::tm& local);

void SetClockOperation(OperationRun& run);

}  // namespace torv
