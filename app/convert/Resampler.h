#pragma once
// The command line's --resample: a WAV of any rate from 8000 to 192000 Hz
// becomes 22050 Hz, the game's rate, through a real low-pass resampler, so
// that nothing above the game's 11025 Hz folds back as aliasing (as it does
// when 44100 Hz data is halved by dropping frames) and 48000 Hz data plays at
// its own pitch. A producer of Pcm16Source.h: it writes a private 16-bit PCM
// WAV at 22050 Hz with the WAV's channels, which the conversion then copies
// into the game file.
//
// Every encoding libsndfile reads is taken (as the decoding to 16-bit PCM
// takes it); the samples go through the resampler as floats at their
// recorded level and come out rounded to 16 bits without dither, clipped at
// full scale. The sound streams through blocks of fixed size, so memory
// stays the same for any length.

#include <cstdint>
#include <string>

#include "CommandPorts.h"
#include "Pcm16Source.h"

constexpr uint32_t kResampledRate = 22050;
constexpr uint32_t kLowestResampledRate = 8000;
constexpr uint32_t kHighestResampledRate = 192000;

// A TPcm16Producer once the gauge is bound. Unreadable when libsndfile cannot
// read the sound to its end or its rate lies outside 8000..192000 Hz; Failed
// with the code of a failed open, read or write (101 for a full disk).
// gauge: moved from 0 to its maximum as the sound is read; may be null.
// False where the build has no resampler (Windows, for now): --resample is
// then refused with the other wrong arguments.
extern const bool kResamplerBuiltIn;

TPcm16Outcome ResampleToGameRate(const std::string& wavPath, TPcm16File& result, IProgressGauge* gauge);
