// Decodes one MP3 into a WAV through the decoder library, driven exactly as
// the MP3-to-WAV command drives it: Open, GetLength, Play while GetCurrentPos
// is -1, then Play/GetCurrentPos back to back until the end, Close.
//   mp3_decode LIBRARY IN.mp3 OUT.wav
#include <cstdio>

#include "MpegLibrary.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s LIBRARY IN.mp3 OUT.wav\n", argv[0]);
    return 2;
  }
  TMpegLibrary lib;
  if (lib.Load(argv[1]) != TMpegLibrary::TLoadResult::Loaded) {
    std::fprintf(stderr, "%s: cannot load the decoder library, or an entry is missing\n", argv[1]);
    return 1;
  }
  if (!lib.init()) return 1;
  uint8_t ended = 0;
  lib.Open(argv[2], 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  int err = lib.LastError();
  if (err > 0) return 10 + err;
  const int32_t total = lib.GetLength();
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, argv[3]);
  while (lib.GetCurrentPos() == -1) {
    if (lib.Play(0, 0, &ended) != 0) return 10 + lib.LastError();
  }
  int32_t gauge = 0;
  while (!(__atomic_load_n(&ended, __ATOMIC_ACQUIRE) && lib.ResetPlayerMode())) gauge = lib.GetCurrentPos();
  err = lib.LastError();
  lib.Close();
  lib.deinit();
  std::fprintf(stderr, "length %d ms, last position seen %d ms\n", total, gauge);
  return err > 0 ? 10 + err : 0;
}
