#include "PathUtils.h"

#include <cstring>

bool IsPathDelimiter(char c) { return c != '\0' && std::strchr(kPathDelimiters, c) != nullptr; }

std::string ExtractFilePath(const std::string& fileName) {
  const auto pos = fileName.find_last_of(kPathDelimiters);
  return pos == std::string::npos ? std::string() : fileName.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& fileName) {
  const auto pos = fileName.find_last_of(kPathDelimiters);
  return pos == std::string::npos ? fileName : fileName.substr(pos + 1);
}
