#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "Locations.h"
#include "PathUtils.h"

std::string ApplicationDirectory() {
  std::vector<char> buf(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) {
      std::string folder = GetCurrentDir();
      if (folder.empty() || folder.back() != PathDelim) folder += PathDelim;
      return folder;
    }
    if (static_cast<size_t>(n) < buf.size()) return ExtractFilePath(std::string(buf.data(), static_cast<size_t>(n)));
    buf.resize(buf.size() * 2);
  }
}

std::string PrivateLibraryDirectory(const std::string& applicationDirectory) {
  std::string folder = applicationDirectory + VANTREL_PRIVATE_LIBDIR_FROM_BINDIR;
  if (folder.empty() || folder.back() != PathDelim) folder += PathDelim;
  return folder;
}

std::string SettingsFileName() {
  return SettingsFileNameFrom(std::getenv("XDG_CONFIG_HOME"), [] {
    // The account is looked up only when HOME does not answer.
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home);
    const passwd* account = getpwuid(getuid());
    return HomeDirectoryFrom(home, account != nullptr ? account->pw_dir : nullptr);
  });
}
