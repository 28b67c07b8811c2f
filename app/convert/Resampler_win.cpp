#include "Resampler.h"

// The Windows build has no resampler yet: a WAV at a rate other than 22050
// or 44100 Hz is refused as a sound this build cannot read.
TPcm16Outcome ResampleToGameRate(const std::string&, TPcm16File&, IProgressGauge*) {
  return {TPcm16Outcome::TKind::Unreadable, 0};
}
