#include <unistd.h>

#include <cerrno>
#include <vector>

#include "PathUtils.h"

std::string GetCurrentDir() {
  std::vector<char> buf(4096);
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buf.resize(buf.size() * 2);
  }
  return std::string(buf.data());
}
