#pragma once
// A file's new content, written beside it under a hidden name of its own and
// put in its place in one step, so that the old content stays whole until
// the new one is complete, and a reader or another writer never sees the
// file missing or half written. The game file of a conversion and the
// settings file are both replaced this way. The new file is watched
// (RunCleanup.h) from the moment it exists, so a run ended by a signal
// leaves none behind.

#include <string>

#include "FileOpening.h"
#include "FileServices.h"
#include "RunCleanup.h"

// A hidden name beside target, for a file of this run: "." + the target's
// name + "." + randomPart. The name is cut (never the random part) so that it
// stays within the longest name a folder takes, and the whole path within
// the longest path, when the target's own does.
std::string HiddenNameBeside(const std::string& target, const std::string& randomPart);
// 16 hexadecimal digits, new for every call.
std::string RandomSuffix();
// Creates a new hidden file beside target, exclusively, and watches it from
// the moment it exists. The open file, or INVALID_HANDLE_VALUE with *code
// set.
THandle CreateHiddenBeside(const std::string& target, TOpenAccess access, std::string& path, TRunFile& watched,
                           int* code);

class TFileReplacement {
 public:
  explicit TFileReplacement(std::string target) : target_(std::move(target)) {}
  // A new file not put in place is closed (when still held) and removed.
  ~TFileReplacement();
  TFileReplacement(const TFileReplacement&) = delete;
  TFileReplacement& operator=(const TFileReplacement&) = delete;

  // Creates the new file, empty, open for `access`. It takes the permission
  // bits of the file it replaces (and its owner and group where the user may
  // give them), else 0666 less the umask, as a file created in place would
  // have; on Windows it keeps the folder's inherited rights. 0, or the
  // platform code of the failure (the folder takes no new file: 5).
  int Create(TOpenAccess access);
  THandle Handle() const { return handle_; }
  const std::string& Path() const { return path_; }
  // The caller takes the open file over and closes it before Commit.
  THandle Release();
  // Writes the new file's data out to the disk first when `flush` (a crash
  // then leaves the old content or the new one, never an empty file), closes
  // it when still held, and renames it over the target. 0 or the code.
  int Commit(bool flush);

 private:
  std::string target_;
  std::string path_;
  THandle handle_ = INVALID_HANDLE_VALUE;
  bool committed_ = false;
  TRunFile watched_;
};
