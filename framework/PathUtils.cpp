#include "PathUtils.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

std::string ExtractFilePath(const std::string& fileName) {
  const auto pos = fileName.rfind(PathDelim);
  return pos == std::string::npos ? std::string() : fileName.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& fileName) {
  const auto pos = fileName.rfind(PathDelim);
  return pos == std::string::npos ? fileName : fileName.substr(pos + 1);
}

std::string GetCurrentDir() {
  std::vector<char> buf(4096);
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buf.resize(buf.size() * 2);
  }
  return std::string(buf.data());
}
