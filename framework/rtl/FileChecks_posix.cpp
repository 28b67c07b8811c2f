#include <sys/stat.h>

#include "FileChecks.h"

// FileExists sets LastOSError and lives with the other file services.

namespace {

bool StatOf(const std::string& name, struct stat* st) { return ::stat(name.c_str(), st) == 0; }

}  // namespace

bool RegularFileExists(const std::string& name) {
  struct stat st {};
  return StatOf(name, &st) && S_ISREG(st.st_mode);
}

bool IsSpecialFile(const std::string& name) {
  struct stat st {};
  return StatOf(name, &st) && !S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& name) {
  struct stat st {};
  return StatOf(name, &st) && S_ISDIR(st.st_mode);
}

bool IsSameExistingFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (!StatOf(a, &sa) || !StatOf(b, &sb)) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
