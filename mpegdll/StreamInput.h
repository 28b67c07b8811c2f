#pragma once
// The stream the library decodes, as the decoders read it: the named file
// (NamedInput.h) or the caller's stream callbacks (CallbackSource.h).

#include <cstddef>
#include <cstdint>

class StreamInput {
 public:
  enum Whence { kFromStart, kFromCurrent, kFromEnd };

  virtual ~StreamInput() = default;
  // The size in bytes, or -1 when unknown.
  virtual int64_t Size() = 0;
  // Up to `bytes` from the current position: the count, fewer only at the
  // end of the stream, or -1 on an error.
  virtual int64_t Read(unsigned char* out, size_t bytes) = 0;
  // The new position, or -1 when the stream cannot move there.
  virtual int64_t Seek(int64_t offset, Whence whence) = 0;
  // Starts the stream again from its first byte when a seek did not do it:
  // a named file by reading it again, a caller's stream through its
  // "restart". false when it cannot.
  virtual bool Rewind() = 0;
  // A read of the input itself failed (an I/O error, or the caller's read
  // callback said so) since the last ClearReadFailed(): told apart from a
  // decoder error (code 3 rather than 1).
  virtual bool ReadFailed() const = 0;
  virtual void ClearReadFailed() = 0;
  // Reads `bytes` at `offset` without moving the position: false when they
  // are not all there. Only a named file can; a caller's stream says false.
  virtual bool ReadAt(int64_t offset, unsigned char* out, size_t bytes) = 0;
  virtual bool CanReadAt() const = 0;
  // The input is read as if it ended at `end` (data after the last frame
  // that the decoder should not take for sound). Only a named file can.
  virtual void SetEnd(int64_t end) = 0;
};

// A ReadAtFn (FrameHeader.h) on the StreamInput `source`.
inline bool ReadInputAtFn(void* source, int64_t offset, unsigned char* out, size_t bytes) {
  return static_cast<StreamInput*>(source)->ReadAt(offset, out, bytes);
}
