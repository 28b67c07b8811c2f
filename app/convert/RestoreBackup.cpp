#include "RestoreBackup.h"

#include <cstdint>
#include <limits>

#include "CheckedFile.h"
#include "CopyIntoPlace.h"
#include "Exceptions.h"
#include "FileChecks.h"
#include "PathUtils.h"
#include "PrivateFiles.h"

const char* const kNoBackup = "There is no backup %s\rNothing changed!";
const char* const kBackupNotRegular = "The backup %s is not a regular file\rNothing changed!";

namespace {

constexpr int kAccessDenied = 5;

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
  TClosingGuard backupGuard(backup);
  OpenForReading(backup, backupPath);
  statusLine.SetStatusText("Restoring " + ExtractFileName(gamePath));
  statusLine.RepaintWindow();

  CopyIntoPlace(backup, std::numeric_limits<int64_t>::max(), gamePath, nullptr);
  statusLine.SetStatusText("That's right");
}
