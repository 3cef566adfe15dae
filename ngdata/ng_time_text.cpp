#include "ngdata/ng_time_text.h"

#include "files/ctime_text.h"

namespace torv {
namespace {

constexpr std::int64_t kDaysFrom1970ToDayZero = 10957;  // 1 Jan 2000
constexpr std::int64_t kMinutesPerDay = 1440;
constexpr std::int64_t kSecondsPerMinute = 60;

// Pieces of the ctime text.
constexpr std::size_t kDateHeadLength = 10;  // "Sat Jan 01"
constexpr std::size_t kYearTailStart = 20;   // "2000\n"
constexpr std::size_t kTimeStart = 11;       // "hh:mm"
constexpr std::size_t kTimeLength = 5;

std::string TextOfMinutes(std::int64_t minutes) {
    return WallClockCtimeText(minutes * kSecondsPerMinute);
}

}  // namespace

std::string NgDateTimeText(std::uint16_t day, std::uint16_t minute) {
    return TextOfMinutes((day + kDaysFrom1970ToDayZero) * kMinutesPerDay + minute);
}

std::string NgDateText(std::uint16_t day) {
    const std::string text = NgDateTimeText(day, 0);
    return text.substr(0, kDateHeadLength) + " " + text.substr(kYearTailStart);
}

std::string NgTimeText(std::uint16_t minute) {
    return TextOfMinutes(minute).substr(kTimeStart, kTimeLength);
}

}  // namespace torv
