#pragma once
// The platform's error codes that the program names, in one table: the codes
// of the Windows error table, which the file services report on every system
// (Linux maps errno onto them), and the run-time's own I/O codes 100..106.

namespace ErrorCode {
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int TooManyOpenFiles = 4;
constexpr int AccessDenied = 5;
constexpr int InvalidHandle = 6;
constexpr int NotEnoughMemory = 8;
constexpr int NotSameDevice = 17;
constexpr int DeviceNotReady = 21;
constexpr int GeneralFailure = 31;
constexpr int SharingViolation = 32;
constexpr int LockViolation = 33;
constexpr int HandleDiskFull = 39;
constexpr int FileExists = 80;
constexpr int InvalidParameter = 87;
constexpr int BrokenPipe = 109;
constexpr int DiskFull = 112;
constexpr int InvalidName = 123;
constexpr int NegativeSeek = 131;
constexpr int SeekOnDevice = 132;
constexpr int FolderNotEmpty = 145;
constexpr int Busy = 170;
constexpr int AlreadyExists = 183;
constexpr int NameTooLong = 206;
constexpr int DeviceIOError = 1117;
constexpr int CannotResolveName = 1921;

// The run-time's codes of the checked file variables.
constexpr int EndOfFile = 100;
constexpr int DiskWriteError = 101;
constexpr int FileNotAssigned = 102;
constexpr int FileNotOpen = 103;
constexpr int FileNotOpenForInput = 104;
constexpr int FileNotOpenForOutput = 105;
constexpr int InvalidNumericFormat = 106;
}  // namespace ErrorCode
