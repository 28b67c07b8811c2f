#include "ThreadPriority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

int NiceOffset(int32_t level) {
  switch (level) {
    case -2:
      return 10;
    case -1:
      return 5;
    case 0:
      return 0;
    case 1:
      return -5;
    case 2:
      return -10;
    default:
      return level < 0 ? 19 : -40;  // clamped below
  }
}

bool SetNice(pid_t tid, int value) { return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), value) == 0; }

}  // namespace

void ApplyThreadPriority(int32_t level) {
  const pid_t tid = gettid();
  if (level < -2) {
    sched_param none{};
    none.sched_priority = 0;
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &none) == 0) return;
  }
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (current == -1 && errno != 0) return;
  const int target = std::clamp(current + NiceOffset(level), -20, 19);
  if (target == current || SetNice(tid, target)) return;
  // Refused: go as far as RLIMIT_NICE allows (its limit is 20 - niceness).
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0) return;
  const int floor = 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
  if (floor < current) SetNice(tid, std::max(target, floor));
}
