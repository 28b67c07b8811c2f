// The rules of the unchecked file services that hold on every system: the
// open modes, the argument checks and the DOS date code. The system's part
// is in FileServices_posix.cpp and FileServices_win.cpp.
#include "FileServices.h"

#include <algorithm>

#include "ErrorCodes.h"
#include "FileDates.h"
#include "FileOpening.h"

namespace {

thread_local int lastOSError = 0;

}  // namespace

int SetLastOSError(int code) {
  lastOSError = code;
  return code;
}

int LastOSError() { return lastOSError; }

THandle FileOpen(const std::string& name, uint32_t mode) {
  const uint32_t accessBits = mode & 0x3;
  const uint32_t shareBits = (mode >> 4) & 0xF;
  if (accessBits == 3 || shareBits > 4 || (mode & ~0xF3u) != 0) {
    SetLastOSError(ErrorCode::InvalidParameter);
    return INVALID_HANDLE_VALUE;
  }
  const TOpenAccess access = accessBits == 0   ? TOpenAccess::Read
                             : accessBits == 1 ? TOpenAccess::Write
                                               : TOpenAccess::ReadWrite;
  // Compatibility mode and exclusive mode share nothing.
  const TOpenSharing sharing = shareBits <= 1 ? TOpenSharing::None : TOpenSharing::ReadWrite;
  int code = 0;
  const THandle h = OpenPlatformFile(name, access, sharing, TOpenDisposition::OpenExisting, &code);
  if (h == INVALID_HANDLE_VALUE) SetLastOSError(code);
  return h;
}

THandle FileCreate(const std::string& name) {
  int code = 0;
  const THandle h =
      OpenPlatformFile(name, TOpenAccess::ReadWrite, TOpenSharing::None, TOpenDisposition::CreateAlways, &code);
  if (h == INVALID_HANDLE_VALUE) SetLastOSError(code);
  return h;
}

int64_t FileRead(THandle h, void* buf, int64_t count) {
  if (count < 0 || (count > 0 && buf == nullptr)) {
    SetLastOSError(ErrorCode::InvalidParameter);
    return -1;
  }
  int code = 0;
  const int64_t n = ReadSome(h, buf, count, &code);
  if (n < 0) SetLastOSError(code);
  return n;
}

int64_t FileReadAt(THandle h, void* buf, int64_t count, int64_t offset) {
  if (count < 0 || offset < 0 || (count > 0 && buf == nullptr)) {
    SetLastOSError(ErrorCode::InvalidParameter);
    return -1;
  }
  int code = 0;
  const int64_t n = ReadSomeAt(h, buf, count, offset, &code);
  if (n < 0) SetLastOSError(code);
  return n;
}

int64_t FileWrite(THandle h, const void* buf, int64_t count) {
  if (count < 0 || (count > 0 && buf == nullptr)) {
    SetLastOSError(ErrorCode::InvalidParameter);
    return -1;
  }
  int code = 0;
  const int64_t n = WriteSome(h, buf, count, &code);
  if (n < 0) SetLastOSError(code);
  return n;
}

bool FileClose(THandle h) {
  const int code = ClosePlatformFile(h);
  if (code != 0) SetLastOSError(code);
  return code == 0;
}

int UnixToFileDate(int64_t unixTime) {
  TLocalTime lt;
  if (!LocalTimeOf(unixTime, lt)) return -1;
  if (lt.Year < 1980 || lt.Year > 2107) return -1;
  const uint32_t date = static_cast<uint32_t>(((lt.Year - 1980) << 9) | (lt.Month << 5) | lt.Day);
  const uint32_t time = static_cast<uint32_t>((lt.Hour << 11) | (lt.Minute << 5) | (std::min(lt.Second, 59) / 2));
  return static_cast<int>(date << 16 | time);
}

int64_t FileDateToUnix(int age) {
  const uint32_t code = static_cast<uint32_t>(age);
  const uint32_t date = code >> 16;
  const uint32_t time = code & 0xFFFF;
  TLocalTime lt;
  lt.Year = static_cast<int>(date >> 9) + 1980;
  lt.Month = static_cast<int>((date >> 5) & 0xF);
  lt.Day = static_cast<int>(date & 0x1F);
  lt.Hour = static_cast<int>(time >> 11);
  lt.Minute = static_cast<int>((time >> 5) & 0x3F);
  lt.Second = static_cast<int>(time & 0x1F) * 2;
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (lt.Month < 1 || lt.Month > 12 || lt.Day < 1 || lt.Hour > 23 || lt.Minute > 59 || lt.Second > 59) return -1;
  const bool leap = (lt.Year % 4 == 0 && lt.Year % 100 != 0) || lt.Year % 400 == 0;
  if (lt.Day > kDays[lt.Month - 1] + (lt.Month == 2 && leap ? 1 : 0)) return -1;
  return UnixTimeOf(lt);
}
