#pragma once
// Input through the caller's six stream callbacks (source flag 1). The
// callbacks follow the platform file services the program was written for:
//   read     ReadFile: res false is a read error; res true with 0 bytes read
//            is the end of the stream.
//   seek     SetFilePointer: moveMethod 0 from the start, 1 from the current
//            position, 2 from the end; res is the new position or -1.
//   get size res is the size in bytes, or -1 when unknown.
//   restart  rewinds a non-seekable stream; res false: it cannot.
// The caller's context is opaque here; it is passed back to every callback.
// Offsets beyond 32 bits cannot be expressed through the callbacks and fail.

#include <cstddef>
#include <cstdint>

#include "StreamInput.h"
#include "mpegdll.h"

struct StreamCallbacks {
  MpegOpenStreamCb open = nullptr;
  MpegCloseStreamCb close = nullptr;
  MpegRestartStreamCb restart = nullptr;
  MpegReadStreamCb read = nullptr;
  MpegSeekStreamCb seek = nullptr;
  MpegGetStreamSizeCb getSize = nullptr;
  void* user = nullptr;
};

class CallbackSource : public StreamInput {
 public:
  explicit CallbackSource(const StreamCallbacks& callbacks) : cb_(callbacks) {}
  // Calls "close" once, if "open" was called.
  ~CallbackSource() override;
  CallbackSource(const CallbackSource&) = delete;
  CallbackSource& operator=(const CallbackSource&) = delete;

  // Calls "open"; false when the source cannot be read at all (no read
  // callback).
  bool OpenStream();

  int64_t Size() override;
  int64_t Read(unsigned char* out, size_t bytes) override;
  int64_t Seek(int64_t offset, Whence whence) override;
  // Through "restart", whether the stream seeks or not.
  bool Rewind() override;
  bool ReadFailed() const override { return readFailed_; }
  void ClearReadFailed() override { readFailed_ = false; }
  bool ReadAt(int64_t, unsigned char*, size_t) override { return false; }
  bool CanReadAt() const override { return false; }
  void SetEnd(int64_t) override {}

 private:
  StreamCallbacks cb_;
  void* context_ = nullptr;
  bool nonseekable_ = false;
  bool opened_ = false;
  bool readFailed_ = false;
};
