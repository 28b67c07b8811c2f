#include "ProcessStart.h"
#include "RunCommandLine.h"

// The command line alone, for a system where the window is not built.
int main(int argc, char** argv) {
  PrepareProcess();
  return RunCommandLine(argc, argv);
}
