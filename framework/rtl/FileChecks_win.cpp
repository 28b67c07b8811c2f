#include "FileChecks.h"
#include "Win32_win.h"

// FileExists sets LastOSError and lives with the other file services.

namespace {

DWORD AttributesOf(const std::string& name) {
  return name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Widen(name).c_str());
}

constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;

// Volume serial number and file index: one file whatever its name.
bool IdentityOf(const std::string& name, BY_HANDLE_FILE_INFORMATION& info) {
  // No access asked, every sharing allowed, folders too: looking at a file
  // never stands in another program's way.
  const HANDLE h = CreateFileW(Widen(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace

bool RegularFileExists(const std::string& name) {
  const DWORD attr = AttributesOf(name);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & kNotAFile) == 0;
}

bool IsSpecialFile(const std::string& name) {
  const DWORD attr = AttributesOf(name);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & kNotAFile) != 0;
}

bool FolderExists(const std::string& name) {
  const DWORD attr = AttributesOf(name);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsSameExistingFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  if (!IdentityOf(a, ia) || !IdentityOf(b, ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}
