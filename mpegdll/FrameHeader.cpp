#include "FrameHeader.h"

#include <cstring>

namespace {

// kbit/s by [MPEG 1 or not][layer - 1][index].
const int kBitrates[2][3][16] = {{{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
                                  {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
                                  {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
                                 {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
                                  {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
                                  {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};

const long kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

uint32_t SyncSafe(const unsigned char* p) {
  return static_cast<uint32_t>(p[0] & 0x7f) << 21 | static_cast<uint32_t>(p[1] & 0x7f) << 14 |
         static_cast<uint32_t>(p[2] & 0x7f) << 7 | (p[3] & 0x7f);
}

uint32_t Le32(const unsigned char* p) {
  return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

FrameHeader ParseFrameHeader(const unsigned char* p) {
  FrameHeader h;
  const uint32_t v =
      static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
  if ((v & 0xffe00000u) != 0xffe00000u) return h;
  const unsigned versionBits = (v >> 19) & 3;
  const unsigned layerBits = (v >> 17) & 3;
  const unsigned bitrateIndex = (v >> 12) & 15;
  const unsigned rateIndex = (v >> 10) & 3;
  if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return h;
  h.version = versionBits == 3 ? 0 : versionBits == 2 ? 1 : 2;
  h.layer = static_cast<int>(4 - layerBits);
  h.rate = kRates[h.version][rateIndex];
  h.channelMode = static_cast<int>((v >> 6) & 3);
  h.mono = h.channelMode == 3;
  h.crc = ((v >> 16) & 1) == 0;
  h.kbps = kBitrates[h.version == 0 ? 0 : 1][h.layer - 1][bitrateIndex];
  const long bitsPerSecond = h.kbps * 1000L;
  const size_t padding = (v >> 9) & 1;
  if (h.layer == 1) {
    h.bytes = (static_cast<size_t>(12 * bitsPerSecond / h.rate) + padding) * 4;
    h.samples = 384;
  } else if (h.layer == 2 || h.version == 0) {
    h.bytes = static_cast<size_t>(144 * bitsPerSecond / h.rate) + padding;
    h.samples = 1152;
  } else {
    h.bytes = static_cast<size_t>(72 * bitsPerSecond / h.rate) + padding;
    h.samples = 576;
  }
  h.valid = h.bytes > 4;
  return h;
}

int64_t SkipTags(ReadAtFn read, void* source, int64_t offset, int64_t fileBytes) {
  // A handful of tags at most stand together; more is damage.
  for (int n = 0; n < 8; ++n) {
    unsigned char head[32];
    if (!read(source, offset, head, 10)) return offset;
    int64_t end = offset;
    if (std::memcmp(head, "ID3", 3) == 0 && head[3] < 0xff && head[4] < 0xff &&
        (head[6] | head[7] | head[8] | head[9]) < 0x80) {
      end = offset + 10 + SyncSafe(head + 6) + ((head[5] & 0x10) ? 10 : 0);
    } else if (std::memcmp(head, "TAG", 3) == 0) {
      end = offset + 128;
    } else if (std::memcmp(head, "APETAGEX", 8) == 0 && read(source, offset, head, 32)) {
      // The size counts the items and the footer; a tag that starts with a
      // header has 32 bytes more. Only a header is found here: a footer
      // ends a tag whose start was passed already.
      const bool isHeader = (Le32(head + 20) & (1u << 29)) != 0;
      end = offset + (isHeader ? 32 : 0) + Le32(head + 12);
      if (!isHeader) end = offset + 32;
    } else {
      return offset;
    }
    // A size past the end is no tag that can be skipped: what follows it is
    // the end of the stream.
    if (end > fileBytes || end <= offset) return fileBytes;
    offset = end;
  }
  return offset;
}

bool FollowedByFrame(ReadAtFn read, void* source, int64_t offset, const FrameHeader& h, int64_t fileBytes) {
  const int64_t end = offset + static_cast<int64_t>(h.bytes);
  if (end > fileBytes) return false;
  const int64_t next = SkipTags(read, source, end, fileBytes);
  if (next >= fileBytes) return true;
  unsigned char b[4];
  return read(source, next, b, 4) && ParseFrameHeader(b).SameKind(h);
}
