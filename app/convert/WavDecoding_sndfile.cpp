#include <algorithm>
#include <limits>
#include <vector>

#include "PathUtils.h"
#include "WavDecoding.h"
#include "WavLayout.h"
#include "WavReader_sndfile.h"

namespace {

// Samples per block: 64 KiB of 16-bit output, whatever the file's size.
constexpr int64_t kBlockSamples = 32768;
constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatFloat = 3;

TPcm16Outcome Failed(int code) { return {TPcm16Outcome::TKind::Failed, code}; }
TPcm16Outcome Unreadable() { return {TPcm16Outcome::TKind::Unreadable, 0}; }

}  // namespace

int64_t FramesOfSound(const TWavLayout& layout) {
  const bool compressed = layout.formatTag != kWaveFormatPcm && layout.formatTag != kWaveFormatFloat;
  return layout.fromChunks && compressed && layout.factFrames > 0 ? layout.factFrames
                                                                  : std::numeric_limits<int64_t>::max();
}

TPcm16Outcome DecodeToPcm16(const std::string& wavPath, TPcm16File& result) {
  const THandle fd = FileOpen(wavPath, fmOpenRead | fmShareDenyWrite);
  if (fd == INVALID_HANDLE_VALUE) return Failed(LastOSError());
  TWavLayout layout;
  const int layoutError = ReadWavLayout(fd, layout);
  TWavReader reader(fd);
  if (layoutError != 0) return Failed(layoutError);
  if (!reader.Ok()) return reader.ReadErrno() != 0 ? Failed(ErrnoToWinError(reader.ReadErrno())) : Unreadable();
  const SF_INFO& info = reader.Info();
  if (info.channels < 1 || info.samplerate < 1) return Unreadable();

  TPcm16Writer writer;
  if (!writer.Begin(result, ExtractFileName(wavPath), info.channels, static_cast<uint32_t>(info.samplerate)))
    return Failed(writer.ErrorCode());
  const int64_t frames = std::max<int64_t>(1, kBlockSamples / info.channels);
  std::vector<int16_t> block(static_cast<size_t>(frames * info.channels));
  for (int64_t left = FramesOfSound(layout); left > 0;) {
    const sf_count_t got = reader.ReadFrames16(block.data(), std::min(frames, left));
    if (got <= 0) break;
    left -= got;
    if (!writer.Write(block.data(), got * info.channels)) return Failed(writer.ErrorCode());
  }
  if (reader.ReadErrno() != 0) return Failed(ErrnoToWinError(reader.ReadErrno()));
  // A sound that breaks off in the middle would be a game file cut short.
  if (reader.Error() != SF_ERR_NO_ERROR) return Unreadable();
  if (!writer.Finish()) return Failed(writer.ErrorCode());
  return {};
}
