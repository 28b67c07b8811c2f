// Deleting and copying a file on Linux's system calls.
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

}  // namespace

bool DeleteFile(const std::string& name) {
  struct stat st;
  if (name.empty()) {
    Fail(3);
    return false;
  }
  if (lstat(name.c_str(), &st) != 0) {
    Fail(PathErrorCode(name, errno));
    return false;
  }
  // A read-only file is refused, as the platform refuses to delete one.
  if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && IsReadOnlyMode(st.st_mode))) {
    Fail(5);
    return false;
  }
  if (unlink(name.c_str()) != 0) {
    Fail(PathErrorCode(name, errno));
    return false;
  }
  return true;
}

bool CopyFile(const std::string& source, const std::string& dest, bool failIfExists) {
  int code = 0;
  const THandle inFile =
      OpenPlatformFile(source, TOpenAccess::Read, TOpenSharing::ReadWrite, TOpenDisposition::OpenExisting, &code);
  if (inFile == INVALID_HANDLE_VALUE) {
    Fail(code);
    return false;
  }
  const int in = Fd(inFile);
  struct stat src;
  if (fstat(in, &src) != 0) {
    Fail(ErrnoToWinError(errno));
    close(in);
    return false;
  }
  // Copying a file onto itself would empty it before reading it.
  if (IsSameExistingFile(source, dest)) {
    Fail(32);
    close(in);
    return false;
  }
  const THandle outFile =
      OpenPlatformFile(dest, TOpenAccess::Write, TOpenSharing::None,
                       failIfExists ? TOpenDisposition::CreateNew : TOpenDisposition::CreateAlways, &code);
  if (outFile == INVALID_HANDLE_VALUE) {
    Fail(code);
    close(in);
    return false;
  }
  const int out = Fd(outFile);
  // Only a regular file can be left half written; a device stays.
  struct stat outStat;
  const bool removable = fstat(out, &outStat) == 0 && S_ISREG(outStat.st_mode);
  auto failAndRemove = [&](int failCode) {
    close(out);
    close(in);
    if (removable) unlink(dest.c_str());
    Fail(failCode);
    return false;
  };
  std::vector<char> buf(64 * 1024);
  for (;;) {
    int err = 0;
    const int64_t got = ReadSome(inFile, buf.data(), static_cast<int64_t>(buf.size()), &err);
    if (got < 0) return failAndRemove(err);
    if (got == 0) break;
    int64_t put = 0;
    while (put < got) {
      const int64_t n = WriteSome(outFile, buf.data() + put, got - put, &err);
      if (n < 0) return failAndRemove(err);
      if (n == 0) return failAndRemove(112);
      put += n;
    }
  }
  if (removable) {
    const timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
    if (futimens(out, times) != 0) return failAndRemove(ErrnoToWinError(errno));
    if (fchmod(out, src.st_mode & 07777) != 0) return failAndRemove(ErrnoToWinError(errno));
  }
  close(in);
  if (close(out) != 0 && errno != EINTR) {
    const int failCode = ErrnoToWinError(errno);
    if (removable) unlink(dest.c_str());
    Fail(failCode);
    return false;
  }
  return true;
}
