#pragma once
// Reads at any offset of an open file through a buffer of its own, without
// moving the file's offset (the decoder reads the same file meanwhile).
// Looking at frame headers one after another then costs one system call per
// kBufferBytes.

#include <sys/types.h>

#include <cstddef>
#include <memory>

class FileWindow {
 public:
  explicit FileWindow(int fd) : fd_(fd), buffer_(new unsigned char[kBufferBytes]) {}

  // A ReadAtFn (FrameHeader.h) on the FileWindow `source`.
  static bool ReadAt(void* source, off_t offset, unsigned char* out, size_t bytes);

  static constexpr size_t kBufferBytes = size_t{1} << 16;

 private:
  bool Read(off_t offset, unsigned char* out, size_t bytes);

  int fd_;
  std::unique_ptr<unsigned char[]> buffer_;
  off_t start_ = 0;  // buffer_[0, length_) holds the file from start_ on
  size_t length_ = 0;
};
