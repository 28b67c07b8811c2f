#pragma once
// A named input file. The decoder asks for each frame header and each frame
// body separately; straight on the file that is two system calls per frame,
// which is most of the time of a pass over the frames and a part of
// decoding. Here a forward read takes one system call per kBufferBytes, and
// reads at an offset (the pass over the frame headers, done while the
// decoder's position stays) go through a window of their own. Used by one
// thread at a time: the caller's during "Open" and "Restart", the playing
// thread while playing.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "FileId.h"
#include "InputFile.h"
#include "StreamInput.h"

class NamedInput : public StreamInput {
 public:
  // nullptr when the name cannot be read or is not a regular file.
  static std::unique_ptr<NamedInput> Open(const char* name, FileId* id);
  ~NamedInput() override;
  NamedInput(const NamedInput&) = delete;
  NamedInput& operator=(const NamedInput&) = delete;

  int64_t Size() override { return limit_ >= 0 ? limit_ : bytes_; }
  int64_t Read(unsigned char* out, size_t bytes) override;
  int64_t Seek(int64_t offset, Whence whence) override;
  bool Rewind() override { return Seek(0, kFromStart) == 0; }
  bool ReadFailed() const override { return readFailed_; }
  void ClearReadFailed() override { readFailed_ = false; }
  bool ReadAt(int64_t offset, unsigned char* out, size_t bytes) override;
  bool CanReadAt() const override { return true; }
  void SetEnd(int64_t end) override { limit_ = end; }

  static constexpr size_t kBufferBytes = size_t{1} << 16;

 private:
  NamedInput(InputHandle file, int64_t bytes);
  // Drops the buffer: the file's offset is `at` and nothing is buffered.
  void Reset(int64_t at);

  InputHandle file_;
  int64_t bytes_;
  std::unique_ptr<unsigned char[]> buffer_;
  // buffer_[pos_, end_) are the next bytes; fileAt_ is the file offset of
  // buffer_[end_], where the next read of the file starts.
  size_t pos_ = 0;
  size_t end_ = 0;
  int64_t fileAt_ = 0;
  // A read of the file itself failed (an I/O error), as opposed to a seek
  // that the decoder asked for and the file could not make (a tag whose
  // size points outside the file).
  bool readFailed_ = false;
  int64_t limit_ = -1;  // -1: the file's own end
  std::unique_ptr<unsigned char[]> window_;  // reads at an offset
  int64_t windowStart_ = 0;                  // window_[0, windowLength_) holds the file from here
  size_t windowLength_ = 0;
};
