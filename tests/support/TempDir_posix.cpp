#include <sys/mount.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>

#include "PosixTestFiles.h"
#include "TempDir.h"
#include "TestEnvironment.h"

void SetEnvironmentVariable(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

void UnsetEnvironmentVariable(const char* name) { unsetenv(name); }

bool IsPrivateFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 0777) == 0700;
}

bool RunHostCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return static_cast<mode_t>(-1);
  return st.st_mode & 07777;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  // The program ignores SIGXFSZ from its start, so that a write past the
  // limit fails instead of ending it; the test process meets the limit alike.
  signal(SIGXFSZ, SIG_IGN);
  ok_ = getrlimit(RLIMIT_FSIZE, &old_) == 0;
  rlimit lowered = old_;
  lowered.rlim_cur = bytes;
  ok_ = ok_ && setrlimit(RLIMIT_FSIZE, &lowered) == 0;
}

FileSizeLimit::~FileSizeLimit() {
  if (ok_) setrlimit(RLIMIT_FSIZE, &old_);
}

MountGuard::~MountGuard() { umount2(point.c_str(), MNT_DETACH); }
