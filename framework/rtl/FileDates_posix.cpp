#include "FileDates.h"

bool LocalCalendarOf(std::time_t t, std::tm& local) { return localtime_r(&t, &local) != nullptr; }
