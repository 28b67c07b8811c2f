#include "Locations.h"

#include "PathUtils.h"

namespace {

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string WithDelimiter(std::string folder) {
  if (folder.empty() || folder.back() != PathDelim) folder += PathDelim;
  return folder;
}

}  // namespace

std::string HomeDirectoryFrom(const char* home, const char* accountHome) {
  if (IsAbsolute(home)) return home;
  if (IsAbsolute(accountHome)) return accountHome;
  return "/";
}

std::string SettingsFileNameFrom(const char* configHome, const std::function<std::string()>& homeDirectory) {
  const std::string base = IsAbsolute(configHome) ? std::string(configHome) : homeDirectory() + "/.config";
  return WithDelimiter(base) + "vantrel/S16c.ini";
}
