#pragma once
// The decoder behind the library's entries: it turns the open stream into
// 16-bit signed little-endian stereo frames (mono doubled) and answers what
// "GetLength", "GetFrequency", "GetBitrate", "GetStereoMode" and "GetLayer"
// report. The entries' state rules (Engine.h) stand above it; each system
// has its own decoder (Decoder_mpg123.cpp, Decoder_acm_win.cpp).
//
// Threads: OpenMpegDecoder and Rewind run on the caller's thread, Seek and
// Decode on the playing thread, never two at once.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "StreamInput.h"

struct StreamFacts {
  long rate = 0;              // the output's rate, in Hz, at the start
  int64_t lengthSamples = 0;  // the whole stream, in frames at that rate
  int32_t frequency = 0;      // the first frame's sampling rate
  int32_t bitrate = 0;        // kbit/s
  int32_t stereoMode = 0;     // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
  int32_t layer = 0;          // 1 to 3
};

enum class DecodeStep {
  kSound,    // *pcm, *bytes: the next frames (possibly none)
  kNewRate,  // the output's rate changes from here: *rate
  kEnd,      // the stream is over
  kInputError,
  kDecoderError,
};

class MpegDecoder {
 public:
  virtual ~MpegDecoder() = default;
  const StreamFacts& Facts() const { return facts_; }
  // The most bytes one Decode() gives: the size of the room it may be lent.
  virtual size_t BlockBytes() const = 0;
  // Before a playback: puts the decoder at `sample` of the stream, starting
  // the input again where it cannot seek. 0, MPEGDLL_ERR_INPUT or
  // MPEGDLL_ERR_NONSEEKABLE.
  virtual int32_t Rewind(int64_t sample) = 0;
  // During a playback: moves to `sample`. false when the stream cannot;
  // else *at is the sample reached.
  virtual bool Seek(int64_t sample, int64_t* at) = 0;
  // The next stretch of the stream. `room`: null, or BlockBytes() bytes of
  // the output's own where the decoder may put the frames itself (*pcm then
  // points into it), lent until EndOfPlayback().
  virtual DecodeStep Decode(unsigned char* room, const unsigned char** pcm, size_t* bytes, long* rate) = 0;
  // The playback is over: the room lent to Decode() is no longer there.
  virtual void EndOfPlayback() {}

 protected:
  StreamFacts facts_;
};

// Opens the decoder on `input`, reading up to the first frame: an input
// without any is refused here, where the caller can still tell the user
// which file is wrong. nullptr with *error set when it fails.
std::unique_ptr<MpegDecoder> OpenMpegDecoder(std::unique_ptr<StreamInput> input, int32_t* error);
