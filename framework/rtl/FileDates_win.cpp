#include "FileDates.h"

// The C run-time's time zone rules, which follow the system's settings.
bool LocalCalendarOf(std::time_t t, std::tm& local) { return localtime_s(&local, &t) == 0; }
