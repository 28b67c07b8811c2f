#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "Platform.h"
#include "TestEnvironment.h"

TempDir::TempDir() {
  std::random_device random;
  const std::filesystem::path root = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const std::filesystem::path folder = root / ("vantrel-test-" + std::to_string(random()));
    std::error_code ec;
    if (!std::filesystem::create_directory(folder, ec)) continue;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    path_ = folder.u8string() + PathDelim;
  }
  if (path_.empty()) throw std::runtime_error("cannot make a folder under " + root.u8string());
}

TempDir::~TempDir() {
  std::error_code ec;
  for (auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::u8path(path_), ec))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
  std::filesystem::remove_all(std::filesystem::u8path(path_), ec);
}

bool TempDir::Ok() const {
  std::error_code ec;
  return std::filesystem::is_directory(std::filesystem::u8path(path_), ec);
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return static_cast<bool>(out);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  SetEnvironmentVariable(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (had_)
    SetEnvironmentVariable(name_.c_str(), old_);
  else
    UnsetEnvironmentVariable(name_.c_str());
}
