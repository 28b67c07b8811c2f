#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "ErrnoCodes_posix.h"
#include "FileReplacementSteps.h"

namespace {

int Fd(THandle h) { return static_cast<int>(h); }

}  // namespace

// The replaced file's permission bits, and its owner and group as far as
// the user may give them, so that a replaced game file is still readable by
// whoever could read it before, and by nobody else.
int KeepAttributesOf(THandle h, const std::string& target) {
  struct stat old {};
  if (stat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return 0;
  if (old.st_uid != geteuid() || old.st_gid != getegid()) {
    // Only root gives a file away; a user may still give it one of their groups.
    // Failing both, the new file stays the user's own.
    static_cast<void>(fchown(Fd(h), old.st_uid, old.st_gid) == 0 ||
                      fchown(Fd(h), static_cast<uid_t>(-1), old.st_gid) == 0);
  }
  if (fchmod(Fd(h), old.st_mode & 07777) != 0) return ErrnoToWinError(errno);
  return 0;
}

int RemoveFileIfThere(const std::string& path) {
  return unlink(path.c_str()) != 0 && errno != ENOENT ? PathErrorCode(path, errno) : 0;
}

int PutInPlace(const std::string& path, const std::string& target) {
  return rename(path.c_str(), target.c_str()) != 0 ? PathErrorCode(target, errno) : 0;
}
