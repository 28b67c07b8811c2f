#include <vector>

#include "ErrorCodes.h"
#include "FileOpening.h"
#include "FileServices.h"
#include "PathUtils.h"
#include "PrivateFileSteps.h"
#include "PrivateFiles.h"
#include "Win32_win.h"

namespace {

int LastError() { return static_cast<int>(GetLastError()); }

bool IsMissing(DWORD err) { return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }

}  // namespace

std::string TemporaryRoot() {
  wchar_t buf[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  std::string root = n > 0 && n <= MAX_PATH ? Narrow(buf, n) : std::string("C:\\Windows\\Temp");
  while (root.size() > 3 && IsPathDelimiter(root.back())) root.pop_back();
  return root;
}

std::string MakePrivateFolder(const std::string& root) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string folder = root + PathDelim + "vantrel-" + RandomSuffix().substr(0, 8);
    // A new folder inherits the rights of the user's temporary folder,
    // which is the user's own.
    if (CreateDirectoryW(Widen(folder).c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  SetLastOSError(LastError());
  return std::string();
}

int CreateNewEmptyFile(const std::string& path) {
  const HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  CloseHandle(h);
  return 0;
}

int RemoveFolderIfThere(const std::string& path) {
  if (RemoveDirectoryW(Widen(path).c_str()) || IsMissing(GetLastError())) return 0;
  return LastError();
}

int KeepDateAndMode(THandle in, THandle out) {
  FILETIME written;
  if (!GetFileTime(ToHandle(in), nullptr, nullptr, &written)) return LastError();
  if (!SetFileTime(ToHandle(out), nullptr, nullptr, &written)) return LastError();
  return 0;
}

int NameWithoutReplacing(const std::string& path, const std::string& name, bool* moved) {
  *moved = false;
  if (MoveFileExW(Widen(path).c_str(), Widen(name).c_str(), MOVEFILE_WRITE_THROUGH)) {
    *moved = true;
    return 0;
  }
  const DWORD err = GetLastError();
  return err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS ? ErrorCode::FileExists : static_cast<int>(err);
}
