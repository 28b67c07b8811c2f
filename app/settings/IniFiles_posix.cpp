#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "ErrnoCodes_posix.h"
#include "Exceptions.h"
#include "ErrorCodes.h"
#include "FileChecks.h"
#include "FileOpening.h"
#include "FileReplacement.h"
#include "IniFiles.h"
#include "IniText.h"
#include "PathUtils.h"

namespace {

bool ReadWholeFile(const std::string& name, std::string* content, int* err) {
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *err = errno;
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *err = EINVAL;
    close(fd);
    return false;
  }
  content->clear();
  char buf[8192];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      *err = errno;
      close(fd);
      return false;
    }
    if (n == 0) break;
    content->append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Replaces the file by a complete new one, written beside it, flushed and
// renamed over it (the same replacement as the game file's), so a failure
// or a crash part way leaves the old file whole. 0 or the platform code.
int ReplaceByRename(const std::string& target, const std::string& data) {
  TFileReplacement replacement(target);
  int code = replacement.Create(TOpenAccess::Write);
  if (code != 0) return code;
  const int64_t put = WriteSome(replacement.Handle(), data.data(), static_cast<int64_t>(data.size()), &code);
  if (put < 0) return code;
  if (put < static_cast<int64_t>(data.size())) return ErrorCode::DiskFull;
  return replacement.Commit(true);
}

// For a folder we may not create files in: rewrite the file where it is. The
// space is reserved first, so a full disk refuses the write before any byte
// of the file changes.
bool ReplaceInPlace(const std::string& target, const std::string& data) {
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = data.empty() || posix_fallocate(fd, 0, static_cast<off_t>(data.size())) == 0;
  ok = ok && WriteAll(fd, data) && ftruncate(fd, static_cast<off_t>(data.size())) == 0 && fsync(fd) == 0;
  return close(fd) == 0 && ok;
}

bool StoreFile(const std::string& name, const std::string& data, bool exists) {
  const int code = ReplaceByRename(name, data);
  if (code == 0) return true;
  return exists && code == ErrorCode::AccessDenied && ReplaceInPlace(name, data);
}

// The file a write must change: the name itself, or the file its chain of
// symbolic links ends at, existing or not. False for a chain too long to be
// anything but a loop, or a link that cannot be read.
bool FileBehindLinks(const std::string& name, std::string* target) {
  std::string path = name;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = path;
      return true;
    }
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0 || static_cast<size_t>(n) >= buf.size()) return false;
    const std::string link(buf.data(), static_cast<size_t>(n));
    path = link[0] == '/' ? link : ExtractFilePath(path) + link;
  }
  return false;
}

// Creates the folder and the missing folders above it, for the user only.
bool MakeFolders(const std::string& folder) {
  for (size_t end = folder.find('/', 1); end != std::string::npos; end = folder.find('/', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return folder.empty() || FolderExists(folder);
}

}  // namespace

std::string TIniFile::ReadText(const std::string& section, const std::string& ident, const std::string& defaultValue) {
  std::string content;
  int err = 0;
  if (!ReadWholeFile(FileName(), &content, &err)) return IniCutValue(defaultValue);
  return IniReadValue(content, section, ident, defaultValue);
}

void TIniFile::WriteText(const std::string& section, const std::string& ident, const std::string& value) {
  auto fail = [this] { throw Exception(Format("Impossible d'écrire dans %s", FileName().c_str())); };
  if (!IniCanStore(section, ident, value)) fail();
  std::string target;
  if (!FileBehindLinks(FileName(), &target)) fail();
  if (target == FileName() && folders_ == TFolderCreation::Create && !MakeFolders(ExtractFilePath(target))) fail();
  struct stat st;
  bool exists = false;
  std::string content;
  if (stat(target.c_str(), &st) == 0) {
    exists = true;
    if (!S_ISREG(st.st_mode) || IsReadOnlyMode(st.st_mode)) fail();
    int err = 0;
    if (!ReadWholeFile(target, &content, &err)) fail();
  } else if (errno != ENOENT) {
    fail();
  }

  if (!StoreFile(target, IniSplice(content, section, ident, value), exists)) fail();
}
