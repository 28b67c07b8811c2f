#pragma once
// Local calendar time for the DOS date code of the file services: the
// system's time zone rules, which differ in how each system is asked.

#include <cstdint>
#include <ctime>

struct TLocalTime {
  int Year = 0;   // e.g. 2026
  int Month = 0;  // 1..12
  int Day = 0;    // 1..31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;  // 0..60
};

// The local time of a time in seconds since the epoch; false when the system
// cannot say.
bool LocalTimeOf(int64_t unixTime, TLocalTime& local);
// Seconds since the epoch of a local time (daylight saving as the system
// knows it); -1 when there is none.
int64_t UnixTimeOf(const TLocalTime& local);

// The system's half: the local calendar time of t, thread-safe (localtime_r
// on Linux, localtime_s on Windows).
bool LocalCalendarOf(std::time_t t, std::tm& local);
