#include <algorithm>
#include <vector>

#include "PathUtils.h"
#include "WavDecoding.h"
#include "WavLayout.h"
#include "WavSound_sndfile.h"

namespace {

// Samples per block: 64 KiB of 16-bit output, whatever the file's size.
constexpr int64_t kBlockSamples = 32768;

}  // namespace

TPcm16Outcome DecodeToPcm16(const std::string& wavPath, TPcm16File& result) {
  TWavSound sound(wavPath);
  if (const TPcm16Outcome opened = sound.Opened(); opened.kind != TPcm16Outcome::TKind::Done) return opened;
  TWavReader& reader = sound.Reader();
  const SF_INFO& info = reader.Info();
  if (info.channels < 1 || info.samplerate < 1) return Pcm16Unreadable();

  TPcm16Writer writer;
  if (!writer.Begin(result, ExtractFileName(wavPath), info.channels, static_cast<uint32_t>(info.samplerate)))
    return Pcm16Failed(writer.ErrorCode());
  const int64_t frames = std::max<int64_t>(1, kBlockSamples / info.channels);
  std::vector<int16_t> block(static_cast<size_t>(frames * info.channels));
  for (int64_t left = FramesOfSound(sound.Layout()); left > 0;) {
    const sf_count_t got = reader.ReadFrames16(block.data(), std::min(frames, left));
    if (got <= 0) break;
    left -= got;
    if (!writer.Write(block.data(), got * info.channels)) return Pcm16Failed(writer.ErrorCode());
  }
  if (const TPcm16Outcome read = sound.AfterReading(); read.kind != TPcm16Outcome::TKind::Done) return read;
  if (!writer.Finish()) return Pcm16Failed(writer.ErrorCode());
  return {};
}
