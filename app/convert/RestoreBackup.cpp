#include "RestoreBackup.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "CheckedFile.h"
#include "Exceptions.h"
#include "FileChecks.h"
#include "PathUtils.h"
#include "PrivateFiles.h"

const char* const kNoBackup = "There is no backup %s\rNothing changed!";
const char* const kBackupNotRegular = "The backup %s is not a regular file\rNothing changed!";

namespace {

constexpr int64_t kCopyBlock = 64 * 1024;
constexpr int kAccessDenied = 5;
constexpr int kDiskFull = 101;
constexpr int kPlatformDiskFull = 112;

[[noreturn]] void RaiseInOutError(int code) { throw EInOutError(InOutErrorMessage(code), code); }

std::string Naming(const char* text, const std::string& name) {
  std::string result = text;
  result.replace(result.find("%s"), 2, name);
  return result;
}

// The backup may be read-only, as the game file was when it was copied:
// reading it asks for no more than reading.
void OpenForReading(TFileVar& f, const std::string& name) {
  const int mode = FileMode;
  FileMode = 0;
  try {
    AssignFile(f, name);
    Reset(f, 1);
  } catch (...) {
    FileMode = mode;
    throw;
  }
  FileMode = mode;
}

// Closes what an error left open; the error on its way matters more than a
// failure to close.
class ClosingGuard {
 public:
  explicit ClosingGuard(TFileVar& f) : f_(f) {}
  ~ClosingGuard() {
    if (f_.State == TFileState::fmClosed) return;
    try {
      CloseFile(f_);
    } catch (const Exception&) {
    }
  }
  ClosingGuard(const ClosingGuard&) = delete;
  ClosingGuard& operator=(const ClosingGuard&) = delete;

 private:
  TFileVar& f_;
};

void WriteAll(TFileVar& f, const unsigned char* buffer, int64_t count) {
  int64_t put = 0;
  try {
    BlockWrite(f, buffer, count, put);
  } catch (const EInOutError& e) {
    RaiseInOutError(e.ErrorCode == kPlatformDiskFull ? kDiskFull : e.ErrorCode);
  }
  // A write that stores less than it was given has run out of room.
  if (put < count) RaiseInOutError(kDiskFull);
}

}  // namespace

void RestoreBackup(const std::string& gamePath, IMessages& messages, IStatusLine& statusLine) {
  const std::string backupPath = gamePath + ".bak";
  if (IsSpecialFile(backupPath)) {
    messages.PlainMessage(Naming(kBackupNotRegular, backupPath));
    return;
  }
  if (!RegularFileExists(backupPath)) {
    messages.PlainMessage(Naming(kNoBackup, backupPath));
    return;
  }
  // A folder, FIFO or device in the game file's place would be replaced by a
  // regular file.
  if (IsSpecialFile(gamePath)) RaiseInOutError(kAccessDenied);

  TFileVar backup;
  ClosingGuard backupGuard(backup);
  OpenForReading(backup, backupPath);
  statusLine.SetStatusText("Restoring " + ExtractFileName(gamePath));
  statusLine.RepaintWindow();

  TFileVar game;
  ClosingGuard gameGuard(game);
  TReplacement replacement(gamePath);
  replacement.Create(game);
  std::vector<unsigned char> buffer(kCopyBlock);
  int64_t got = 0;
  do {
    BlockRead(backup, buffer.data(), kCopyBlock, got);
    WriteAll(game, buffer.data(), got);
  } while (got > 0);
  CloseFile(backup);
  CloseFile(game);
  replacement.Commit();
  statusLine.SetStatusText("That's right");
}
