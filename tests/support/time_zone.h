#pragma once
// Sets the C library's time zone (the TZ variable) for as long as it lives, and restores the one
// before. Give zones in the POSIX form ("JST-9" is UTC+9 without summer time): the Windows C library
// reads only that form, so the same test gives the same times on both.

#include <optional>
#include <string>

namespace torv::test {

class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    std::optional<std::string> m_saved;
};

}  // namespace torv::test
