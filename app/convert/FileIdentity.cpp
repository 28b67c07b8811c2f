#include "FileIdentity.h"

#include <sys/stat.h>

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa {};
  struct stat sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool RegularFileExists(const std::string& name) {
  struct stat st {};
  return stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
