#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "InputFile.h"

InputHandle OpenRegularInput(const char* name, FileId* id, int64_t* bytes) {
  const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kNoInput;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return kNoInput;
  }
  *id = FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  *bytes = st.st_size;
  return fd;
}

void CloseInput(InputHandle file) { ::close(static_cast<int>(file)); }

int64_t ReadInput(InputHandle file, unsigned char* out, size_t bytes) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(file), out, bytes);
    if (got >= 0 || errno != EINTR) return got;
  }
}

int64_t ReadInputAt(InputHandle file, int64_t offset, unsigned char* out, size_t bytes) {
  for (;;) {
    const ssize_t got = ::pread(static_cast<int>(file), out, bytes, static_cast<off_t>(offset));
    if (got >= 0 || errno != EINTR) return got;
  }
}

int64_t SeekInput(InputHandle file, int64_t offset, bool fromEnd) {
  return ::lseek(static_cast<int>(file), static_cast<off_t>(offset), fromEnd ? SEEK_END : SEEK_SET);
}
