#include "files/ctime_text.h"

#include <array>
#include <cstdio>

namespace torv {
namespace {

constexpr std::array<const char*, 7> kWeekdays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int kTmYearBase = 1900;
// A time the C library cannot convert still gives a text of the right length.
constexpr const char* kUnknownTime = "??? ??? ?? ??:??:?? ????\n";

template <std::size_t N>
const char* NameOf(const std::array<const char*, N>& names, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N ? names[static_cast<std::size_t>(index)] : "???";
}

}  // namespace

std::string CtimeText(const std::tm& time) {
    const long long year = static_cast<long long>(time.tm_year) + kTmYearBase;
    if (year < 0 || year > 9999) {
        return kUnknownTime;
    }
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.3s %.3s %02d %02d:%02d:%02d %04lld\n",
                  NameOf(kWeekdays, time.tm_wday), NameOf(kMonths, time.tm_mon), time.tm_mday % 100,
                  time.tm_hour % 100, time.tm_min % 100, time.tm_sec % 100, year);
    return text.data();
}

std::string LocalCtimeText(std::int64_t secondsSinceEpoch) {
    const auto instant = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
#ifdef _WIN32
    const bool converted = localtime_s(&local, &instant) == 0;
#else
    const bool converted = localtime_r(&instant, &local) != nullptr;
#endif
    return converted ? CtimeText(local) : std::string(kUnknownTime);
}

std::string WallClockCtimeText(std::int64_t secondsSince1970) {
    const auto instant = static_cast<std::time_t>(secondsSince1970);
    std::tm clock{};
#ifdef _WIN32
    const bool converted = gmtime_s(&clock, &instant) == 0;
#else
    const bool converted = gmtime_r(&instant, &clock) != nullptr;
#endif
    return converted ? CtimeText(clock) : std::string(kUnknownTime);
}

}  // namespace torv
