// On Windows the ending "signals" are the console's control events (Ctrl+C,
// Ctrl+Break, the console window closed, log-off, shut-down). The system
// calls the handler on a thread of its own, so the handler and the code that
// creates and watches a file take one lock instead of blocking signals.
#include <mutex>
#include <string>

#include "RunCleanup.h"
#include "Win32_win.h"

namespace {

constexpr int kSlots = 16;

struct TSlot {
  bool used = false;
  bool folder = false;
  std::string path;
};

std::recursive_mutex& TableLock() {
  static std::recursive_mutex lock;
  return lock;
}

TSlot slots[kSlots];

void RemoveWatched() {
  for (const bool folders : {false, true}) {
    for (TSlot& slot : slots) {
      if (!slot.used || slot.folder != folders) continue;
      const std::wstring path = Widen(slot.path);
      if (folders)
        RemoveDirectoryW(path.c_str());
      else
        DeleteFileW(path.c_str());
    }
  }
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: {
      // Held for good: nothing new is created once the program ends.
      TableLock().lock();
      RemoveWatched();
      ExitProcess(STATUS_CONTROL_C_EXIT);
    }
    default:
      return FALSE;
  }
}

}  // namespace

void RemoveRunFilesOnEndingSignals() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool TRunFile::Watch(const std::string& path, bool folder) {
  Forget();
  std::lock_guard<std::recursive_mutex> hold(TableLock());
  for (int i = 0; i < kSlots; ++i) {
    if (slots[i].used) continue;
    slots[i] = {true, folder, path};
    slot_ = i;
    return true;
  }
  return false;
}

void TRunFile::Forget() {
  if (slot_ < 0) return;
  std::lock_guard<std::recursive_mutex> hold(TableLock());
  slots[slot_] = {};
  slot_ = -1;
}

TEndingSignalsHeld::TEndingSignalsHeld() { TableLock().lock(); }

TEndingSignalsHeld::~TEndingSignalsHeld() { TableLock().unlock(); }
