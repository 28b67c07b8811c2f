// The settings file through the system's private-profile services, which
// the INI class wraps on Windows: the system reads and splices the text.
// A new file is begun as UTF-16 (a byte-order mark alone), so the system
// keeps every letter of a folder's name; in a file of the system's ANSI code
// page, letters outside that page would become "?".
#include <algorithm>
#include <vector>

#include "Exceptions.h"
#include "FileChecks.h"
#include "FileServices.h"
#include "IniFiles.h"
#include "IniText.h"
#include "PathUtils.h"
#include "Win32_win.h"

namespace {

// The longest value the system's read returns: 2047 characters and the end.
constexpr DWORD kReadBuffer = 2048;

bool MakeFolders(const std::string& folder) {
  std::string path;
  for (size_t i = 0; i < folder.size(); ++i) {
    path += folder[i];
    const bool end = i + 1 == folder.size() || IsPathDelimiter(folder[i + 1]);
    if (!end || IsPathDelimiter(folder[i])) continue;
    // "C:" and the "\\server\share" of a UNC path are no folders to make.
    if (path.size() == 2 && path[1] == ':') continue;
    if (path.rfind("\\\\", 0) == 0 && std::count(path.begin(), path.end(), '\\') < 4) continue;
    if (!CreateDirectoryW(Widen(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return folder.empty() || FolderExists(folder);
}

bool BeginUnicodeFile(const std::string& name) {
  const HANDLE h =
      CreateFileW(Widen(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  const unsigned char bom[2] = {0xFF, 0xFE};
  DWORD n = 0;
  const bool ok = WriteFile(h, bom, sizeof bom, &n, nullptr) && n == sizeof bom;
  CloseHandle(h);
  if (!ok) DeleteFileW(Widen(name).c_str());
  return ok;
}

}  // namespace

std::string TIniFile::ReadText(const std::string& section, const std::string& ident, const std::string& defaultValue) {
  std::vector<wchar_t> buf(kReadBuffer);
  const DWORD n = GetPrivateProfileStringW(Widen(section).c_str(), Widen(ident).c_str(), Widen(defaultValue).c_str(),
                                           buf.data(), kReadBuffer, Widen(FileName()).c_str());
  return Narrow(buf.data(), n);
}

void TIniFile::WriteText(const std::string& section, const std::string& ident, const std::string& value) {
  auto fail = [this] { throw Exception(Format("Impossible d'écrire dans %s", FileName().c_str())); };
  if (!IniCanStore(section, ident, value)) fail();
  const std::string& name = FileName();
  if (folders_ == TFolderCreation::Create && !MakeFolders(ExtractFilePath(name))) fail();
  if (IsSpecialFile(name)) fail();
  const int attr = FileGetAttr(name);
  if (attr != -1 && (attr & faReadOnly) != 0) fail();
  if (attr == -1 && !BeginUnicodeFile(name)) fail();
  if (!WritePrivateProfileStringW(Widen(section).c_str(), Widen(ident).c_str(), Widen(value).c_str(),
                                  Widen(name).c_str()))
    fail();
}
