#pragma once
// Files that belong to one run of the conversion and to nothing else, so that
// no user's file is ever written or deleted in their place, and two programs
// converting at once never share one. Each is watched (RunCleanup.h) from the
// moment it exists until it is handed over or removed, so that a run ended
// by SIGINT, SIGTERM or SIGHUP leaves none of them behind.

#include <string>

#include "CheckedFile.h"
#include "FileReplacement.h"
#include "RunCleanup.h"

// The halved data of a 44100 Hz WAV: a file named after the WAV, created new
// in a folder of its own (mode 0700) under $TMPDIR, else /tmp. Remove (or the
// destructor) removes the file and the folder, and only they.
class THalvedFile {
 public:
  THalvedFile() = default;
  ~THalvedFile();
  THalvedFile(const THalvedFile&) = delete;
  THalvedFile& operator=(const THalvedFile&) = delete;

  // Makes the folder and, in it, the empty file 'name' (a name without
  // folder). False when either cannot be made; FailedPath then names the
  // folder that refused.
  bool Create(const std::string& name);
  // The file's full path; empty before Create succeeds.
  const std::string& Path() const { return path_; }
  const std::string& FailedPath() const { return failedPath_; }
  // The platform code of the failed Create.
  int FailedCode() const { return failedCode_; }
  // Removes the file and then the folder. An open descriptor of the file
  // still reads it. 0, or the platform code of the first failure, with
  // FailedPath naming what stayed; the folder is removed also when the file
  // would not go, if it can be.
  int Remove();

 private:
  std::string folder_;
  std::string path_;
  std::string failedPath_;
  int failedCode_ = 0;
  TRunFile watchedFolder_;
  TRunFile watchedFile_;
};

// The new content of a file, written beside it under a hidden name of its own
// and put in its place in one step, so that the old content stays whole until
// the new one is complete, and a reader or another writer never sees the file
// missing or half written. Not committed, the new file is removed on
// destruction; closing the file variable is left to its owner.
class TReplacement {
 public:
  explicit TReplacement(std::string target) : replacement_(std::move(target)) {}
  TReplacement(const TReplacement&) = delete;
  TReplacement& operator=(const TReplacement&) = delete;

  // Creates the new file, empty, in the target's folder, and opens 'f' on it
  // with read and write access and records of 1 byte. It takes the
  // permission bits of the file it replaces (and its owner and group where
  // the user may give them), else 0666 less the umask, as a file created in
  // place would have. Raises EInOutError as Rewrite does when the folder
  // takes no new file.
  void Create(TFileVar& f);
  // Renames the new file, closed, over the target. Raises EInOutError.
  void Commit();

 private:
  TFileReplacement replacement_;
};

// The first backup of a game file, whole or not at all: the game file is
// copied into a new hidden file beside it, flushed to the disk, and only then
// given the backup's name, without replacing anything there. Returns 0 when
// the backup was made; 80 when something had the backup's name already (the
// caller decides what that means); the platform code of the failure
// otherwise (2 or 3 when there is no game file). An interrupted or failed
// copy never leaves a file under the backup's name.
// madeBackup watches the new backup from the moment it has its name: a run
// ended by a signal before the game file is replaced leaves no backup of its
// own; the caller forgets it once the game file is replaced.
int MakeWholeBackup(const std::string& gameName, const std::string& backupName, TRunFile& madeBackup);

