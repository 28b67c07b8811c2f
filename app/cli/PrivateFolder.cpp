#include "PrivateFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

TPrivateFolder::TPrivateFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/vantrel-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    error_ = "cannot make a temporary folder " + pattern + ": " + std::strerror(errno);
    return;
  }
  path_ = pattern + "/";
}

TPrivateFolder::~TPrivateFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
