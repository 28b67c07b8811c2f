#include "FileDialogRules.h"

#include "PathUtils.h"

namespace {

std::vector<std::string> Split(const std::string& s, char delimiter) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = s.find(delimiter, start);
    parts.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

std::vector<TFileFilter> ParseFileFilter(const std::string& filter) {
  std::vector<TFileFilter> result;
  if (filter.empty()) return result;
  const std::vector<std::string> parts = Split(filter, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    TFileFilter entry{parts[i], {}};
    for (const std::string& mask : Split(parts[i + 1], ';'))
      if (!mask.empty()) entry.masks.push_back(mask);
    result.push_back(entry);
  }
  return result;
}

std::vector<std::string> QtNameFilters(const std::string& filter) {
  std::vector<std::string> result;
  for (const TFileFilter& entry : ParseFileFilter(filter)) {
    std::string masks;
    for (const std::string& mask : entry.masks) {
      if (!masks.empty()) masks += ' ';
      masks += mask;
    }
    result.push_back(entry.description + " (" + masks + ")");
  }
  return result;
}

std::string StoredInitialDir(const std::string& dir) {
  if (dir.size() > 1 && IsPathDelimiter(dir.back())) return dir.substr(0, dir.size() - 1);
  return dir;
}

int ShownFilterEntry(int filterIndex, int count) {
  return filterIndex >= 1 && filterIndex <= count ? filterIndex - 1 : -1;
}

std::string FileNameExtension(const std::string& fileName) {
  const std::string last = ExtractFileName(fileName);
  const auto dot = last.rfind('.');
  return dot == std::string::npos ? std::string() : last.substr(dot + 1);
}
