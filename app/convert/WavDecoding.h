#pragma once
// The producer of 16-bit PCM for every WAV encoding but 16-bit PCM itself:
// 8-bit unsigned, 24- and 32-bit integer, 32- and 64-bit float, A-law, µ-law,
// IMA and MS ADPCM, GSM 6.10, in RIFF, RF64 or BW64 files. Wider samples are
// rounded to 16 bits at their recorded level, floats clipped at full scale,
// without dither, so the same WAV always gives the same bytes. A compressed
// encoding ends where its "fact" chunk says, not with the padding of its last
// block.

#include <cstdint>
#include <string>

#include "Pcm16Source.h"
#include "WavLayout.h"

// A TPcm16Producer. Unreadable when the file's encoding cannot be decoded or
// its sound cannot be read to the end; Failed with the code of a failed
// open, read or write.
TPcm16Outcome DecodeToPcm16(const std::string& wavPath, TPcm16File& result);

// The frames of sound the WAV holds, as far as its layout says: a compressed
// encoding fills its last block up, and "fact" says where the sound ends. PCM
// and float need no such count, and some writers get it wrong there; a count
// of 0 is what a streaming writer leaves when it cannot come back. Without a
// count: the largest int64_t (read to the end).
int64_t FramesOfSound(const TWavLayout& layout);
