#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "ProcessStart.h"
#include "RunCleanup.h"

namespace {

void OpenMissingStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() takes the lowest free descriptor: this one.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) close(opened);
  }
}

}  // namespace

void PrepareProcess() {
  OpenMissingStandardStreams();
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  RemoveRunFilesOnEndingSignals();
}
