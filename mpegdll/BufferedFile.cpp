#include "BufferedFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

ssize_t ReadSome(int fd, unsigned char* out, size_t bytes) {
  for (;;) {
    const ssize_t got = ::read(fd, out, bytes);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace

BufferedFile::BufferedFile(int fd) : fd_(fd), buffer_(new unsigned char[kBufferBytes]) {}

BufferedFile::~BufferedFile() { ::close(fd_); }

void BufferedFile::Reset(off_t at) {
  pos_ = 0;
  end_ = 0;
  fileAt_ = at;
}

bool BufferedFile::Rewind() { return Seek(0, SEEK_SET) == 0; }

ssize_t BufferedFile::Read(unsigned char* out, size_t bytes) {
  if (limit_ >= 0) {
    const off_t at = fileAt_ - static_cast<off_t>(end_ - pos_);
    if (at >= limit_) return 0;
    if (static_cast<off_t>(bytes) > limit_ - at) bytes = static_cast<size_t>(limit_ - at);
  }
  size_t done = 0;
  while (done < bytes) {
    if (pos_ == end_) {
      // A request as large as the buffer goes straight to the caller's memory.
      const bool direct = bytes - done >= kBufferBytes;
      const ssize_t got = direct ? ReadSome(fd_, out + done, bytes - done) : ReadSome(fd_, buffer_.get(), kBufferBytes);
      if (got < 0) {
        readFailed_ = true;
        return done > 0 ? static_cast<ssize_t>(done) : -1;
      }
      if (got == 0) break;
      fileAt_ += got;
      if (direct) {
        done += static_cast<size_t>(got);
        continue;
      }
      pos_ = 0;
      end_ = static_cast<size_t>(got);
    }
    const size_t n = end_ - pos_ < bytes - done ? end_ - pos_ : bytes - done;
    std::memcpy(out + done, buffer_.get() + pos_, n);
    pos_ += n;
    done += n;
  }
  return static_cast<ssize_t>(done);
}

off_t BufferedFile::Seek(off_t offset, int whence) {
  const off_t bufferStart = fileAt_ - static_cast<off_t>(end_);
  off_t target;
  switch (whence) {
    case SEEK_SET:
      target = offset;
      break;
    case SEEK_CUR:
      target = fileAt_ - static_cast<off_t>(end_ - pos_) + offset;
      break;
    case SEEK_END: {
      if (limit_ >= 0) {
        target = limit_ + offset;
        break;
      }
      const off_t at = ::lseek(fd_, offset, SEEK_END);
      if (at < 0) return -1;
      Reset(at);
      return at;
    }
    default:
      return -1;
  }
  if (target < 0) return -1;
  if (target >= bufferStart && target <= fileAt_) {
    pos_ = static_cast<size_t>(target - bufferStart);
    return target;
  }
  const off_t at = ::lseek(fd_, target, SEEK_SET);
  if (at < 0) return -1;
  Reset(at);
  return at;
}

ssize_t BufferedFile::ReadFn(void* handle, void* buffer, size_t bytes) {
  return static_cast<BufferedFile*>(handle)->Read(static_cast<unsigned char*>(buffer), bytes);
}

off_t BufferedFile::SeekFn(void* handle, off_t offset, int whence) {
  return static_cast<BufferedFile*>(handle)->Seek(offset, whence);
}
