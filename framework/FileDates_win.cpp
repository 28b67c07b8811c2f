#include <ctime>

#include "FileDates.h"

// The C run-time's time zone rules, which follow the system's settings.
bool LocalTimeOf(int64_t unixTime, TLocalTime& local) {
  const __time64_t t = static_cast<__time64_t>(unixTime);
  struct tm lt;
  if (_localtime64_s(&lt, &t) != 0) return false;
  local = {lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec};
  return true;
}

int64_t UnixTimeOf(const TLocalTime& local) {
  struct tm lt = {};
  lt.tm_year = local.Year - 1900;
  lt.tm_mon = local.Month - 1;
  lt.tm_mday = local.Day;
  lt.tm_hour = local.Hour;
  lt.tm_min = local.Minute;
  lt.tm_sec = local.Second;
  lt.tm_isdst = -1;
  const __time64_t t = _mktime64(&lt);
  return t == -1 ? -1 : static_cast<int64_t>(t);
}
