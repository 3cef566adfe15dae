#include "tests/support/time_zone.h"

#include <cstdlib>
#include <ctime>

namespace torv::test {
namespace {

// nullptr removes the variable.
void SetZone(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone != nullptr ? zone : "");
    _tzset();
#else
    if (zone != nullptr) {
        setenv("TZ", zone, 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
#endif
}

}  // namespace

ScopedTimeZone::ScopedTimeZone(const char* zone) {
    if (const char* saved = std::getenv("TZ"); saved != nullptr) {
        m_saved = saved;
    }
    SetZone(zone);
}

ScopedTimeZone::~ScopedTimeZone() {
    SetZone(m_saved ? m_saved->c_str() : nullptr);
}

}  // namespace torv::test
