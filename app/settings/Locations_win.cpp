#include <vector>

#include "Locations.h"
#include "PathUtils.h"
#include "Win32_win.h"
// After <windows.h>, which it needs.
#include <shlobj.h>

namespace {

std::string WithDelimiter(std::string folder) {
  if (folder.empty() || !IsPathDelimiter(folder.back())) folder += PathDelim;
  return folder;
}

}  // namespace

std::string ApplicationDirectory() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return WithDelimiter(GetCurrentDir());
    if (n < buf.size()) return ExtractFilePath(Narrow(buf.data(), n));
    buf.resize(buf.size() * 2);
  }
}

std::string PrivateLibraryDirectory(const std::string&) {
  wchar_t folder[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "C:\\Windows\\";
  return WithDelimiter(Narrow(folder, n));
}

std::string SettingsFileName() {
  PWSTR folder = nullptr;
  std::string base;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK) {
    base = Narrow(folder, wcslen(folder));
  } else {
    base = ApplicationDirectory();
  }
  CoTaskMemFree(folder);
  return WithDelimiter(base) + "Vantrel\\S16c.ini";
}
