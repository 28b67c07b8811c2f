#pragma once
// Input through the caller's six stream callbacks (source flag 1), adapted to
// libmpg123's reader interface. The callbacks follow the platform file
// services the program was written for:
//   read     ReadFile: res false is a read error; res true with 0 bytes read
//            is the end of the stream.
//   seek     SetFilePointer: moveMethod 0 from the start, 1 from the current
//            position, 2 from the end; res is the new position or -1.
//   get size res is the size in bytes, or -1 when unknown.
//   restart  rewinds a non-seekable stream; res false: it cannot.
// The caller's context is opaque here; it is passed back to every callback.
// Offsets beyond 32 bits cannot be expressed through the callbacks and fail.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "mpegdll.h"

struct CallbackSource {
  MpegOpenStreamCb open = nullptr;
  MpegCloseStreamCb close = nullptr;
  MpegRestartStreamCb restart = nullptr;
  MpegReadStreamCb read = nullptr;
  MpegSeekStreamCb seek = nullptr;
  MpegGetStreamSizeCb getSize = nullptr;
  void* user = nullptr;

  void* context = nullptr;
  bool nonseekable = false;
  bool opened = false;
  // Set when a read failed, so the failure is told apart from a decoder
  // error (code 3 rather than 1).
  bool readFailed = false;

  // Calls "open"; false when the source cannot be read at all (no read
  // callback).
  bool OpenStream();
  // Calls "close" once, if "open" was called.
  void CloseStream();
  // Calls "restart"; false when the stream cannot be rewound.
  bool RestartStream();
  // Size in bytes, or -1.
  int64_t Size();

  // libmpg123 reader functions; `handle` is the CallbackSource.
  static ssize_t ReadFn(void* handle, void* buffer, size_t bytes);
  static off_t SeekFn(void* handle, off_t offset, int whence);
};
