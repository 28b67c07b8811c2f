#pragma once
// The one rule by which a sample of a wider encoding becomes a 16-bit one, for
// the conversion and the media service alike, so that the game file holds the
// sound the window plays. Header only, so that neither depends on the other.
//
// A sample in [-1.0, 1.0) (libsndfile's reading of any encoding as double:
// integers divided by 2^(bits-1), floats as stored) is scaled by 32768 and
// rounded half up, as sox rounds to 16 bits without dither: an 8-, 16- or
// 24-bit sample comes out exactly as sox's, a float one within 1 step.
// Beyond full scale it is clipped; NaN is silence.

#include <cmath>
#include <cstdint>

inline int16_t Pcm16FromUnit(double sample) {
  if (std::isnan(sample)) return 0;
  const double scaled = std::floor(sample * 32768.0 + 0.5);
  if (scaled >= 32767.0) return 32767;
  if (scaled <= -32768.0) return -32768;
  return static_cast<int16_t>(scaled);
}
