// The decoder library's entries on any bytes, as a file and through the
// stream callbacks, decoding into a PCM file (no sound output): open, the
// stream's facts, play to the end flag, close, deinit. Every input is played
// from a fresh state, so nothing of one input reaches the next.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

#include "FuzzFiles.h"
#include "mpegdll.h"

namespace {

// The input as a caller-supplied stream.
struct Stream {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  bool nonseekable;
};

Stream* self(void* user) { return static_cast<Stream*>(user); }

void OnOpen(void* user, MpegBool* nonseekable, void** context) {
  *nonseekable = self(user)->nonseekable;
  *context = user;
}
void OnClose(void*, void*) {}
void OnRestart(void* user, void*, MpegBool* res) {
  self(user)->pos = 0;
  *res = 1;
}
void OnRead(void* user, void*, void* buffer, int32_t bytesToRead, int32_t* bytesRead, MpegBool* res) {
  Stream* s = self(user);
  const size_t n = bytesToRead > 0 ? std::min(static_cast<size_t>(bytesToRead), s->size - s->pos) : 0;
  if (n) std::memcpy(buffer, s->data + s->pos, n);
  s->pos += n;
  *bytesRead = static_cast<int32_t>(n);
  *res = 1;
}
void OnSeek(void* user, void*, int32_t numbytes, int32_t moveMethod, int32_t* res) {
  Stream* s = self(user);
  const int64_t base = moveMethod == 0 ? 0 : moveMethod == 1 ? static_cast<int64_t>(s->pos) : static_cast<int64_t>(s->size);
  const int64_t to = base + numbytes;
  if (moveMethod < 0 || moveMethod > 2 || to < 0 || to > static_cast<int64_t>(s->size)) {
    *res = -1;
    return;
  }
  s->pos = static_cast<size_t>(to);
  *res = static_cast<int32_t>(to);
}
void OnGetSize(void* user, void*, int32_t* res) { *res = static_cast<int32_t>(self(user)->size); }

// Plays what Open opened into the PCM file until the end flag, as the player
// does; a stream that never ends is the fuzzer's timeout to find.
void PlayToTheEnd() {
  if (LastError() != 0) return;
  GetLength();
  GetFrequency();
  GetBitrate();
  GetStereoMode();
  GetLayer();
  uint8_t ended = 0;
  if (Play(0, 0, &ended) != 0) return;
  while (!__atomic_load_n(&ended, __ATOMIC_ACQUIRE)) {
    GetCurrentPos();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ResetPlayerMode();
}

void Decode(const char* name, Stream* stream) {
  if (!init()) return;
  SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, FuzzPath("decoded.wav").c_str());
  if (stream) {
    Open(nullptr, 1, OnOpen, OnClose, OnRestart, OnRead, OnSeek, OnGetSize, stream);
  } else {
    Open(name, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  PlayToTheEnd();
  Close();
  deinit();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Decode(WriteFuzzFile("input.mp3", data, size).c_str(), nullptr);
  // Seekable or not by the input's length, so both kinds see every sort of data.
  Stream stream{data, size, 0, size % 2 == 1};
  Decode(nullptr, &stream);
  return 0;
}
