#include "Resampler.h"

// The Windows build has no resampler yet: the command line refuses
// --resample, and a call that comes all the same reads as a sound this
// build cannot decode.
const bool kResamplerBuiltIn = false;

TPcm16Outcome ResampleToGameRate(const std::string&, TPcm16File&, IProgressGauge*) {
  return {TPcm16Outcome::TKind::Unreadable, 0};
}
