#pragma once
// The playing thread's priority. The program speaks in the seven thread
// priority levels of its original platform:
//   -15 idle, -2 lowest, -1 below normal, 0 normal, 1 above normal,
//   2 highest, 15 time critical.
// On Windows they are the system's own values, and any other value becomes
// the nearest of the seven. On Linux they become, for the calling thread only:
//   -15 (and anything below -2)  SCHED_IDLE (niceness 19 where refused)
//   -2 / -1 / 0 / 1 / 2          niceness of the thread + 10 / + 5 / 0 / - 5 / - 10
//   15 (and anything above 2)    niceness -20
// Niceness is clamped to -20..19. Lowering it needs CAP_SYS_NICE or
// RLIMIT_NICE; without them the thread goes as far as the limit allows and
// otherwise keeps the niceness it started with. Real-time scheduling is never
// used: a thread decoding as fast as the processor allows must not be able
// to starve the desktop.

#include <cstdint>

// Applies `level` to the calling thread. Never fails: what the system
// refuses is left as it was.
void ApplyThreadPriority(int32_t level);
