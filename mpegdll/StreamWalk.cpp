#include "StreamWalk.h"

namespace {

// How far past its tags a file may start with something else before its
// first frame; further on, no file is taken for MPEG audio.
constexpr int64_t kFirstFrameWithin = 64 * 1024;

// The next real frame of the kind of `last` at or after `from`, -1 when none.
int64_t FindFrame(ReadAtFn read, void* source, int64_t from, int64_t limit, int64_t fileBytes, const FrameHeader* last,
                FrameHeader* found) {
  unsigned char b[4];
  for (int64_t at = from; at + 4 <= limit; ++at) {
    if (!read(source, at, b, 4)) return -1;
    if (b[0] != 0xff) continue;
    const FrameHeader h = ParseFrameHeader(b);
    if (!h.valid || (last && !h.SameKind(*last))) continue;
    if (FollowedByFrame(read, source, at, h, fileBytes)) {
      *found = h;
      return at;
    }
  }
  return -1;
}

}  // namespace

StreamWalk WalkFrames(ReadAtFn read, void* source, int64_t fileBytes, long outputRate) {
  StreamWalk w;
  int64_t at = SkipTags(read, source, 0, fileBytes);
  FrameHeader last;
  const int64_t firstLimit = at + kFirstFrameWithin < fileBytes ? at + kFirstFrameWithin : fileBytes;
  at = FindFrame(read, source, at, firstLimit, fileBytes, nullptr, &last);
  if (at < 0) return w;
  if (outputRate <= 0) outputRate = last.rate;
  w.ok = true;
  w.firstRate = last.rate;
  for (;;) {
    at = SkipTags(read, source, at, fileBytes);
    unsigned char b[4];
    if (at >= fileBytes || !read(source, at, b, 4)) break;
    const FrameHeader h = ParseFrameHeader(b);
    // Right after a frame, another kind of frame starts a joined part when
    // a frame of its kind follows it.
    if (h.valid && (h.SameKind(last) || FollowedByFrame(read, source, at, h, fileBytes))) {
      if (at + static_cast<int64_t>(h.bytes) > fileBytes) break;  // cut in the middle
      ++w.frames;
      w.outputSamples += static_cast<double>(h.samples) * static_cast<double>(outputRate) / static_cast<double>(h.rate);
      if (h.rate != outputRate) w.mixedRates = true;
      last = h;
      at += static_cast<int64_t>(h.bytes);
      continue;
    }
    const int64_t stop = at;
    at = FindFrame(read, source, at + 1, fileBytes, fileBytes, &last, &last);
    if (at < 0) {
      // Only data in which no two frames of any kind follow each other is
      // taken for the end; a part this walk cannot follow stays.
      FrameHeader any;
      if (FindFrame(read, source, stop, fileBytes, fileBytes, nullptr, &any) < 0) w.audioEnd = stop;
      break;
    }
  }
  return w;
}
