#include "ProcessStart.h"
#include "RunCleanup.h"
#include "Win32_win.h"

void PrepareProcess() {
  // A drive without its disc or a failing device is an error code for the
  // file services, never a system dialog in the middle of a command.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  RemoveRunFilesOnEndingSignals();
}
