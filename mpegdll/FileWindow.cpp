#include "FileWindow.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

bool FileWindow::ReadAt(void* source, off_t offset, unsigned char* out, size_t bytes) {
  return static_cast<FileWindow*>(source)->Read(offset, out, bytes);
}

bool FileWindow::Read(off_t offset, unsigned char* out, size_t bytes) {
  if (offset < 0 || bytes > kBufferBytes) return false;
  if (offset < start_ || offset + static_cast<off_t>(bytes) > start_ + static_cast<off_t>(length_)) {
    ssize_t got;
    do {
      got = ::pread(fd_, buffer_.get(), kBufferBytes, offset);
    } while (got < 0 && errno == EINTR);
    start_ = offset;
    length_ = got > 0 ? static_cast<size_t>(got) : 0;
    if (length_ < bytes) return false;
  }
  std::memcpy(out, buffer_.get() + (offset - start_), bytes);
  return true;
}
