#pragma once
// The system's side of the PCM-file device's WAV: a new file made beside the
// one it replaces, which stays whole until the new file is complete and
// takes its place in one step.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FileId.h"

class WavOutputFile {
 public:
  WavOutputFile() = default;
  // A file that was not put in place is removed.
  ~WavOutputFile();
  WavOutputFile(const WavOutputFile&) = delete;
  WavOutputFile& operator=(const WavOutputFile&) = delete;

  // Makes the new file for `path`, unnamed where the file system allows it
  // (else under a hidden name beside it), with an old file's permissions.
  // false, with nothing changed: the name is a FIFO, a device or a folder
  // (opening those could block or write where no file is), an old file that
  // is read-only (even for an administrator), or the file the stream is
  // read from (`input`); or its folder takes no new file. A link's target
  // is what gets replaced, so the link stays and leads to the new WAV.
  bool Create(const std::string& path, const FileId& input);
  bool IsOpen() const { return handle_ != -1; }
  // An old file of that name is there: its replacement makes the file
  // system write the new one out first.
  bool Replacing() const { return replacing_; }
  bool Append(const unsigned char* p, size_t bytes);
  bool WriteAt(uint64_t offset, const unsigned char* p, size_t bytes);
  // Starts the disk writes of a stretch just written, so that little is
  // left to do when the file replaces the old one.
  void StartWriteOut(uint64_t offset, size_t bytes);
  // Gives the complete file its place and closes it. false: it failed, and
  // the old file (or none) stays.
  bool PutInPlace();

 private:
  intptr_t handle_ = -1;
  std::string target_;  // the file the new one replaces (a link's target)
  std::string hidden_;  // the new file's name while it has one, or empty
  bool replacing_ = false;
};
