#pragma once
// A fresh folder for one test under the system's temporary folder, removed
// with everything in it at the end, and the few file tools the tests use in it.

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

// Linux: the folder's permission bits are 0700. Windows: true for a folder,
// whose rights are inherited from the user's own temporary folder.
bool IsPrivateFolder(const std::string& path);

// Runs a command of the machine the tests run on (sox, lame) through the
// shell; false when it fails or when the test program cannot start one (a
// Windows program under wine cannot start the Linux tools).
bool RunHostCommand(const std::string& command);
