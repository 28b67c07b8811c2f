#include "FileDates.h"

bool LocalTimeOf(int64_t unixTime, TLocalTime& local) {
  std::tm lt{};
  if (!LocalCalendarOf(static_cast<std::time_t>(unixTime), lt)) return false;
  local = {lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec};
  return true;
}

int64_t UnixTimeOf(const TLocalTime& local) {
  std::tm lt{};
  lt.tm_year = local.Year - 1900;
  lt.tm_mon = local.Month - 1;
  lt.tm_mday = local.Day;
  lt.tm_hour = local.Hour;
  lt.tm_min = local.Minute;
  lt.tm_sec = local.Second;
  lt.tm_isdst = -1;
  const std::time_t t = std::mktime(&lt);
  return t == static_cast<std::time_t>(-1) ? -1 : static_cast<int64_t>(t);
}
