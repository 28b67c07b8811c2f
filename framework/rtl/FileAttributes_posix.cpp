// A file's existence, attributes and date on Linux's system calls.
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "ErrnoCodes_posix.h"
#include "FileOpening.h"
#include "FileServices.h"
#include "PathUtils.h"

namespace {

int Fail(int code) { return SetLastOSError(code); }

int Fd(THandle h) { return static_cast<int>(h); }

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

}  // namespace

// The date rule is the platform's: see FileChecks.h.
bool FileExists(const std::string& name) {
  struct stat st;
  if (name.empty()) {
    Fail(3);
    return false;
  }
  if (stat(name.c_str(), &st) != 0) {
    Fail(PathErrorCode(name, errno));
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    Fail(2);
    return false;
  }
  return UnixToFileDate(static_cast<int64_t>(st.st_mtime)) != -1;
}

int FileGetAttr(const std::string& name) {
  struct stat st;
  if (name.empty()) {
    Fail(3);
    return -1;
  }
  if (stat(name.c_str(), &st) != 0) {
    Fail(PathErrorCode(name, errno));
    return -1;
  }
  int attr = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
  if (IsReadOnlyMode(st.st_mode)) attr |= faReadOnly;
  return attr;
}

int FileSetAttr(const std::string& name, int attr) {
  struct stat st;
  if (name.empty()) return Fail(3);
  if (stat(name.c_str(), &st) != 0) return Fail(PathErrorCode(name, errno));
  const mode_t perms = st.st_mode & 07777;
  mode_t wanted = perms;
  if (attr & faReadOnly) {
    wanted = perms & ~kAnyWriteBit;
  } else if (IsReadOnlyMode(perms)) {
    wanted = perms | S_IWUSR;
  }
  if (wanted != perms && chmod(name.c_str(), wanted) != 0) return Fail(PathErrorCode(name, errno));
  return 0;
}

int FileGetDate(THandle h) {
  struct stat st;
  if (fstat(Fd(h), &st) != 0) {
    Fail(ErrnoToWinError(errno));
    return -1;
  }
  const int age = UnixToFileDate(static_cast<int64_t>(st.st_mtime));
  if (age == -1) Fail(87);
  return age;
}

int FileSetDate(THandle h, int age) {
  const int64_t t = FileDateToUnix(age);
  if (t == -1) return Fail(87);
  const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(t), 0}};
  if (futimens(Fd(h), times) != 0) return Fail(ErrnoToWinError(errno));
  return 0;
}
