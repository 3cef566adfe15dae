#include "monitor/iso_time.h"

#include <cstdio>
#include <ctime>

namespace torv {

namespace {

// The zone is worked out from the local and UTC calendars of the same moment, not with strftime's %z,
// which some C libraries on Windows fill with the zone's name.
int MinutesAheadOfUtc(const std::tm& local, const std::tm& utc) {
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year) {
        days = local.tm_year > utc.tm_year ? 1 : -1;
    }
    return days * 24 * 60 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
}

}  // namespace

std::string IsoLocalTimeText(std::chrono::system_clock::time_point moment) {
    const auto sinceEpoch = moment.time_since_epoch();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch)));
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    std::tm local{};
    std::tm utc{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
    gmtime_s(&utc, &seconds);
#else
    localtime_r(&seconds, &local);
    gmtime_r(&seconds, &utc);
#endif
    const int ahead = MinutesAheadOfUtc(local, utc);
    const int offset = ahead < 0 ? -ahead : ahead;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(milliseconds), ahead < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

}  // namespace torv
