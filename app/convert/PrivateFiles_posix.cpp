#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "ErrnoCodes_posix.h"
#include "ErrorCodes.h"
#include "FileOpening.h"
#include "FileServices.h"
#include "PrivateFileSteps.h"

namespace {

int Fd(THandle h) { return static_cast<int>(h); }

}  // namespace

std::string TemporaryRoot() {
  const char* tmp = std::getenv("TMPDIR");
  std::string root = tmp != nullptr && *tmp != '\0' ? std::string(tmp) : std::string("/tmp");
  // Without the slashes that end it, so the paths the user reads are plain.
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

std::string MakePrivateFolder(const std::string& root) {
  std::string pattern = root + "/vantrel-XXXXXX";
  // mkdtemp makes the folder with mode 0700.
  if (mkdtemp(pattern.data()) == nullptr) {
    SetLastOSError(PathErrorCode(root, errno));
    return std::string();
  }
  return pattern;
}

int CreateNewEmptyFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return PathErrorCode(path, errno);
  close(fd);
  return 0;
}

int RemoveFolderIfThere(const std::string& path) {
  return rmdir(path.c_str()) != 0 && errno != ENOENT ? PathErrorCode(path, errno) : 0;
}

int KeepDateAndMode(THandle in, THandle out) {
  struct stat source {};
  if (fstat(Fd(in), &source) != 0) return ErrnoToWinError(errno);
  const timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
  if (futimens(Fd(out), times) != 0) return ErrnoToWinError(errno);
  if (fchmod(Fd(out), source.st_mode & 07777) != 0) return ErrnoToWinError(errno);
  return 0;
}

int NameWithoutReplacing(const std::string& path, const std::string& name, bool* moved) {
  *moved = false;
  if (link(path.c_str(), name.c_str()) == 0) return 0;
  if (errno == EEXIST) return ErrorCode::FileExists;
  // A file system without hard links: the rename takes the hidden name away.
  if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
    *moved = true;
    return 0;
  }
  return errno == EEXIST ? ErrorCode::FileExists : PathErrorCode(name, errno);
}
