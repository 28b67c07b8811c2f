#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "OpticalDisc.h"
#include "PathUtils.h"

namespace {

// mountinfo writes blanks, tabs, line feeds and backslashes of names as
// octal escapes ("\040" for a blank).
std::string Unescape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      const char a = s[i + 1], b = s[i + 2], c = s[i + 3];
      if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
        out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// True when the mount point holds the path: equal, or a leading run of its
// whole components.
bool Holds(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return !path.empty() && path[0] == '/';
  if (path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
  return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

// "/a/./b//c/../d" -> "/a/b/d", without touching the file system.
std::string Normalize(const std::string& path) {
  std::vector<std::string> parts;
  std::stringstream in(path);
  std::string part;
  while (std::getline(in, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

// The absolute path with links resolved as far as the path exists.
std::string Resolve(const std::string& path) {
  std::string absolute = path;
  if (absolute.empty() || absolute[0] != '/') absolute = GetCurrentDir() + "/" + absolute;
  absolute = Normalize(absolute);
  std::string head = absolute;
  std::string tail;
  for (;;) {
    char buf[PATH_MAX];
    if (realpath(head.c_str(), buf) != nullptr) {
      std::string resolved = buf;
      return tail.empty() ? resolved : Normalize(resolved + "/" + tail);
    }
    if (head == "/") return absolute;
    const size_t slash = head.rfind('/');
    tail = head.substr(slash + 1) + (tail.empty() ? "" : "/" + tail);
    head = slash == 0 ? "/" : head.substr(0, slash);
  }
}

}  // namespace

bool LiesOnOpticalDiscIn(const std::string& mountInfo, const std::string& filePath, std::string* mountPoint) {
  if (mountPoint) mountPoint->clear();
  if (filePath.empty() || filePath[0] != '/') return false;
  const std::string path = Normalize(filePath);
  std::string best;
  bool found = false;
  bool optical = false;
  std::istringstream lines(mountInfo);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    std::string field;
    while (fields >> field) f.push_back(field);
    // id parent major:minor root mount-point options [optional...] - type source super-options
    if (f.size() < 6) continue;
    size_t sep = 6;
    while (sep < f.size() && f[sep] != "-") ++sep;
    if (sep + 1 >= f.size()) continue;
    const std::string point = Unescape(f[4]);
    const std::string type = f[sep + 1];
    const std::string source = sep + 2 < f.size() ? Unescape(f[sep + 2]) : std::string();
    // A later mount on the same point hides the earlier one.
    if (!Holds(point, path) || (found && point.size() < best.size())) continue;
    best = point;
    found = true;
    optical = type == "iso9660" || type == "udf" || source.compare(0, 7, "/dev/sr") == 0;
  }
  if (found && optical && mountPoint) *mountPoint = best;
  return found && optical;
}

bool LiesOnOpticalDisc(const std::string& path, std::string* mountPoint) {
  std::ifstream in("/proc/self/mountinfo");
  if (!in) {
    if (mountPoint) mountPoint->clear();
    return false;
  }
  const std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return LiesOnOpticalDiscIn(table, Resolve(path), mountPoint);
}
