#include "PrivateFiles.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "Exceptions.h"
#include "FileOpening.h"
#include "FileServices.h"
#include "PathUtils.h"

namespace {

constexpr int kFileExists = 80;
constexpr int kDiskFull = 112;
// Attempts at a free hidden name before the folder is taken to refuse new files.
constexpr int kNameAttempts = 100;
// The longest name and path Linux file systems take.
constexpr size_t kLongestName = NAME_MAX;
constexpr size_t kLongestPath = PATH_MAX - 1;
constexpr size_t kCopyBuffer = 64 * 1024;

[[noreturn]] void RaiseInOutError(int code) { throw EInOutError(InOutErrorMessage(code), code); }

// $TMPDIR without the slashes that end it (so the paths the user reads are
// plain), else /tmp.
std::string TemporaryRoot() {
  const char* tmp = std::getenv("TMPDIR");
  std::string root = tmp != nullptr && *tmp != '\0' ? std::string(tmp) : std::string("/tmp");
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

std::string RandomSuffix() {
  static std::mt19937_64 generator{std::random_device{}()};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

// The first bytes of name, at most 'most', never ending inside a UTF-8 character.
std::string CutName(const std::string& name, size_t most) {
  if (name.size() <= most) return name;
  size_t end = most;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

// Creates a new hidden file beside target and watches it from the moment it
// exists. The descriptor, or -1 with *code set.
int CreateHiddenBeside(const std::string& target, TOpenAccess access, std::string& path, TRunFile& watched, int* code) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string candidate = HiddenNameBeside(target, RandomSuffix());
    TEndingSignalsHeld held;
    const int fd = OpenPlatformFile(candidate, access, TOpenSharing::ReadWrite, TOpenDisposition::CreateNew, code);
    if (fd < 0 && *code == kFileExists) continue;
    if (fd < 0) return -1;
    watched.Watch(candidate);
    path = candidate;
    return fd;
  }
  *code = kFileExists;
  return -1;
}

// The replaced file's permission bits, and its owner and group as far as
// the user may give them, so that a replaced game file is still readable by
// whoever could read it before, and by nobody else.
int KeepModeAndOwner(int fd, const std::string& target) {
  struct stat old {};
  if (stat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return 0;
  if (old.st_uid != geteuid() || old.st_gid != getegid()) {
    // Only root gives a file away; a user may still give it one of their groups.
    // Failing both, the new file stays the user's own.
    static_cast<void>(fchown(fd, old.st_uid, old.st_gid) == 0 || fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0);
  }
  if (fchmod(fd, old.st_mode & 07777) != 0) return ErrnoToWinError(errno);
  return 0;
}

// Copies everything from in to out; 0 or the platform code of the failure.
int CopyAll(int in, int out) {
  std::vector<char> buffer(kCopyBuffer);
  for (;;) {
    int err = 0;
    const int64_t got = ReadSome(in, buffer.data(), static_cast<int64_t>(buffer.size()), &err);
    if (got < 0) return ErrnoToWinError(err);
    if (got == 0) return 0;
    const int64_t put = WriteSome(out, buffer.data(), got, &err);
    if (put < 0) return ErrnoToWinError(err);
    if (put < got) return kDiskFull;
  }
}

}  // namespace

std::string HiddenNameBeside(const std::string& target, const std::string& randomPart) {
  const std::string folder = ExtractFilePath(target);
  const std::string name = ExtractFileName(target);
  const size_t added = 2 + randomPart.size();
  size_t most = kLongestName > added ? kLongestName - added : 0;
  if (folder.size() + added + name.size() > kLongestPath)
    most = std::min(most, folder.size() + added < kLongestPath ? kLongestPath - folder.size() - added : 0);
  return folder + "." + CutName(name, most) + "." + randomPart;
}

THalvedFile::~THalvedFile() { Remove(); }

bool THalvedFile::Create(const std::string& name) {
  const std::string root = TemporaryRoot();
  std::string pattern = root + "/vantrel-XXXXXX";
  {
    TEndingSignalsHeld held;
    if (mkdtemp(pattern.data()) == nullptr) {
      failedPath_ = root;
      return false;
    }
    folder_ = pattern;
    watchedFolder_.Watch(folder_, true);
  }
  const std::string path = folder_ + "/" + name;
  TEndingSignalsHeld held;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    failedPath_ = path;
    return false;
  }
  path_ = path;
  watchedFile_.Watch(path_);
  close(fd);
  return true;
}

int THalvedFile::Remove() {
  int code = 0;
  if (!path_.empty()) {
    if (unlink(path_.c_str()) != 0 && errno != ENOENT) {
      code = PathErrorCode(path_, errno);
      failedPath_ = path_;
    } else {
      watchedFile_.Forget();
      path_.clear();
    }
  }
  if (!folder_.empty()) {
    if (rmdir(folder_.c_str()) != 0 && errno != ENOENT) {
      if (code == 0) {
        code = PathErrorCode(folder_, errno);
        failedPath_ = folder_;
      }
    } else {
      watchedFolder_.Forget();
      folder_.clear();
    }
  }
  return code;
}

TReplacement::~TReplacement() {
  if (!committed_ && !path_.empty()) unlink(path_.c_str());
}

void TReplacement::Create(TFileVar& f) {
  int code = 0;
  const int fd = CreateHiddenBeside(target_, TOpenAccess::ReadWrite, path_, watched_, &code);
  if (fd < 0) RaiseInOutError(code);
  f.Name = path_;
  f.Handle = fd;
  f.State = TFileState::fmInOut;
  f.RecSize = 1;
  code = KeepModeAndOwner(fd, target_);
  if (code != 0) RaiseInOutError(code);
}

void TReplacement::Commit() {
  if (rename(path_.c_str(), target_.c_str()) != 0) RaiseInOutError(PathErrorCode(target_, errno));
  committed_ = true;
  watched_.Forget();
}

int MakeWholeBackup(const std::string& gameName, const std::string& backupName, TRunFile& madeBackup) {
  int code = 0;
  const int in =
      OpenPlatformFile(gameName, TOpenAccess::Read, TOpenSharing::ReadWrite, TOpenDisposition::OpenExisting, &code);
  if (in < 0) return code;
  struct stat source {};
  if (fstat(in, &source) != 0) {
    code = ErrnoToWinError(errno);
    close(in);
    return code;
  }
  std::string hidden;
  TRunFile watched;
  const int out = CreateHiddenBeside(backupName, TOpenAccess::Write, hidden, watched, &code);
  if (out < 0) {
    close(in);
    return code;
  }
  code = CopyAll(in, out);
  close(in);
  const timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
  if (code == 0 && futimens(out, times) != 0) code = ErrnoToWinError(errno);
  if (code == 0 && fchmod(out, source.st_mode & 07777) != 0) code = ErrnoToWinError(errno);
  // On the disk before it has the backup's name: after a crash or a power
  // loss a backup is there whole or not at all.
  if (code == 0 && fsync(out) != 0) code = ErrnoToWinError(errno);
  if (close(out) != 0 && errno != EINTR && code == 0) code = ErrnoToWinError(errno);
  if (code == 0) {
    // Never over an existing name: a backup another run made stays as it is.
    // The new backup is watched from the moment it has its name.
    TEndingSignalsHeld held;
    if (link(hidden.c_str(), backupName.c_str()) == 0) {
      madeBackup.Watch(backupName);
      code = 0;
    } else if (errno == EEXIST) {
      code = kFileExists;
    } else if (renameat2(AT_FDCWD, hidden.c_str(), AT_FDCWD, backupName.c_str(), RENAME_NOREPLACE) == 0) {
      // A file system without hard links: the hidden name is gone with the rename.
      madeBackup.Watch(backupName);
      watched.Forget();
      return 0;
    } else {
      code = errno == EEXIST ? kFileExists : PathErrorCode(backupName, errno);
    }
  }
  unlink(hidden.c_str());
  watched.Forget();
  return code;
}
