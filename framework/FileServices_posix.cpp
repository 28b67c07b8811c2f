// The file services on Linux's system calls, with errno mapped onto the
// platform codes of the error table.
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

// One system call moves at most this much; larger counts are looped.
constexpr int64_t kMaxChunk = int64_t{1} << 30;

// Moves count bytes through one read or write call after another, in chunks of
// at most kMaxChunk, retrying on EINTR. Stops at a call that moves nothing or
// at a failure after some bytes; a failure before the first byte gives -1 with
// *err set.
template <typename Byte, typename Transfer>
int64_t TransferSome(int fd, Byte* p, int64_t count, int* err, Transfer transfer) {
  int64_t done = 0;
  while (done < count) {
    const size_t chunk = static_cast<size_t>(std::min(count - done, kMaxChunk));
    const ssize_t n = transfer(fd, p + done, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (done == 0) {
        *err = errno;
        return -1;
      }
      break;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

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

THandle OpenPlatformFile(const std::string& name, TOpenAccess access, TOpenSharing sharing,
                         TOpenDisposition disposition, int* winError) {
  if (name.empty()) {
    *winError = 3;
    return INVALID_HANDLE_VALUE;
  }
  const int accessFlags = access == TOpenAccess::Read ? O_RDONLY : access == TOpenAccess::Write ? O_WRONLY : O_RDWR;
  // Non-blocking only while opening, so that a FIFO cannot hang the program.
  const int flags = accessFlags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  bool created = false;
  int fd = -1;
  if (disposition == TOpenDisposition::OpenExisting) {
    fd = open(name.c_str(), flags);
  } else {
    fd = open(name.c_str(), flags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
      created = true;
    } else if (errno == EEXIST && disposition == TOpenDisposition::CreateAlways) {
      fd = open(name.c_str(), flags);
      if (fd < 0 && errno == ENOENT) {
        // A dangling link or a file removed meanwhile: create it after all.
        fd = open(name.c_str(), flags | O_CREAT, 0666);
        created = fd >= 0;
      }
    }
  }
  if (fd < 0) {
    *winError = PathErrorCode(name, errno);
    return INVALID_HANDLE_VALUE;
  }
  auto refuse = [&](int code) {
    close(fd);
    if (created) unlink(name.c_str());
    *winError = code;
    return INVALID_HANDLE_VALUE;
  };
  struct stat st;
  if (fstat(fd, &st) != 0) return refuse(ErrnoToWinError(errno));
  if (S_ISDIR(st.st_mode)) return refuse(5);
  // Root may write anything; the read-only attribute must hold for it too.
  if (access != TOpenAccess::Read && S_ISREG(st.st_mode) && !created && IsReadOnlyMode(st.st_mode)) return refuse(5);
  const int fl = fcntl(fd, F_GETFL);
  if (fl >= 0) fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  const int lock = sharing == TOpenSharing::None ? LOCK_EX : LOCK_SH;
  while (flock(fd, lock | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return refuse(32);
    break;  // file systems without locks: open without them
  }
  if (disposition == TOpenDisposition::CreateAlways && !created && S_ISREG(st.st_mode) && st.st_size > 0) {
    if (ftruncate(fd, 0) != 0) return refuse(ErrnoToWinError(errno));
  }
  return fd;
}

int64_t WriteSome(THandle h, const void* buf, int64_t count, int* winError) {
  int err = 0;
  const int64_t n = TransferSome(Fd(h), static_cast<const char*>(buf), count, &err, ::write);
  if (n < 0) *winError = ErrnoToWinError(err);
  return n;
}

int64_t ReadSome(THandle h, void* buf, int64_t count, int* winError) {
  int err = 0;
  const int64_t n = TransferSome(Fd(h), static_cast<char*>(buf), count, &err, ::read);
  if (n < 0) *winError = ErrnoToWinError(err);
  return n;
}

int64_t ReadSomeAt(THandle h, void* buf, int64_t count, int64_t offset, int* winError) {
  char* p = static_cast<char*>(buf);
  int64_t done = 0;
  while (done < count) {
    const size_t chunk = static_cast<size_t>(std::min(count - done, kMaxChunk));
    const ssize_t n = pread(Fd(h), p + done, chunk, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      if (done > 0) break;
      *winError = ErrnoToWinError(errno);
      return -1;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

int SeekPlatformFile(THandle h, int64_t pos) {
  return lseek(Fd(h), static_cast<off_t>(pos), SEEK_SET) < 0 ? ErrnoToWinError(errno) : 0;
}

int ClosePlatformFile(THandle h) { return close(Fd(h)) != 0 && errno != EINTR ? ErrnoToWinError(errno) : 0; }

int FlushPlatformFile(THandle h) { return fsync(Fd(h)) != 0 ? ErrnoToWinError(errno) : 0; }

int RegularFileCode(const std::string& name) {
  struct stat st {};
  if (stat(name.c_str(), &st) != 0) return PathErrorCode(name, errno);
  return S_ISREG(st.st_mode) ? 0 : 5;
}

int64_t FileSeek(THandle h, int64_t offset, int origin) {
  int whence;
  switch (origin) {
    case soFromBeginning:
      whence = SEEK_SET;
      break;
    case soFromCurrent:
      whence = SEEK_CUR;
      break;
    case soFromEnd:
      whence = SEEK_END;
      break;
    default:
      Fail(87);
      return -1;
  }
  const off_t pos = lseek(Fd(h), static_cast<off_t>(offset), whence);
  if (pos < 0) {
    // A position before the start of the file is the platform's negative seek.
    Fail(errno == EINVAL ? 131 : ErrnoToWinError(errno));
    return -1;
  }
  return static_cast<int64_t>(pos);
}

int64_t FileSize(THandle h) {
  struct stat st;
  if (fstat(Fd(h), &st) != 0) {
    Fail(ErrnoToWinError(errno));
    return -1;
  }
  return static_cast<int64_t>(st.st_size);
}

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
