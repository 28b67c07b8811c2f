#pragma once
// A pass over the frame headers of a named file, done by the library itself
// before decoding. It finds what the decoder alone cannot tell at the start:
// whether parts of other sampling rates follow (files joined from parts of
// two rates), and how many frames the file really holds (a file cut short
// after an encoder's info frame that counts more). Damaged stretches are
// passed the way the decoding passes them: a frame after damage counts only
// when it is of the stream's kind and another frame follows it.


#include <cstdint>

#include "FrameHeader.h"

struct StreamWalk {
  bool ok = false;  // no frame found: nothing below is known
  int64_t frames = 0;
  // The length in samples at the output rate: each frame's samples converted
  // from its own rate.
  double outputSamples = 0;
  bool mixedRates = false;
  long firstRate = 0;  // the first frame's rate
  // Where the last frame ends (tags after it included): what follows is data
  // that no player takes for sound. -1 when it goes on to the end.
  int64_t audioEnd = -1;
};

// outputRate 0: the first frame's rate.
StreamWalk WalkFrames(ReadAtFn read, void* source, int64_t fileBytes, long outputRate);
