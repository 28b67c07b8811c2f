#include "TempDir.h"

#include <sys/mount.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder like " + pattern);
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
  std::filesystem::remove_all(path_, ec);
}

bool TempDir::Ok() const {
  std::error_code ec;
  return std::filesystem::is_directory(path_, ec);
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return static_cast<bool>(out);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return static_cast<mode_t>(-1);
  return st.st_mode & 07777;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  setenv(name, value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (had_)
    setenv(name_.c_str(), old_.c_str(), 1);
  else
    unsetenv(name_.c_str());
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  // The program ignores SIGXFSZ from its start, so that a write past the
  // limit fails instead of ending it; the test process meets the limit alike.
  signal(SIGXFSZ, SIG_IGN);
  ok_ = getrlimit(RLIMIT_FSIZE, &old_) == 0;
  rlimit lowered = old_;
  lowered.rlim_cur = bytes;
  ok_ = ok_ && setrlimit(RLIMIT_FSIZE, &lowered) == 0;
}

FileSizeLimit::~FileSizeLimit() {
  if (ok_) setrlimit(RLIMIT_FSIZE, &old_);
}

MountGuard::~MountGuard() { umount2(point.c_str(), MNT_DETACH); }
