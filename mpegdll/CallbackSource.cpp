#include "CallbackSource.h"

#include <climits>

CallbackSource::~CallbackSource() {
  if (!opened_) return;
  opened_ = false;
  if (cb_.close) cb_.close(cb_.user, context_);
}

bool CallbackSource::OpenStream() {
  MpegBool nonseek = 0;
  context_ = nullptr;
  if (cb_.open) cb_.open(cb_.user, &nonseek, &context_);
  nonseekable_ = nonseek != 0 || !cb_.seek;
  opened_ = true;
  return cb_.read != nullptr;
}

bool CallbackSource::Rewind() {
  if (!cb_.restart) return false;
  MpegBool res = 0;
  cb_.restart(cb_.user, context_, &res);
  return res != 0;
}

int64_t CallbackSource::Size() {
  if (!cb_.getSize) return -1;
  int32_t res = -1;
  cb_.getSize(cb_.user, context_, &res);
  return res;
}

int64_t CallbackSource::Read(unsigned char* out, size_t bytes) {
  const int32_t want = bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bytes);
  int32_t got = 0;
  MpegBool res = 1;
  cb_.read(cb_.user, context_, out, want, &got, &res);
  // A count outside the request would make the decoder read memory it does
  // not own: treat it as a failed read.
  if (!res || got < 0 || got > want) {
    readFailed_ = true;
    return -1;
  }
  return got;
}

int64_t CallbackSource::Seek(int64_t offset, Whence whence) {
  if (nonseekable_ || offset < INT32_MIN || offset > INT32_MAX) return -1;
  int32_t res = -1;
  cb_.seek(cb_.user, context_, static_cast<int32_t>(offset), static_cast<int32_t>(whence), &res);
  return res < 0 ? -1 : res;
}
