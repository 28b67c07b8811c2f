// The rules of the run's private files; the system's steps are in
// PrivateFiles_posix.cpp and PrivateFiles_win.cpp.
#include "PrivateFiles.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "ErrorCodes.h"
#include "Exceptions.h"
#include "FileOpening.h"
#include "FileServices.h"
#include "PathUtils.h"
#include "PrivateFileSteps.h"

namespace {

constexpr size_t kCopyBuffer = 64 * 1024;

[[noreturn]] void RaiseInOutError(int code) { throw EInOutError(InOutErrorMessage(code), code); }

// Copies everything from in to out; 0 or the platform code of the failure.
int CopyAll(THandle in, THandle out) {
  std::vector<char> buffer(kCopyBuffer);
  for (;;) {
    int code = 0;
    const int64_t got = ReadSome(in, buffer.data(), static_cast<int64_t>(buffer.size()), &code);
    if (got < 0) return code;
    if (got == 0) return 0;
    const int64_t put = WriteSome(out, buffer.data(), got, &code);
    if (put < 0) return code;
    if (put < got) return ErrorCode::DiskFull;
  }
}

}  // namespace

THalvedFile::~THalvedFile() { Remove(); }

bool THalvedFile::Create(const std::string& name) {
  const std::string root = TemporaryRoot();
  {
    TEndingSignalsHeld held;
    folder_ = MakePrivateFolder(root);
    if (folder_.empty()) {
      failedPath_ = root;
      failedCode_ = LastOSError() != 0 ? LastOSError() : ErrorCode::AccessDenied;
      return false;
    }
    watchedFolder_.Watch(folder_, true);
  }
  const std::string path = folder_ + PathDelim + name;
  TEndingSignalsHeld held;
  const int code = CreateNewEmptyFile(path);
  if (code != 0) {
    failedPath_ = path;
    failedCode_ = code;
    return false;
  }
  path_ = path;
  watchedFile_.Watch(path_);
  return true;
}

int THalvedFile::Remove() {
  int code = 0;
  bool fileRemovedNow = false;
  if (!path_.empty()) {
    code = RemoveFileIfThere(path_);
    if (code != 0) {
      failedPath_ = path_;
    } else {
      watchedFile_.Forget();
      path_.clear();
      fileRemovedNow = true;
    }
  }
  if (!folder_.empty()) {
    const int folderCode = RemoveFolderIfThere(folder_);
    // A file still open keeps its name on Windows until it is closed (where
    // the file system cannot remove it at once): the folder then goes when
    // this object does, after the run has closed the file.
    if (folderCode == ErrorCode::FolderNotEmpty && fileRemovedNow) return code;
    if (folderCode != 0) {
      if (code == 0) {
        code = folderCode;
        failedPath_ = folder_;
      }
    } else {
      watchedFolder_.Forget();
      folder_.clear();
    }
  }
  return code;
}

void TReplacement::Create(TFileVar& f) {
  const int code = replacement_.Create(TOpenAccess::ReadWrite);
  if (code != 0) RaiseInOutError(code);
  f.Name = replacement_.Path();
  f.Handle = replacement_.Release();
  f.State = TFileState::fmInOut;
  f.RecSize = 1;
}

void TReplacement::Commit() {
  const int code = replacement_.Commit(false);
  if (code != 0) RaiseInOutError(code);
}

int MakeWholeBackup(const std::string& gameName, const std::string& backupName, TRunFile& madeBackup) {
  int code = 0;
  const THandle in =
      OpenPlatformFile(gameName, TOpenAccess::Read, TOpenSharing::ReadWrite, TOpenDisposition::OpenExisting, &code);
  if (in == INVALID_HANDLE_VALUE) return code;
  std::string hidden;
  TRunFile watched;
  const THandle out = CreateHiddenBeside(backupName, TOpenAccess::Write, hidden, watched, &code);
  if (out == INVALID_HANDLE_VALUE) {
    ClosePlatformFile(in);
    return code;
  }
  code = CopyAll(in, out);
  if (code == 0) code = KeepDateAndMode(in, out);
  ClosePlatformFile(in);
  // On the disk before it has the backup's name: after a crash or a power
  // loss a backup is there whole or not at all.
  if (code == 0) code = FlushPlatformFile(out);
  const int closeCode = ClosePlatformFile(out);
  if (code == 0) code = closeCode;
  if (code == 0) {
    // Never over an existing name: a backup another run made stays as it is.
    // The new backup is watched from the moment it has its name.
    TEndingSignalsHeld held;
    bool moved = false;
    code = NameWithoutReplacing(hidden, backupName, &moved);
    if (code == 0) madeBackup.Watch(backupName);
    if (moved) {
      watched.Forget();
      return code;
    }
  }
  RemoveFileIfThere(hidden);
  watched.Forget();
  return code;
}
