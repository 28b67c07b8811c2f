#include "HiddenName.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

std::string RandomNamePart(uint64_t seed) {
  static std::atomic<uint64_t> counter{0};
  uint64_t x = seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull) ^ reinterpret_cast<uintptr_t>(&seed);
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(x));
  return text;
}

std::string HiddenNameBeside(const std::string& target, const char* delimiters, size_t longestName,
                             size_t longestPath, const std::string& randomPart) {
  const size_t slash = target.find_last_of(delimiters);
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const size_t added = 2 + randomPart.size();
  size_t most = longestName > added ? longestName - added : 0;
  if (folder.size() + added + name.size() > longestPath)
    most = std::min(most, folder.size() + added < longestPath ? longestPath - folder.size() - added : 0);
  if (name.size() > most) {
    size_t end = most;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    name.resize(end);
  }
  return folder + "." + name + "." + randomPart;
}
