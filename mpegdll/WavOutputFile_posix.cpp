#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "HiddenName.h"
#include "WavOutputFile.h"

namespace {

// The longest name and path the file systems take.
constexpr size_t kLongestName = NAME_MAX;
constexpr size_t kLongestPath = PATH_MAX - 1;

// A hidden name beside `target` that fits the longest name and path.
std::string HiddenBeside(const std::string& target) {
  const uint64_t seed = (static_cast<uint64_t>(::getpid()) << 32) ^ static_cast<uint64_t>(std::time(nullptr));
  return HiddenNameBeside(target, "/", kLongestName, kLongestPath, RandomNamePart(seed));
}

// Where the new file goes: the WAV's own path, or the file a link there
// leads to. *mode: the old file's permission bits, or 0666 less the umask as
// for a new file. A file without any write permission bit is read-only even
// for root.
bool OutputTarget(const std::string& path, const FileId& input, std::string* target, mode_t* mode) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) return false;
    // A link to nowhere is replaced itself.
    *target = path;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    *mode = 0666 & ~mask;
    return true;
  }
  if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
      FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)} == input)
    return false;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return false;
  *target = real;
  std::free(real);
  *mode = st.st_mode & 07777;
  return true;
}

// Opens the new file in the target's folder: unnamed (O_TMPFILE) where the
// file system allows it, so that it vanishes with the process however that
// ends; else under a hidden name of its own. -1: no file could be made.
int OpenNewFile(const std::string& target, mode_t mode, std::string* hidden) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd >= 0) {
    ::fchmod(fd, mode);
    return fd;
  }
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = HiddenBeside(target);
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0) {
      ::fchmod(fd, mode);
      *hidden = name;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

}  // namespace

WavOutputFile::~WavOutputFile() {
  if (handle_ != -1) ::close(static_cast<int>(handle_));
  if (!hidden_.empty()) ::unlink(hidden_.c_str());
}

bool WavOutputFile::Create(const std::string& path, const FileId& input) {
  mode_t mode = 0;
  if (path.empty() || !OutputTarget(path, input, &target_, &mode)) return false;
  handle_ = OpenNewFile(target_, mode, &hidden_);
  if (handle_ == -1) return false;
  replacing_ = ::access(target_.c_str(), F_OK) == 0;
  return true;
}

bool WavOutputFile::Append(const unsigned char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(static_cast<int>(handle_), p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

bool WavOutputFile::WriteAt(uint64_t at, const unsigned char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = ::pwrite(static_cast<int>(handle_), p, n, static_cast<off_t>(at));
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    p += w;
    at += static_cast<uint64_t>(w);
    n -= static_cast<size_t>(w);
  }
  return true;
}

void WavOutputFile::StartWriteOut(uint64_t at, size_t n) {
  ::sync_file_range(static_cast<int>(handle_), static_cast<off_t>(at), static_cast<off_t>(n), SYNC_FILE_RANGE_WRITE);
}

// The unnamed file is linked in under a hidden name first, then renamed over
// the target in one step.
bool WavOutputFile::PutInPlace() {
  const int fd = static_cast<int>(handle_);
  bool good = true;
  if (hidden_.empty()) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0;; ++attempt) {
      const std::string name = HiddenBeside(target_);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        hidden_ = name;
        break;
      }
      if (errno != EEXIST || attempt == 100) {
        good = false;
        break;
      }
    }
  }
  if (good && ::rename(hidden_.c_str(), target_.c_str()) == 0) hidden_.clear();
  else good = false;
  // close() can report a deferred write error (network file systems).
  if (::close(fd) != 0) good = false;
  handle_ = -1;
  if (!hidden_.empty()) ::unlink(hidden_.c_str());
  hidden_.clear();
  return good;
}
