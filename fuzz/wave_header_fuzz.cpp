// The wave device's opening of a WAV file on any bytes: the header read and
// checked, then the whole file read in the device's own blocks.
#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzFiles.h"
#include "WavReader_sndfile.h"
#include "WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<TWavReader> file;
  WaveFormat format;
  if (OpenWaveFile(WriteFuzzFile("sound.wav", data, size), &file, &format) != 0) return 0;
  const int64_t block = WaveBlockFrames(format.rate);
  std::vector<int16_t> buffer(static_cast<size_t>(block * format.channels));
  // As the device reads: from a position, then block after block to the end.
  sf_seek(file->File(), format.frames / 2, SEEK_SET);
  sf_seek(file->File(), 0, SEEK_SET);
  while (file->ReadFrames16(buffer.data(), block) > 0) {
  }
  return 0;
}
