// The file services on the system's own calls. Error codes are GetLastError()
// as it stands: the error table is the system's.
#include <algorithm>

#include "ErrorCodes.h"
#include "FileChecks.h"
#include "FileOpening.h"
#include "FileServices.h"
#include "PathUtils.h"
#include "Win32_win.h"

// From here INVALID_HANDLE_VALUE is the system's HANDLE; the program's
// handle for no file is -1, the same value.

namespace {

int Fail(int code) { return SetLastOSError(code); }
int LastError() { return static_cast<int>(GetLastError()); }

// One call moves at most this much; larger counts are looped.
constexpr int64_t kMaxChunk = int64_t{1} << 30;

constexpr DWORD kClassicAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;

DWORD AttributesOf(const std::string& name) { return GetFileAttributesW(Widen(name).c_str()); }

// The end of a pipe's data reads as the end of the file, as on Linux.
bool IsEndOfData(DWORD err) { return err == ERROR_BROKEN_PIPE || err == ERROR_HANDLE_EOF; }

}  // namespace

size_t LongestFileName() { return 255; }
size_t LongestPathName() { return MAX_PATH - 1; }

THandle OpenPlatformFile(const std::string& name, TOpenAccess access, TOpenSharing sharing,
                         TOpenDisposition disposition, int* winError) {
  if (name.empty()) {
    *winError = ErrorCode::PathNotFound;
    return -1;
  }
  // The read-only attribute refuses writing, also where the system would
  // let an administrator through (wine running as root maps it onto
  // permission bits, which root ignores).
  if (access != TOpenAccess::Read && disposition != TOpenDisposition::CreateNew) {
    const DWORD attr = AttributesOf(name);
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attr & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      *winError = ErrorCode::AccessDenied;
      return -1;
    }
  }
  const DWORD desired = access == TOpenAccess::Read    ? GENERIC_READ
                        : access == TOpenAccess::Write ? GENERIC_WRITE
                                                       : GENERIC_READ | GENERIC_WRITE;
  // Sharing with others includes their renaming the file: the conversion
  // puts a game file in place by renaming over it.
  const DWORD share = sharing == TOpenSharing::None ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  // Create-always opens and then empties: CREATE_ALWAYS itself refuses a
  // hidden file and would reset the file's attributes.
  const DWORD how = disposition == TOpenDisposition::OpenExisting ? OPEN_EXISTING
                    : disposition == TOpenDisposition::CreateNew  ? CREATE_NEW
                                                                  : OPEN_ALWAYS;
  const HANDLE h = CreateFileW(Widen(name).c_str(), desired, share, nullptr, how, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *winError = LastError();
    return -1;
  }
  const bool existed = how == OPEN_ALWAYS && GetLastError() == ERROR_ALREADY_EXISTS;
  if (existed && GetFileType(h) == FILE_TYPE_DISK && !SetEndOfFile(h)) {
    *winError = LastError();
    CloseHandle(h);
    return -1;
  }
  return FromHandle(h);
}

int64_t WriteSome(THandle h, const void* buf, int64_t count, int* winError) {
  const char* p = static_cast<const char*>(buf);
  int64_t done = 0;
  while (done < count) {
    const DWORD chunk = static_cast<DWORD>(std::min(count - done, kMaxChunk));
    DWORD n = 0;
    if (!WriteFile(ToHandle(h), p + done, chunk, &n, nullptr)) {
      if (done == 0) {
        *winError = LastError();
        return -1;
      }
      break;
    }
    done += n;
    if (n < chunk) break;
  }
  return done;
}

int64_t ReadSome(THandle h, void* buf, int64_t count, int* winError) {
  char* p = static_cast<char*>(buf);
  int64_t done = 0;
  while (done < count) {
    const DWORD chunk = static_cast<DWORD>(std::min(count - done, kMaxChunk));
    DWORD n = 0;
    if (!ReadFile(ToHandle(h), p + done, chunk, &n, nullptr)) {
      const DWORD err = GetLastError();
      if (IsEndOfData(err)) break;
      if (done == 0) {
        *winError = static_cast<int>(err);
        return -1;
      }
      break;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

int64_t ReadSomeAt(THandle h, void* buf, int64_t count, int64_t offset, int* winError) {
  // A read at an offset moves a synchronous handle's position; it is put back.
  LARGE_INTEGER zero{}, here{};
  if (!SetFilePointerEx(ToHandle(h), zero, &here, FILE_CURRENT)) {
    *winError = LastError();
    return -1;
  }
  char* p = static_cast<char*>(buf);
  int64_t done = 0;
  int failure = 0;
  while (done < count) {
    const DWORD chunk = static_cast<DWORD>(std::min(count - done, kMaxChunk));
    OVERLAPPED at{};
    const uint64_t where = static_cast<uint64_t>(offset + done);
    at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(where >> 32);
    DWORD n = 0;
    if (!ReadFile(ToHandle(h), p + done, chunk, &n, &at)) {
      const DWORD err = GetLastError();
      if (!IsEndOfData(err) && done == 0) failure = static_cast<int>(err);
      break;
    }
    if (n == 0) break;
    done += n;
  }
  SetFilePointerEx(ToHandle(h), here, nullptr, FILE_BEGIN);
  if (failure != 0) {
    *winError = failure;
    return -1;
  }
  return done;
}

int SeekPlatformFile(THandle h, int64_t pos) {
  LARGE_INTEGER to;
  to.QuadPart = pos;
  return SetFilePointerEx(ToHandle(h), to, nullptr, FILE_BEGIN) ? 0 : LastError();
}

int ClosePlatformFile(THandle h) { return CloseHandle(ToHandle(h)) ? 0 : LastError(); }

int FlushPlatformFile(THandle h) { return FlushFileBuffers(ToHandle(h)) ? 0 : LastError(); }

int RegularFileCode(const std::string& name) {
  if (name.empty()) return ErrorCode::PathNotFound;
  const DWORD attr = AttributesOf(name);
  if (attr == INVALID_FILE_ATTRIBUTES) return LastError();
  return (attr & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0 ? ErrorCode::AccessDenied : 0;
}

int64_t FileSeek(THandle h, int64_t offset, int origin) {
  DWORD method;
  switch (origin) {
    case soFromBeginning:
      method = FILE_BEGIN;
      break;
    case soFromCurrent:
      method = FILE_CURRENT;
      break;
    case soFromEnd:
      method = FILE_END;
      break;
    default:
      Fail(ErrorCode::InvalidParameter);
      return -1;
  }
  LARGE_INTEGER to, now;
  to.QuadPart = offset;
  if (!SetFilePointerEx(ToHandle(h), to, &now, method)) {
    Fail(LastError());
    return -1;
  }
  return now.QuadPart;
}

int64_t FileSize(THandle h) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(ToHandle(h), &size)) {
    Fail(LastError());
    return -1;
  }
  return size.QuadPart;
}

// The date rule is the platform's: see FileChecks.h.
bool FileExists(const std::string& name) {
  if (name.empty()) {
    Fail(ErrorCode::PathNotFound);
    return false;
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Widen(name).c_str(), GetFileExInfoStandard, &data)) {
    Fail(LastError());
    return false;
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    Fail(ErrorCode::FileNotFound);
    return false;
  }
  return UnixToFileDate(UnixTimeOfFileTime(data.ftLastWriteTime)) != -1;
}

int FileGetAttr(const std::string& name) {
  if (name.empty()) {
    Fail(ErrorCode::PathNotFound);
    return -1;
  }
  const DWORD attr = AttributesOf(name);
  if (attr == INVALID_FILE_ATTRIBUTES) {
    Fail(LastError());
    return -1;
  }
  return static_cast<int>(attr & kClassicAttributes);
}

int FileSetAttr(const std::string& name, int attr) {
  if (name.empty()) return Fail(ErrorCode::PathNotFound);
  const DWORD wanted = static_cast<DWORD>(attr) & (kClassicAttributes & ~FILE_ATTRIBUTE_DIRECTORY);
  if (!SetFileAttributesW(Widen(name).c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted)) return Fail(LastError());
  return 0;
}

int FileGetDate(THandle h) {
  FILETIME written;
  if (!GetFileTime(ToHandle(h), nullptr, nullptr, &written)) {
    Fail(LastError());
    return -1;
  }
  const int age = UnixToFileDate(UnixTimeOfFileTime(written));
  if (age == -1) Fail(ErrorCode::InvalidParameter);
  return age;
}

int FileSetDate(THandle h, int age) {
  const int64_t t = FileDateToUnix(age);
  if (t == -1) return Fail(ErrorCode::InvalidParameter);
  const FILETIME written = FileTimeOfUnixTime(t);
  if (!SetFileTime(ToHandle(h), nullptr, nullptr, &written)) return Fail(LastError());
  return 0;
}

bool DeleteFile(const std::string& name) {
  if (name.empty()) {
    Fail(ErrorCode::PathNotFound);
    return false;
  }
  // The system refuses a read-only file and a folder with 5 itself (the
  // attribute is checked here too, for the reason OpenPlatformFile gives).
  const DWORD attr = AttributesOf(name);
  if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY) != 0) {
    Fail(ErrorCode::AccessDenied);
    return false;
  }
  if (!DeleteFileW(Widen(name).c_str())) {
    Fail(LastError());
    return false;
  }
  return true;
}

bool CopyFile(const std::string& source, const std::string& dest, bool failIfExists) {
  // Copying a file onto itself would empty it before reading it.
  if (IsSameExistingFile(source, dest)) {
    Fail(ErrorCode::SharingViolation);
    return false;
  }
  // The system's copy keeps the attributes and the date, and removes a copy
  // that fails part way.
  if (!CopyFileW(Widen(source).c_str(), Widen(dest).c_str(), failIfExists ? TRUE : FALSE)) {
    Fail(LastError());
    return false;
  }
  return true;
}
