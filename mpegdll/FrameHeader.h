#pragma once
// MPEG audio frame headers and the tags that players find between frames,
// read by the library itself. libmpg123 takes any byte pattern that looks
// like a header after it has lost the stream; these checks let the library
// tell a real frame (one that the next frame follows) from a chance match in
// damaged data, and find where tags end.


#include <cstddef>
#include <cstdint>

struct FrameHeader {
  bool valid = false;
  int version = 0;  // 0 MPEG 1, 1 MPEG 2, 2 MPEG 2.5 (libmpg123's order)
  int layer = 0;    // 1 to 3
  long rate = 0;
  bool mono = false;
  size_t bytes = 0;  // the whole frame, header included
  int samples = 0;   // per channel
  int kbps = 0;      // the bit rate the header gives
  int channelMode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
  bool crc = false;     // a checksum follows the header

  // Frames of one stream: a chance match rarely agrees in all of these.
  bool SameKind(const FrameHeader& o) const {
    return valid && o.valid && version == o.version && layer == o.layer && rate == o.rate && mono == o.mono;
  }
};

// The header in the four bytes at `p`. Free-format frames (bit rate index 0)
// are not valid here: their size cannot be known from the header.
FrameHeader ParseFrameHeader(const unsigned char* p);

// Reads `bytes` bytes at `offset` of the input: false when they are not all
// there.
using ReadAtFn = bool (*)(void* source, int64_t offset, unsigned char* out, size_t bytes);

// The end of the ID3v2, ID3v1 and APE tags that follow one another from
// `offset`, or `offset` itself when no tag starts there. `fileBytes` bounds
// the sizes a tag may claim.
int64_t SkipTags(ReadAtFn read, void* source, int64_t offset, int64_t fileBytes);

// Whether the frame `h` at `offset` is a real one: the file ends with it (or
// with tags after it), or a frame of the same kind follows it.
bool FollowedByFrame(ReadAtFn read, void* source, int64_t offset, const FrameHeader& h, int64_t fileBytes);
