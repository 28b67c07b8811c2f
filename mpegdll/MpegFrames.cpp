#include "MpegFrames.h"

#include <cstring>

namespace {

// How far past its tags a file may start with something else before its
// first frame; further on, no file is taken for MPEG audio.
constexpr int64_t kFirstFrameWithin = 64 * 1024;

// The decoder's own delay in a layer III stream: the encoder's delay in the
// LAME tag leaves it out, so a gapless decoder drops it on top.
constexpr int64_t kDecoderDelay = 529;

uint32_t Be32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         p[3];
}

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

// An encoder's info frame at `offset`: Xing or Info after the side
// information of a layer III frame, or VBRI 32 bytes after the header.
// The frame has been checked to lie within the file.
EncoderTag ReadInfoFrame(ReadAtFn read, void* source, int64_t offset, const FrameHeader& h) {
  EncoderTag tag;
  if (h.layer != 3 || h.bytes > 4096) return tag;
  unsigned char f[4096];
  if (!read(source, offset, f, h.bytes)) return tag;
  const size_t n = h.bytes;
  const size_t sideInfo = h.version == 0 ? (h.mono ? 17 : 32) : (h.mono ? 9 : 17);
  const size_t x = 4 + (h.crc ? 2 : 0) + sideInfo;
  if (x + 8 <= n && (std::memcmp(f + x, "Xing", 4) == 0 || std::memcmp(f + x, "Info", 4) == 0)) {
    tag.present = true;
    const uint32_t flags = Be32(f + x + 4);
    size_t at = x + 8;
    if (flags & 1) {
      if (at + 4 > n) return tag;
      tag.frames = Be32(f + at);
      at += 4;
    }
    if (flags & 2) {
      if (at + 4 > n) return tag;
      tag.bytes = Be32(f + at);
      at += 4;
    }
    // The LAME tag stands at a fixed place after the Xing fields, which
    // LAME always writes in full: its encoder name, then at 0x8D the delay
    // and the padding, 12 bits each.
    const size_t lame = x + 0x78;
    const size_t delayAt = x + 0x8D;
    if (delayAt + 3 <= n && (std::memcmp(f + lame, "LAME", 4) == 0 || std::memcmp(f + lame, "Lavf", 4) == 0 ||
                             std::memcmp(f + lame, "Lavc", 4) == 0)) {
      const unsigned char* d = f + delayAt;
      tag.delay = d[0] << 4 | d[1] >> 4;
      tag.padding = (d[1] & 0x0f) << 8 | d[2];
    }
    return tag;
  }
  const size_t v = 4 + 32;
  if (v + 18 <= n && std::memcmp(f + v, "VBRI", 4) == 0) {
    tag.present = true;
    tag.vbri = true;
    tag.bytes = Be32(f + v + 10);
    tag.frames = Be32(f + v + 14);
  }
  return tag;
}

}  // namespace

int64_t MpegFrameIndex::SkipFront() const {
  if (!ok || tag.delay < 0) return 0;
  return tag.delay + kDecoderDelay;
}

int64_t MpegFrameIndex::OutputSamples() const {
  int64_t total = 0;
  for (const MpegFrame& f : frames) total += f.header.samples;
  if (!ok || tag.delay < 0) return total;
  // The end is cut where the padding starts, shifted by the decoder's delay
  // as the front is; it is never past the sound the frames hold.
  int64_t end = total - tag.padding + kDecoderDelay;
  if (end > total) end = total;
  const int64_t samples = end - SkipFront();
  return samples > 0 ? samples : 0;
}

MpegFrameIndex IndexFrames(ReadAtFn read, void* source, int64_t fileBytes) {
  MpegFrameIndex index;
  int64_t at = SkipTags(read, source, 0, fileBytes);
  FrameHeader last;
  const int64_t firstLimit = at + kFirstFrameWithin < fileBytes ? at + kFirstFrameWithin : fileBytes;
  at = FindFrame(read, source, at, firstLimit, fileBytes, nullptr, &last);
  if (at < 0) return index;
  index.channelMode = last.channelMode;
  index.tag = ReadInfoFrame(read, source, at, last);
  bool first = true;
  int64_t audioBytes = 0;
  bool rateVaries = false;
  for (;;) {
    at = SkipTags(read, source, at, fileBytes);
    unsigned char b[4];
    if (at >= fileBytes || !read(source, at, b, 4)) break;
    const FrameHeader h = ParseFrameHeader(b);
    // Right after a frame, another kind of frame starts a joined part when
    // a frame of its kind follows it.
    if (h.valid && (h.SameKind(last) || FollowedByFrame(read, source, at, h, fileBytes))) {
      if (at + static_cast<int64_t>(h.bytes) > fileBytes) break;  // cut in the middle
      MpegFrame frame;
      frame.offset = at;
      frame.bytes = static_cast<uint32_t>(h.bytes);
      frame.header = h;
      if (first && index.tag.present) {
        index.info = frame;
      } else {
        if (index.frames.empty()) {
          index.bitrateKbps = h.kbps;
        } else if (h.kbps != index.frames.front().header.kbps) {
          rateVaries = true;
        }
        audioBytes += frame.bytes;
        index.frames.push_back(frame);
      }
      first = false;
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
      if (FindFrame(read, source, stop, fileBytes, fileBytes, nullptr, &any) < 0) index.audioEnd = stop;
      break;
    }
  }
  index.ok = !index.frames.empty();
  if (rateVaries) {
    // The average over the sound: bytes times eight over its duration.
    double seconds = 0;
    for (const MpegFrame& f : index.frames) seconds += static_cast<double>(f.header.samples) / f.header.rate;
    index.bitrateKbps = static_cast<int>(static_cast<double>(audioBytes) * 8 / seconds / 1000 + 0.5);
  }
  return index;
}
