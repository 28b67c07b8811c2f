// Opening, reading, writing and moving in a file on Linux's system calls.
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
