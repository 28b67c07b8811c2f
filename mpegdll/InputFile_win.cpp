#include <windows.h>

#include "InputFile.h"
#include "Wide_win.h"

namespace {

HANDLE H(InputHandle file) { return reinterpret_cast<HANDLE>(file); }

// ReadFile takes at most a DWORD at a time.
DWORD Chunk(size_t bytes) { return bytes > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes); }

}  // namespace

// Others may go on writing, renaming or deleting the file while it plays: a
// game file being replaced must not fail because the player holds it.
InputHandle OpenRegularInput(const char* name, FileId* id, int64_t* bytes) {
  const std::wstring wide = WideName(name ? name : "");
  if (wide.empty()) return kNoInput;
  const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return kNoInput;
  // A pipe or a console would hold the caller in its first read; a folder
  // is no stream at all.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    CloseHandle(h);
    return kNoInput;
  }
  *id = FileId{info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  *bytes = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  return reinterpret_cast<InputHandle>(h);
}

void CloseInput(InputHandle file) { CloseHandle(H(file)); }

int64_t ReadInput(InputHandle file, unsigned char* out, size_t bytes) {
  DWORD got = 0;
  if (!ReadFile(H(file), out, Chunk(bytes), &got, nullptr)) return -1;
  return got;
}

// A read with an offset in OVERLAPPED, on a handle not opened for
// overlapped use, still moves the handle's position: it is put back.
int64_t ReadInputAt(InputHandle file, int64_t offset, unsigned char* out, size_t bytes) {
  LARGE_INTEGER zero{};
  LARGE_INTEGER here{};
  if (!SetFilePointerEx(H(file), zero, &here, FILE_CURRENT)) return -1;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset));
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  DWORD got = 0;
  const bool read = ReadFile(H(file), out, Chunk(bytes), &got, &at) != 0;
  // Reading from the end or beyond it is an empty read, not an error.
  const bool atEnd = !read && GetLastError() == ERROR_HANDLE_EOF;
  if (!SetFilePointerEx(H(file), here, nullptr, FILE_BEGIN)) return -1;
  if (!read) return atEnd ? 0 : -1;
  return got;
}

int64_t SeekInput(InputHandle file, int64_t offset, bool fromEnd) {
  LARGE_INTEGER to{};
  to.QuadPart = offset;
  LARGE_INTEGER now{};
  if (!SetFilePointerEx(H(file), to, &now, fromEnd ? FILE_END : FILE_BEGIN)) return -1;
  return now.QuadPart;
}
