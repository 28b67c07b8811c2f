// Decodes one MP3 into a WAV through the decoder library, driven exactly as
// the MP3-to-WAV command drives it: Open, GetLength, Play while GetCurrentPos
// is -1, then Play/GetCurrentPos back to back until the end, Close.
//   mp3_decode LIBRARY IN.mp3 OUT.wav
#include <dlfcn.h>

#include <cstdio>

#include "mpegdll.h"

template <typename F>
F entry(void* lib, const char* name) {
  return reinterpret_cast<F>(dlsym(lib, name));
}

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s LIBRARY IN.mp3 OUT.wav\n", argv[0]);
    return 2;
  }
  void* lib = dlopen(argv[1], RTLD_NOW);
  if (!lib) {
    std::fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  auto init_ = entry<decltype(&init)>(lib, "init");
  auto deinit_ = entry<decltype(&deinit)>(lib, "deinit");
  auto open_ = entry<decltype(&Open)>(lib, "Open");
  auto setOutput = entry<decltype(&SetOutputDevice)>(lib, "SetOutputDevice");
  auto play = entry<decltype(&Play)>(lib, "Play");
  auto pos = entry<decltype(&GetCurrentPos)>(lib, "GetCurrentPos");
  auto length = entry<decltype(&GetLength)>(lib, "GetLength");
  auto reset = entry<decltype(&ResetPlayerMode)>(lib, "ResetPlayerMode");
  auto close_ = entry<decltype(&Close)>(lib, "Close");
  auto lastError = entry<decltype(&LastError)>(lib, "LastError");
  if (!init_ || !init_()) return 1;
  uint8_t ended = 0;
  open_(argv[2], 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  int err = lastError();
  if (err > 0) return 10 + err;
  const int32_t total = length();
  setOutput(MPEGDLL_DEVICE_PCMFILE, argv[3]);
  while (pos() == -1) {
    if (play(0, 0, &ended) != 0) return 10 + lastError();
  }
  int32_t gauge = 0;
  while (!(__atomic_load_n(&ended, __ATOMIC_ACQUIRE) && reset())) gauge = pos();
  err = lastError();
  close_();
  deinit_();
  dlclose(lib);
  std::fprintf(stderr, "length %d ms, last position seen %d ms\n", total, gauge);
  return err > 0 ? 10 + err : 0;
}
