#pragma once
// File tools of the Linux tests: permission bits, the file size limit and
// mounts.

#include <sys/resource.h>
#include <sys/types.h>

#include <string>

// The permission bits of the file, or (mode_t)-1 when there is none.
mode_t ModeOf(const std::string& path);

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
