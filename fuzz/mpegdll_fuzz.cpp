// The decoder library's entries on any bytes, as a file and through the
// stream callbacks, decoding into a PCM file (no sound output): open, the
// stream's facts, play to the end flag, close, deinit. Every input is played
// from a fresh state, so nothing of one input reaches the next.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
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

Stream* Self(void* user) { return static_cast<Stream*>(user); }

void OnOpen(void* user, MpegBool* nonseekable, void** context) {
  *nonseekable = Self(user)->nonseekable;
  *context = user;
}
void OnClose(void*, void*) {}
void OnRestart(void* user, void*, MpegBool* res) {
  Self(user)->pos = 0;
  *res = 1;
}
void OnRead(void* user, void*, void* buffer, int32_t bytesToRead, int32_t* bytesRead, MpegBool* res) {
  Stream* s = Self(user);
  const size_t n = bytesToRead > 0 ? std::min(static_cast<size_t>(bytesToRead), s->size - s->pos) : 0;
  if (n) std::memcpy(buffer, s->data + s->pos, n);
  s->pos += n;
  *bytesRead = static_cast<int32_t>(n);
  *res = 1;
}
void OnSeek(void* user, void*, int32_t numbytes, int32_t moveMethod, int32_t* res) {
  Stream* s = Self(user);
  const int64_t base = moveMethod == 0   ? 0
                       : moveMethod == 1 ? static_cast<int64_t>(s->pos)
                                         : static_cast<int64_t>(s->size);
  const int64_t to = base + numbytes;
  if (moveMethod < 0 || moveMethod > 2 || to < 0 || to > static_cast<int64_t>(s->size)) {
    *res = -1;
    return;
  }
  s->pos = static_cast<size_t>(to);
  *res = static_cast<int32_t>(to);
}
void OnGetSize(void* user, void*, int32_t* res) { *res = static_cast<int32_t>(Self(user)->size); }

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Once the end flag is set the PCM file is complete: the canonical 44-byte
// header of 16-bit stereo, its sizes those of the file. Anything else ends
// the run, the input kept.
void CheckPcmFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto* h = reinterpret_cast<const unsigned char*>(bytes.data());
  const bool valid = bytes.size() >= 44 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 8, "WAVEfmt ") == 0 &&
                     bytes.compare(36, 4, "data") == 0 && Le32(h + 4) == bytes.size() - 8 &&
                     Le32(h + 40) == bytes.size() - 44 && Le16(h + 22) == 2 && Le16(h + 34) == 16 &&
                     (bytes.size() - 44) % 4 == 0;
  if (!valid) {
    std::fprintf(stderr, "the PCM file is not a complete WAV (%zu bytes)\n", bytes.size());
    std::abort();
  }
}

// Plays what Open opened into the PCM file until the end flag, as the player
// does; a stream that never ends is the fuzzer's timeout to find.
void PlayToTheEnd(bool fromTheMiddle) {
  if (LastError() != 0) return;
  const int32_t length = GetLength();
  GetFrequency();
  GetBitrate();
  GetStereoMode();
  GetLayer();
  uint8_t ended = 0;
  if (Play(fromTheMiddle ? length / 2 : 0, 0, &ended) != 0) return;
  while (!__atomic_load_n(&ended, __ATOMIC_ACQUIRE)) {
    GetCurrentPos();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ResetPlayerMode();
  if (LastError() != MPEGDLL_ERR_OUTPUT) CheckPcmFile(FuzzPath("decoded.wav"));
}

void Decode(const char* name, Stream* stream, bool fromTheMiddle) {
  if (!init()) return;
  SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, FuzzPath("decoded.wav").c_str());
  if (stream) {
    Open(nullptr, 1, OnOpen, OnClose, OnRestart, OnRead, OnSeek, OnGetSize, stream);
  } else {
    Open(name, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  PlayToTheEnd(fromTheMiddle);
  Close();
  deinit();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The input's length chooses the variants, so each sort of data meets all
  // of them: a start in the middle, and a stream that cannot seek.
  const bool fromTheMiddle = size % 4 >= 2;
  Decode(WriteFuzzFile("input.mp3", data, size).c_str(), nullptr, fromTheMiddle);
  Stream stream{data, size, 0, size % 2 == 1};
  Decode(nullptr, &stream, fromTheMiddle);
  return 0;
}
