#pragma once
// A fresh folder for one test under the system's temporary folder, removed
// with everything in it at the end, and the few file tools the tests use in it.

#include <sys/resource.h>
#include <sys/types.h>

#include <string>

class TempDir {
 public:
  // Throws std::runtime_error when no folder can be made, so that a test never
  // writes to a path built on an empty name.
  TempDir();
  // Files and folders a test left read-only are removed too.
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // True while the folder exists.
  bool Ok() const;
  // The folder, ending in "/".
  const std::string& Path() const { return path_; }
  // The folder joined with `name`, which may hold further folders ("a/b.wav").
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Replaces the file's content; false when it cannot be written in full.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The file's content; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// The permission bits of the file, or (mode_t)-1 when there is none.
mode_t ModeOf(const std::string& path);

// Sets an environment variable for the life of the object, then gives it
// back its old value, or unsets it when it had none.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

// Lowers the process's file size limit for the life of the object: writes
// past it are cut short or fail as on a full disk. SIGXFSZ is ignored from
// then on, as the program does.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool Ok() const { return ok_; }

 private:
  rlimit old_{};
  bool ok_ = false;
};

// Detaches a mount at the end of the test, also when an assertion ends it early.
struct MountGuard {
  std::string point;
  ~MountGuard();
};
