#include <windows.h>

#include <cstdint>

#include "HiddenName.h"
#include "WavOutputFile.h"
#include "Wide_win.h"

namespace {

// The longest name a folder takes, in UTF-8 bytes: never fewer than the
// UTF-16 units the file system counts.
constexpr size_t kLongestName = 255;

HANDLE H(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// A hidden name beside `target` that fits a folder (the path's length is
// the system's to judge).
std::string HiddenBeside(const std::string& target) {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  const uint64_t seed = (static_cast<uint64_t>(GetCurrentProcessId()) << 32) ^ static_cast<uint64_t>(now.QuadPart);
  return HiddenNameBeside(target, "/\\:", kLongestName, SIZE_MAX, RandomNamePart(seed));
}

// Where the new file goes: the WAV's own path, or the file a link there
// leads to.
bool OutputTarget(const std::string& path, const FileId& input, std::string* target) {
  const std::wstring wide = WideName(path);
  if (wide.empty()) return false;
  // Only the attributes are asked for: that opens a file whoever else holds
  // it, and a folder too (backup semantics), so that it is seen for what it is.
  const HANDLE h = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    *target = path;
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool file = GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
                    (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0 &&
                    !(FileId{info.dwVolumeSerialNumber,
                             (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow} == input);
  bool good = file;
  *target = path;
  // A link itself would be replaced by the move: its target is.
  const DWORD own = GetFileAttributesW(wide.c_str());
  if (good && own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    wchar_t final[32768];
    const DWORD n = GetFinalPathNameByHandleW(h, final, 32768, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    good = n > 0 && n < 32768;
    if (good) *target = Utf8Name(final, n);
  }
  CloseHandle(h);
  return good && !target->empty();
}

// The new file's bytes go where the last write left off; a positioned
// write on a handle not opened for overlapped use moves that place, so it
// is put back.
bool WriteAtOffset(HANDLE h, uint64_t at, const unsigned char* p, size_t n) {
  LARGE_INTEGER zero{};
  LARGE_INTEGER here{};
  if (!SetFilePointerEx(h, zero, &here, FILE_CURRENT)) return false;
  bool good = true;
  while (good && n > 0) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
    DWORD written = 0;
    good = WriteFile(h, p, chunk, &written, &where) && written > 0;
    p += written;
    at += written;
    n -= written;
  }
  return SetFilePointerEx(h, here, nullptr, FILE_BEGIN) && good;
}

}  // namespace

WavOutputFile::~WavOutputFile() {
  if (handle_ != -1) CloseHandle(H(handle_));
  if (!hidden_.empty()) DeleteFileW(WideName(hidden_).c_str());
}

// The new file is hidden while it is being written: a game or an explorer
// window looking at the folder sees only the old file.
bool WavOutputFile::Create(const std::string& path, const FileId& input) {
  if (path.empty() || !OutputTarget(path, input, &target_)) return false;
  replacing_ = GetFileAttributesW(WideName(target_).c_str()) != INVALID_FILE_ATTRIBUTES;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = HiddenBeside(target_);
    const HANDLE h = CreateFileW(WideName(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<intptr_t>(h);
      hidden_ = name;
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool WavOutputFile::Append(const unsigned char* p, size_t n) {
  while (n > 0) {
    const DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
    DWORD written = 0;
    if (!WriteFile(H(handle_), p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    n -= written;
  }
  return true;
}

bool WavOutputFile::WriteAt(uint64_t at, const unsigned char* p, size_t n) { return WriteAtOffset(H(handle_), at, p, n); }

// Nothing to start: Windows' file systems do not write the new file's data
// out before a rename over an old file, so there is no wait at the end to
// shorten, and the system has no call that starts a range's write-back
// without waiting for it.
void WavOutputFile::StartWriteOut(uint64_t, size_t) {}

// Closed first (a deferred write error shows there), given the old file's
// attributes (a new file: none, so it shows), then moved over the old file
// in one step.
bool WavOutputFile::PutInPlace() {
  bool good = CloseHandle(H(handle_)) != 0;
  handle_ = -1;
  const std::wstring hidden = WideName(hidden_);
  const DWORD old = GetFileAttributesW(WideName(target_).c_str());
  const DWORD kept = old == INVALID_FILE_ATTRIBUTES ? 0
                     : old & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  good = good && SetFileAttributesW(hidden.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL) &&
         MoveFileExW(hidden.c_str(), WideName(target_).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!good) DeleteFileW(hidden.c_str());
  hidden_.clear();
  return good;
}
