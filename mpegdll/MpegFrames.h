#pragma once
// The frames of an MPEG audio file, found and measured by the library's own
// parser: the decoders that only turn frames into sound (the system codec on
// Windows) are fed from this index, and it gives the length before the first
// frame plays, the seek positions, and the encoder's delay and padding, so
// that a WAV holds the same samples as a gapless decoder gives.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FrameHeader.h"

struct MpegFrame {
  int64_t offset = 0;
  uint32_t bytes = 0;
  FrameHeader header;
};

// What an encoder's info frame (Xing, Info or VBRI) and a LAME tag after
// it tell. The info frame holds no sound: it is never decoded.
struct EncoderTag {
  bool present = false;
  bool vbri = false;
  int64_t frames = -1;  // the frame count it gives, -1 none
  int64_t bytes = -1;
  int delay = -1;    // samples the encoder put before the sound, -1 none
  int padding = -1;  // samples it put after the sound, -1 none
};

struct MpegFrameIndex {
  bool ok = false;                // at least one audio frame
  std::vector<MpegFrame> frames;  // the audio frames in order, the info frame excluded
  EncoderTag tag;
  // Where data after the last frame starts that no player takes for sound,
  // -1 when the frames go on to the end.
  int64_t audioEnd = -1;
  int channelMode = 0;  // the first frame's: 0 stereo, 1 joint, 2 dual channel, 3 mono
  int bitrateKbps = 0;  // the first audio frame's; the average when the stream's rate varies
  // The info frame itself, bytes 0 when there is none: it is passed over,
  // but it is one of the file's frames all the same.
  MpegFrame info;

  // Gapless, as libmpg123 decodes by default: with a LAME tag, the first
  // delay + 529 samples and the last padding - 529 samples are not output;
  // without one, every frame's samples are.
  int64_t SkipFront() const;
  int64_t OutputSamples() const;
};

// Damaged stretches are passed as the decoding passes them: a frame after
// damage counts only when it is of the stream's kind and another frame
// follows it. Parts of another kind joined on (files made from parts of two
// rates) are indexed too, each frame with its own header: a decoder that
// takes one format must look at `header` frame by frame. The first frame
// must start within 64 KiB after the leading tags, or no file is taken for
// MPEG audio.
MpegFrameIndex IndexFrames(ReadAtFn read, void* source, int64_t fileBytes);
