#include "WavDecoding.h"

#include <limits>

namespace {

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatFloat = 3;

}  // namespace

int64_t FramesOfSound(const TWavLayout& layout) {
  const bool compressed = layout.formatTag != kWaveFormatPcm && layout.formatTag != kWaveFormatFloat;
  return layout.fromChunks && compressed && layout.factFrames > 0 ? layout.factFrames
                                                                  : std::numeric_limits<int64_t>::max();
}
