#include "FileReplacementSteps.h"
#include "Win32_win.h"

namespace {

int LastError() { return static_cast<int>(GetLastError()); }

bool IsMissing(DWORD err) { return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }

}  // namespace

// The run reads its private file on through an open handle after removing
// it (its folder goes too), as on Linux. The system's POSIX deletion takes
// the name away at once; where the file system has none, the name stays
// until the last handle closes, and the folder with it (see
// RemoveFolderIfThere).
int RemoveFileIfThere(const std::string& path) {
  const HANDLE h = CreateFileW(Widen(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return IsMissing(GetLastError()) ? 0 : LastError();
  FILE_DISPOSITION_INFO_EX now{};
  now.Flags = FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS;
  // FileDispositionInfoEx, which the headers declare for newer systems only.
  const auto posixDeletion = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
  bool removed = SetFileInformationByHandle(h, posixDeletion, &now, sizeof now) != 0;
  if (!removed) {
    FILE_DISPOSITION_INFO later{TRUE};
    removed = SetFileInformationByHandle(h, FileDispositionInfo, &later, sizeof later) != 0;
  }
  const int code = removed ? 0 : LastError();
  CloseHandle(h);
  return code;
}

int KeepAttributesOf(THandle, const std::string&) { return 0; }

int PutInPlace(const std::string& path, const std::string& target) {
  return MoveFileExW(Widen(path).c_str(), Widen(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : LastError();
}
