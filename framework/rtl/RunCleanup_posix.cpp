#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "RunCleanup.h"

namespace {

enum : int { kFree, kClaimed, kFile, kFolder };

// A run watches at most a handful of paths at a time.
constexpr int kSlots = 16;

struct TSlot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};

TSlot slots[kSlots];

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the table without locks");

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

void RemoveWatched() {
  for (const int kind : {kFile, kFolder}) {
    for (TSlot& slot : slots) {
      if (slot.state.load(std::memory_order_acquire) != kind) continue;
      if (kind == kFile)
        unlink(slot.path);
      else
        rmdir(slot.path);
    }
  }
}

void OnEndingSignal(int sig) {
  RemoveWatched();
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  sigprocmask(SIG_UNBLOCK, &one, nullptr);
  raise(sig);
}

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kEndingSignals) sigaddset(&set, sig);
  return set;
}

}  // namespace

void RemoveRunFilesOnEndingSignals() {
  for (int sig : kEndingSignals) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction act {};
    act.sa_handler = OnEndingSignal;
    // While one ending signal is handled the others wait: the program ends
    // with the first.
    act.sa_mask = EndingSignals();
    sigaction(sig, &act, nullptr);
  }
}

bool TRunFile::Watch(const std::string& path, bool folder) {
  Forget();
  if (path.size() >= PATH_MAX) return false;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!slots[i].state.compare_exchange_strong(expected, kClaimed, std::memory_order_acq_rel)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].state.store(folder ? kFolder : kFile, std::memory_order_release);
    slot_ = i;
    return true;
  }
  return false;
}

void TRunFile::Forget() {
  if (slot_ < 0) return;
  slots[slot_].state.store(kFree, std::memory_order_release);
  slot_ = -1;
}

TEndingSignalsHeld::TEndingSignalsHeld() {
  static_assert(sizeof(sigset_t) <= sizeof old_, "room for a signal mask");
  const sigset_t set = EndingSignals();
  pthread_sigmask(SIG_BLOCK, &set, reinterpret_cast<sigset_t*>(old_));
}

TEndingSignalsHeld::~TEndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, reinterpret_cast<sigset_t*>(old_), nullptr); }
