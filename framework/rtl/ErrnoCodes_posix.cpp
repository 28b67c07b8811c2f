// errno mapped onto the platform codes of the error table, and the limits
// and read-only rule of Linux's files.
#include <limits.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "ErrnoCodes_posix.h"
#include "FileChecks.h"
#include "FileServices.h"
#include "PathUtils.h"

namespace {

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

}  // namespace

bool IsReadOnlyMode(mode_t mode) { return (mode & kAnyWriteBit) == 0; }

size_t LongestFileName() { return NAME_MAX; }
size_t LongestPathName() { return PATH_MAX - 1; }

// errno to the codes of the platform's error table. ENOENT is 2 here; callers
// that know the path turn it into 3 when the folder is missing (PathErrorCode).
int ErrnoToWinError(int err) {
  switch (err) {
    case 0:
      return 0;
    case ENOENT:
      return 2;  // file not found
    case ENOTDIR:
      return 3;  // path not found: a part of it is no folder
    case EMFILE:
    case ENFILE:
      return 4;  // too many open files
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return 5;  // access denied
    case EBADF:
      return 6;  // invalid handle
    case ENOMEM:
      return 8;  // not enough memory
    case EXDEV:
      return 17;  // not the same device
    case ENXIO:
    case ENODEV:
      return 21;  // device not ready
    case EWOULDBLOCK:
    case ETXTBSY:
      return 32;  // sharing violation
    case EEXIST:
      return 80;  // file exists
    case EINVAL:
    case EOVERFLOW:
      return 87;  // invalid parameter
    case EPIPE:
      return 109;  // broken pipe
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return 112;  // disk full (EFBIG: the file size limit)
    case ESPIPE:
      return 132;  // seek on a device
    case ENOTEMPTY:
      return 145;  // folder not empty
    case EBUSY:
      return 170;  // busy
    case ENAMETOOLONG:
      return 206;  // name too long
    case EIO:
      return 1117;  // device I/O error
    case ELOOP:
      return 1921;  // name cannot be resolved
    default:
      return 31;  // general failure
  }
}

int PathErrorCode(const std::string& name, int err) {
  if (err != ENOENT) return ErrnoToWinError(err);
  std::string folder = ExtractFilePath(name);
  if (folder.empty()) return 2;
  while (folder.size() > 1 && folder.back() == PathDelim) folder.pop_back();
  return FolderExists(folder) ? 2 : 3;
}
