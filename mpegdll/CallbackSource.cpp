#include "CallbackSource.h"

#include <climits>
#include <cstdio>

bool CallbackSource::OpenStream() {
  MpegBool nonseek = 0;
  context = nullptr;
  if (open) open(user, &nonseek, &context);
  nonseekable = nonseek != 0 || !seek;
  opened = true;
  return read != nullptr;
}

void CallbackSource::CloseStream() {
  if (!opened) return;
  opened = false;
  if (close) close(user, context);
}

bool CallbackSource::RestartStream() {
  if (!restart) return false;
  MpegBool res = 0;
  restart(user, context, &res);
  return res != 0;
}

int64_t CallbackSource::Size() {
  if (!getSize) return -1;
  int32_t res = -1;
  getSize(user, context, &res);
  return res;
}

ssize_t CallbackSource::ReadFn(void* handle, void* buffer, size_t bytes) {
  auto* self = static_cast<CallbackSource*>(handle);
  const int32_t want = bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bytes);
  int32_t got = 0;
  MpegBool res = 1;
  self->read(self->user, self->context, buffer, want, &got, &res);
  // A count outside the request would make the decoder read memory it does
  // not own: treat it as a failed read.
  if (!res || got < 0 || got > want) {
    self->readFailed = true;
    return -1;
  }
  return got;
}

off_t CallbackSource::SeekFn(void* handle, off_t offset, int whence) {
  auto* self = static_cast<CallbackSource*>(handle);
  if (self->nonseekable || offset < INT32_MIN || offset > INT32_MAX) return -1;
  int32_t method;
  switch (whence) {
    case SEEK_SET:
      method = 0;
      break;
    case SEEK_CUR:
      method = 1;
      break;
    case SEEK_END:
      method = 2;
      break;
    default:
      return -1;
  }
  int32_t res = -1;
  self->seek(self->user, self->context, static_cast<int32_t>(offset), method, &res);
  return res < 0 ? -1 : static_cast<off_t>(res);
}
