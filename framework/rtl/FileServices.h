#pragma once
// Unchecked file services: they raise nothing and report failure only through
// their results. The platform error code of the last failure is kept per thread
// (LastOSError) in the codes of the error table (2, 3, 4, 5, 32, 112 ...).

#include <cstdint>
#include <string>

#include "FileChecks.h"  // FileExists and the other questions about a name

// An open file: a descriptor on Linux, a HANDLE on Windows, wide enough for
// either. -1 is no file on both (the platform's own invalid handle value).
using THandle = std::intptr_t;
constexpr THandle INVALID_HANDLE_VALUE = -1;

// Open modes of FileOpen (access in the low bits, sharing in the next ones).
constexpr uint32_t fmOpenRead = 0x0000;
constexpr uint32_t fmOpenWrite = 0x0001;
constexpr uint32_t fmOpenReadWrite = 0x0002;
constexpr uint32_t fmShareCompat = 0x0000;
constexpr uint32_t fmShareExclusive = 0x0010;
constexpr uint32_t fmShareDenyWrite = 0x0020;
constexpr uint32_t fmShareDenyNone = 0x0040;

// File attributes; read-only as IsReadOnlyMode says.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;

// Seek origins.
constexpr int soFromBeginning = 0;
constexpr int soFromCurrent = 1;
constexpr int soFromEnd = 2;

int LastOSError();

THandle FileOpen(const std::string& name, uint32_t mode);  // -1 on failure
THandle FileCreate(const std::string& name);               // -1 on failure
int64_t FileRead(THandle h, void* buf, int64_t count);     // -1 on failure
int64_t FileWrite(THandle h, const void* buf, int64_t count);
int64_t FileSeek(THandle h, int64_t offset, int origin);  // new position, -1 on failure
// Reads up to count bytes at offset without moving the file's position; fewer
// only at the end of the file. -1 on failure.
int64_t FileReadAt(THandle h, void* buf, int64_t count, int64_t offset);
bool FileClose(THandle h);
// 64-bit size of an open file, -1 on failure.
int64_t FileSize(THandle h);

int FileGetAttr(const std::string& name);            // -1 on failure
int FileSetAttr(const std::string& name, int attr);  // 0 or the platform code
// The file's modification time as a local DOS date-time code (date << 16 | time).
int FileGetDate(THandle h);           // -1 on failure
int FileSetDate(THandle h, int age);  // 0 or the platform code
bool DeleteFile(const std::string& name);
// Copies contents, the read-only attribute (permission bits on Linux) and
// modification time. A copy that fails
// part way removes what it had written of the destination.
bool CopyFile(const std::string& source, const std::string& dest, bool failIfExists);

// Local DOS date-time code (date << 16 | time, 2-second resolution) of a
// time in seconds since the epoch; -1 outside 1980..2107 local time.
int UnixToFileDate(int64_t unixTime);
// The reverse; -1 for a code that names no valid date and time.
int64_t FileDateToUnix(int age);
