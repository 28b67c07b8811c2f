#include "Locations.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "PathUtils.h"

namespace {

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); IsAbsolute(home)) return home;
  if (const passwd* account = getpwuid(getuid()); account != nullptr && IsAbsolute(account->pw_dir))
    return account->pw_dir;
  return "/";
}

std::string WithDelimiter(std::string folder) {
  if (folder.empty() || folder.back() != PathDelim) folder += PathDelim;
  return folder;
}

}  // namespace

std::string ApplicationDirectory() {
  std::vector<char> buf(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return WithDelimiter(GetCurrentDir());
    if (static_cast<size_t>(n) < buf.size()) return ExtractFilePath(std::string(buf.data(), static_cast<size_t>(n)));
    buf.resize(buf.size() * 2);
  }
}

std::string PrivateLibraryDirectory(const std::string& applicationDirectory) {
  return WithDelimiter(applicationDirectory + VANTREL_PRIVATE_LIBDIR_FROM_BINDIR);
}

std::string SettingsFileName() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const std::string base = IsAbsolute(configHome) ? std::string(configHome) : HomeDirectory() + "/.config";
  return WithDelimiter(base) + "vantrel/S16c.ini";
}
