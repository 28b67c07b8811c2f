#include "WavPcmDecoding.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "FileServices.h"
#include "PathUtils.h"
#include "Pcm16.h"
#include "WavLayout.h"

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
// Frames per block: a few hundred KiB at most for any frame size.
constexpr int64_t kBlockBytes = 256 * 1024;

TPcm16Outcome Unreadable() { return {TPcm16Outcome::TKind::Unreadable, 0}; }
TPcm16Outcome Failed(int code) { return {TPcm16Outcome::TKind::Failed, code}; }

// One sample of 'bytes' little-endian bytes in the given encoding.
int16_t SampleAt(const unsigned char* p, int bytes, bool isFloat) {
  if (isFloat) {
    if (bytes == 4) {
      uint32_t bits = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                      static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return Pcm16FromUnit(static_cast<double>(f));
    }
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return Pcm16FromUnit(d);
  }
  if (bytes == 1) return static_cast<int16_t>((static_cast<int>(p[0]) - 128) * 256);
  // Signed integer of 2 to 4 bytes, its top byte last.
  int64_t value = static_cast<int8_t>(p[bytes - 1]);
  for (int i = bytes - 2; i >= 0; --i) value = value * 256 + p[i];
  const double full = static_cast<double>(int64_t{1} << (8 * bytes - 1));
  return Pcm16FromUnit(static_cast<double>(value) / full);
}

}  // namespace

TPcm16Outcome DecodePcmToPcm16(const std::string& wavPath, TPcm16File& result) {
  const THandle h = FileOpen(wavPath, fmOpenRead | fmShareDenyWrite);
  if (h == INVALID_HANDLE_VALUE) return Failed(LastOSError());
  struct TCloser {
    THandle h;
    ~TCloser() { FileClose(h); }
  } closer{h};
  TWavLayout layout;
  if (const int code = ReadWavLayout(h, layout); code != 0) return Failed(code);
  if (!layout.fromChunks || layout.channels == 0 || layout.sampleRate == 0) return Unreadable();
  const bool isFloat = layout.formatTag == kTagFloat;
  if (layout.formatTag != kTagPcm && !isFloat) return Unreadable();
  const int64_t sampleBytes = layout.frameSize / layout.channels;
  if (sampleBytes * layout.channels != layout.frameSize) return Unreadable();
  if (isFloat ? sampleBytes != 4 && sampleBytes != 8 : sampleBytes < 1 || sampleBytes > 4) return Unreadable();

  TPcm16Writer writer;
  if (!writer.Begin(result, ExtractFileName(wavPath), layout.channels, layout.sampleRate))
    return Failed(writer.ErrorCode());
  const int64_t frameBytes = layout.frameSize;
  const int64_t blockFrames = std::max<int64_t>(1, kBlockBytes / frameBytes);
  std::vector<unsigned char> in(static_cast<size_t>(blockFrames * frameBytes));
  std::vector<int16_t> out(static_cast<size_t>(blockFrames * layout.channels));
  const int64_t frames = std::max<int64_t>(0, layout.dataSize) / frameBytes;
  for (int64_t done = 0; done < frames;) {
    const int64_t want = std::min(blockFrames, frames - done);
    const int64_t got = FileReadAt(h, in.data(), want * frameBytes, layout.dataOffset + done * frameBytes);
    if (got < 0) return Failed(LastOSError());
    const int64_t whole = got / frameBytes;
    if (whole == 0) break;
    const int64_t samples = whole * layout.channels;
    for (int64_t i = 0; i < samples; ++i)
      out[static_cast<size_t>(i)] = SampleAt(in.data() + i * sampleBytes, static_cast<int>(sampleBytes), isFloat);
    if (!writer.Write(out.data(), samples)) return Failed(writer.ErrorCode());
    done += whole;
  }
  if (!writer.Finish()) return Failed(writer.ErrorCode());
  return {};
}
