#include "HalveSampleRate.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "FileChecks.h"
#include "FileServices.h"
#include "WavLayout.h"

namespace {

// The largest read: 64 KiB of source data (or one pass of two frames when a
// frame is larger). Memory stays this buffer whatever the file size.
constexpr int64_t kMaxBlockBytes = 65536;

// Passes (a dropped and a kept frame) per read block. A block advances the
// gauge by at most 1 %, so every whole percentage is still shown on its way,
// as frame-by-frame progress would show it; small files are read in small
// blocks, large ones in 64 KiB.
int64_t PassesPerBlock(int64_t maxBytes, int64_t frameSize) {
  const int64_t most = std::max<int64_t>(1, kMaxBlockBytes / (2 * frameSize));
  return std::clamp<int64_t>(maxBytes / (100 * frameSize), 1, most);
}

// Moves the kept bytes of data[0, count) to the front of data. 'phase' is the
// offset of data[0] within its pass of two frames; returns the bytes kept.
int64_t KeepOddFrames(unsigned char* data, int64_t count, int64_t phase, int64_t frameSize) {
  const int64_t passSize = 2 * frameSize;
  int64_t in = 0;
  int64_t out = 0;
  while (in < count) {
    const int64_t at = (phase + in) % passSize;
    if (at == 0 && count - in >= passSize) {
      // Whole passes: out never passes in, so each frame goes to a range that
      // no later pass reads. 16-bit stereo, the common case, copies a fixed size.
      if (frameSize == 4) {
        for (; count - in >= 8; in += 8, out += 4) std::memcpy(data + out, data + in + 4, 4);
      } else {
        for (; count - in >= passSize; in += passSize, out += frameSize)
          std::memcpy(data + out, data + in + frameSize, static_cast<size_t>(frameSize));
      }
    } else if (at < frameSize) {
      in += std::min(frameSize - at, count - in);
    } else {
      const int64_t n = std::min(passSize - at, count - in);
      std::memmove(data + out, data + in, static_cast<size_t>(n));
      out += n;
      in += n;
    }
  }
  return out;
}

}  // namespace

int GaugeUnitShift(int64_t maxBytes) {
  int shift = 0;
  while ((maxBytes >> shift) > INT_MAX) ++shift;
  return shift;
}

void HalveSampleRate(const std::string& sourceName, const std::string& resultName, IProgressGauge& gauge,
                     bool& halvingSucceeded) {
  halvingSucceeded = false;
  if (sourceName == resultName) return;

  const THandle source = FileOpen(sourceName, fmOpenRead);
  if (source == INVALID_HANDLE_VALUE) return;
  TWavLayout layout;
  // A file shorter than its header has no data to halve; and a result that is
  // the source under another name would be emptied before it was read.
  if (ReadWavLayout(source, layout) != 0 || layout.dataSize < 0 ||
      FileSeek(source, layout.dataOffset, soFromBeginning) != layout.dataOffset ||
      IsSameExistingFile(sourceName, resultName)) {
    FileClose(source);
    return;
  }
  const int64_t dataSize = layout.dataSize;
  const int64_t frameSize = layout.frameSize;
  const int64_t passSize = 2 * frameSize;

  const THandle result = FileCreate(resultName);
  const int64_t maxBytes = dataSize / 2;
  const int shift = GaugeUnitShift(maxBytes);
  const int gaugeMax = static_cast<int>(maxBytes >> shift);
  gauge.SetProgress(0);
  gauge.SetMaxValue(gaugeMax);
  if (result == INVALID_HANDLE_VALUE) {
    FileClose(source);
    return;
  }

  const int64_t blockSize = PassesPerBlock(maxBytes, frameSize) * passSize;
  std::vector<unsigned char> buffer(static_cast<size_t>(blockSize));
  int64_t consumed = 0;
  int64_t kept = 0;
  bool failed = false;
  while (consumed < dataSize) {
    const int64_t wanted = std::min(blockSize, dataSize - consumed);
    const int64_t got = FileRead(source, buffer.data(), wanted);
    if (got < 0) {
      failed = true;
      break;
    }
    if (got == 0) break;
    const int64_t keep = KeepOddFrames(buffer.data(), got, consumed % passSize, frameSize);
    consumed += got;
    if (keep > 0) {
      if (FileWrite(result, buffer.data(), keep) != keep) {
        failed = true;
        break;
      }
      kept += keep;
      gauge.SetProgress(static_cast<int>(kept >> shift));
    }
  }
  if (failed) {
    FileClose(result);
    FileClose(source);
    return;
  }
  // Frame by frame the count reaches the maximum by itself only when the data
  // is whole passes; otherwise the last, short pass sets it there.
  if (!(consumed == dataSize && dataSize % passSize == 0)) gauge.SetProgress(gaugeMax);
  FileSetDate(result, FileGetDate(source));
  const bool closed = FileClose(result);
  const int attributes = FileGetAttr(sourceName);
  if (attributes != -1) FileSetAttr(resultName, attributes);
  halvingSucceeded = closed;
  FileClose(source);
}
