#pragma once
// Files that belong to one run of the conversion and to nothing else, so that
// no user's file is ever written or deleted in their place, and two programs
// converting at once never share one.

#include <string>

#include "CheckedFile.h"

// The halved data of a 44100 Hz WAV: a file named after the WAV, created new
// in a folder of its own (mode 0700) under $TMPDIR, else /tmp. On destruction
// the file and the folder are removed, and only they.
class THalvedFile {
 public:
  THalvedFile() = default;
  ~THalvedFile();
  THalvedFile(const THalvedFile&) = delete;
  THalvedFile& operator=(const THalvedFile&) = delete;

  // Makes the folder and, in it, the empty file 'name' (a name without
  // folder). False when either cannot be made.
  bool Create(const std::string& name);
  // The file's full path; empty before Create succeeds.
  const std::string& Path() const { return path_; }

 private:
  std::string folder_;
  std::string path_;
};

// The new content of a file, written beside it under a hidden name of its own
// and put in its place in one step, so that the old content stays whole until
// the new one is complete, and a reader or another writer never sees the file
// missing or half written. Not committed, the new file is removed on
// destruction; closing the file variable is left to its owner.
class TReplacement {
 public:
  explicit TReplacement(std::string target) : target_(std::move(target)) {}
  ~TReplacement();
  TReplacement(const TReplacement&) = delete;
  TReplacement& operator=(const TReplacement&) = delete;

  // Creates the new file, empty, in the target's folder (mode 0666 less the
  // umask, as a file created in place would have), and opens 'f' on it with
  // read and write access and records of 1 byte. Raises EInOutError as
  // Rewrite does when the folder takes no new file.
  void Create(TFileVar& f);
  // Renames the new file, closed, over the target. Raises EInOutError.
  void Commit();

 private:
  std::string target_;
  std::string path_;
  bool committed_ = false;
};
