#include <windows.h>

#include <cstdlib>

#include "ThreadPriority.h"

// The seven levels are the system's own thread priorities; any other value
// becomes the nearest of them (-8 is lowest, -9 idle, 8 highest, 9 time
// critical), never one of the values only real-time processes may use.
void ApplyThreadPriority(int32_t level) {
  static constexpr int kLevels[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL,
                                    THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL,
                                    THREAD_PRIORITY_HIGHEST,      THREAD_PRIORITY_TIME_CRITICAL};
  int nearest = kLevels[0];
  for (const int candidate : kLevels)
    if (std::llabs(static_cast<long long>(candidate) - level) < std::llabs(static_cast<long long>(nearest) - level))
      nearest = candidate;
  SetThreadPriority(GetCurrentThread(), nearest);
}
