#include <vector>

#include "OpticalDisc.h"
#include "Win32_win.h"

// The drive root of the path (a letter's "X:\", a mounted folder, or the
// "\\server\share\" of a UNC path) and the system's own drive type of it.
bool LiesOnOpticalDisc(const std::string& path, std::string* mountPoint) {
  if (mountPoint) mountPoint->clear();
  if (path.empty()) return false;
  const std::wstring wide = Widen(path);
  std::vector<wchar_t> root(wide.size() + MAX_PATH + 1);
  if (!GetVolumePathNameW(wide.c_str(), root.data(), static_cast<DWORD>(root.size()))) return false;
  if (GetDriveTypeW(root.data()) != DRIVE_CDROM) return false;
  if (mountPoint) *mountPoint = Narrow(root.data(), wcslen(root.data()));
  return true;
}
