#pragma once
// A named input file, read by libmpg123 through a buffer of the library's
// own. The decoder's reader asks for each frame header and each frame body
// separately; straight on the file that is two system calls per frame, which
// is most of the time of a pass over the frames and a part of decoding. Here
// it takes one read per kBufferBytes. Used by one thread at a time: the
// caller's during "Open" and "Restart", the playing thread while playing.

#include <sys/types.h>

#include <cstddef>
#include <memory>

class BufferedFile {
 public:
  // Takes over `fd` (a regular file open for reading) and closes it.
  explicit BufferedFile(int fd);
  ~BufferedFile();
  BufferedFile(const BufferedFile&) = delete;
  BufferedFile& operator=(const BufferedFile&) = delete;

  // The file is read as if it ended at `end` (data after the last frame
  // that the decoder should not take for sound).
  void SetEnd(off_t end) { limit_ = end; }

  // Back to the first byte. false when the file cannot seek.
  bool Rewind();

  // libmpg123 reader functions; `handle` is the BufferedFile. read returns
  // fewer bytes than asked only at the end of the file, -1 on an error.
  static ssize_t ReadFn(void* handle, void* buffer, size_t bytes);
  static off_t SeekFn(void* handle, off_t offset, int whence);

  static constexpr size_t kBufferBytes = size_t{1} << 16;

  // A read of the file itself failed (an I/O error), as opposed to a seek
  // that the decoder asked for and the file could not make (a tag whose size
  // points outside the file).
  bool ReadFailed() const { return readFailed_; }

 private:
  ssize_t Read(unsigned char* out, size_t bytes);
  off_t Seek(off_t offset, int whence);
  // Drops the buffer: the file's offset is `at` and nothing is buffered.
  void Reset(off_t at);

  int fd_;
  std::unique_ptr<unsigned char[]> buffer_;
  // buffer_[pos_, end_) are the next bytes; fileAt_ is the file offset of
  // buffer_[end_], where the next read of the file starts.
  size_t pos_ = 0;
  size_t end_ = 0;
  off_t fileAt_ = 0;
  bool readFailed_ = false;
  off_t limit_ = -1;  // -1: the file's own end
};
