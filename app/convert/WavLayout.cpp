#include "WavLayout.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "FileServices.h"

namespace {

constexpr int64_t kFixedRateOffset = 24;
constexpr int64_t kFixedDataOffset = 44;
constexpr int64_t kFixedFrameSize = 4;
constexpr int64_t kChunkHeader = 8;
// The part of "fmt " that is read: the common 16 bytes, the extension size,
// valid bits, channel mask and the sub-format GUID of an EXTENSIBLE file.
constexpr int64_t kFmtRead = 40;
constexpr int64_t kFmtCommon = 16;
constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr int64_t kMaxFrameSize = 0xFFFF;
// Real files have a handful of chunks; a file of millions of empty ones would
// only make the walk slow, so it stops and the fixed rules apply.
constexpr int kMaxChunks = 4096;
// The data size that streaming writers leave when they cannot come back to
// write the real one (0 is the other); it is also all a file over 4 GiB can say.
constexpr int64_t kUnknownSize = 0xFFFFFFFF;
// "ds64": three 64-bit sizes and the table length, then 12-byte entries, of
// which the first few are kept (real files have one or none).
constexpr int64_t kDs64Fixed = 28;
constexpr int64_t kDs64Entry = 12;
constexpr int kMaxTableEntries = 8;
// Larger than any file, small enough that offsets plus it cannot overflow.
constexpr int64_t kMaxSize = int64_t{1} << 62;
constexpr int kPcmSampleBytes = 2;

uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Reads from the open file at an offset, not moving its position.
class FileSource {
 public:
  explicit FileSource(THandle h) : h_(h) {}
  // Bytes read (fewer at the end of the file), or -1 with Error() set.
  int64_t Read(int64_t offset, unsigned char* buf, int64_t count) {
    const int64_t n = FileReadAt(h_, buf, count, offset);
    if (n < 0) error_ = LastOSError();
    return n;
  }
  int Error() const { return error_; }

 private:
  THandle h_;
  int error_ = 0;
};

class MemorySource {
 public:
  MemorySource(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(static_cast<int64_t>(size)) {}
  int64_t Read(int64_t offset, unsigned char* buf, int64_t count) {
    if (offset >= size_) return 0;
    const int64_t n = std::min(count, size_ - offset);
    std::memcpy(buf, bytes_ + offset, static_cast<size_t>(n));
    return n;
  }
  int Error() const { return 0; }

 private:
  const unsigned char* bytes_;
  int64_t size_;
};

// Bytes per frame from the fields of "fmt ".
int64_t FrameSize(uint16_t tag, uint16_t channels, uint16_t blockAlign, uint16_t bits) {
  if (blockAlign != 0) return blockAlign;
  const int64_t derived = int64_t{channels} * ((bits + 7) / 8);
  // No real format has a frame larger than the block align field can say;
  // a larger one would only size the halving's buffer.
  if ((tag == kTagPcm || tag == kTagFloat) && derived > 0 && derived <= kMaxFrameSize) return derived;
  return kFixedFrameSize;
}

bool IsPrintable(const unsigned char* id) {
  for (int i = 0; i < 4; ++i)
    if (id[i] < 0x20 || id[i] > 0x7E) return false;
  return true;
}

// The 64-bit sizes of an RF64/BW64 file.
struct TDs64 {
  bool present = false;
  int64_t dataSize = 0;
  int tableEntries = 0;
  unsigned char tableIds[kMaxTableEntries][4] = {};
  int64_t tableSizes[kMaxTableEntries] = {};
};

// A 64-bit size as a count the walk can add to without overflow: a size no
// file can reach stands for "past the end".
int64_t Size64(const unsigned char* p) {
  const uint64_t low = U32(p);
  const uint64_t high = U32(p + 4);
  const uint64_t size = high << 32 | low;
  return size > static_cast<uint64_t>(kMaxSize) ? kMaxSize : static_cast<int64_t>(size);
}

template <typename Source>
int ReadDs64(Source& source, int64_t content, int64_t size, TDs64& ds64) {
  unsigned char fixed[kDs64Fixed];
  if (size < kDs64Fixed) return 0;
  const int64_t n = source.Read(content, fixed, kDs64Fixed);
  if (n < 0) return -1;
  if (n < kDs64Fixed) return 0;
  ds64.present = true;
  ds64.dataSize = Size64(fixed + 8);
  const int64_t declared = U32(fixed + 24);
  const int64_t room = (size - kDs64Fixed) / kDs64Entry;
  const int64_t entries = std::min<int64_t>({declared, room, kMaxTableEntries});
  for (int64_t i = 0; i < entries; ++i) {
    unsigned char entry[kDs64Entry];
    const int64_t e = source.Read(content + kDs64Fixed + i * kDs64Entry, entry, kDs64Entry);
    if (e < 0) return -1;
    if (e < kDs64Entry) break;
    std::memcpy(ds64.tableIds[ds64.tableEntries], entry, 4);
    ds64.tableSizes[ds64.tableEntries] = Size64(entry + 4);
    ++ds64.tableEntries;
  }
  return 0;
}

// The chunks that WAV writers put in a file, by which the walk tells a real
// chunk header from bytes that only look like one.
bool IsKnownChunk(const unsigned char* id) {
  static const char* const kKnown[] = {"fmt ", "data", "fact", "LIST", "JUNK", "junk", "bext", "cue ", "smpl",
                                       "inst", "PEAK", "id3 ", "ID3 ", "iXML", "axml", "cart", "acid", "FLLR",
                                       "PAD ", "umid", "ds64", "labl", "note", "ltxt", "plst", "DISP", "chna"};
  for (const char* known : kKnown)
    if (std::memcmp(id, known, 4) == 0) return true;
  return false;
}

// What stands at a position where a chunk may begin.
enum class TChunkAt { Nothing, Plausible, Known, ReadFailed };

// A plausible chunk header is four printable characters and a size that fits
// in the file ("data" may be cut short); a known one also names a chunk of
// the list above.
template <typename Source>
TChunkAt ChunkAt(Source& source, int64_t at, int64_t fileSize) {
  if (at < 0 || at + kChunkHeader > fileSize) return TChunkAt::Nothing;
  unsigned char head[kChunkHeader];
  const int64_t n = source.Read(at, head, kChunkHeader);
  if (n < 0) return TChunkAt::ReadFailed;
  if (n < kChunkHeader || !IsPrintable(head)) return TChunkAt::Nothing;
  const bool fits = std::memcmp(head, "data", 4) == 0 || at + kChunkHeader + U32(head + 4) <= fileSize;
  if (!fits) return TChunkAt::Nothing;
  return IsKnownChunk(head) ? TChunkAt::Known : TChunkAt::Plausible;
}

// Where the chunk after one of 'size' bytes of content at 'content' begins:
// after the pad byte of an odd size, unless the unpadded position holds a
// plausible chunk and the padded one none, or only the unpadded one a known
// chunk. -1 for a failed read.
template <typename Source>
int64_t NextChunk(Source& source, int64_t content, int64_t size, int64_t fileSize) {
  const int64_t unpadded = content + size;
  if ((size & 1) == 0) return unpadded;
  const TChunkAt padded = ChunkAt(source, unpadded + 1, fileSize);
  if (padded == TChunkAt::ReadFailed) return -1;
  if (padded == TChunkAt::Known) return unpadded + 1;
  const TChunkAt bare = ChunkAt(source, unpadded, fileSize);
  if (bare == TChunkAt::ReadFailed) return -1;
  const bool followBare = bare == TChunkAt::Known || (bare == TChunkAt::Plausible && padded == TChunkAt::Nothing);
  return followBare ? unpadded : unpadded + 1;
}

// Fills 'layout' from the chunks: 1 when both were found, 0 when the file is
// not RIFF/WAVE or a usable "fmt " or "data" is missing, -1 for a failed read.
template <typename Source>
int WalkChunks(Source& source, int64_t fileSize, TWavLayout& layout) {
  unsigned char form[12];
  const int64_t got = source.Read(0, form, sizeof form);
  if (got < 0) return -1;
  if (got < 12 || std::memcmp(form + 8, "WAVE", 4) != 0) return 0;
  const bool wide = std::memcmp(form, "RF64", 4) == 0 || std::memcmp(form, "BW64", 4) == 0;
  if (!wide && std::memcmp(form, "RIFF", 4) != 0) return 0;
  TDs64 ds64;
  bool haveFmt = false;
  bool haveData = false;
  int64_t at = 12;
  for (int chunks = 0; chunks < kMaxChunks && !(haveFmt && haveData) && at + kChunkHeader <= fileSize; ++chunks) {
    unsigned char head[kChunkHeader];
    const int64_t n = source.Read(at, head, kChunkHeader);
    if (n < 0) return -1;
    if (n < kChunkHeader) break;
    int64_t size = U32(head + 4);
    const int64_t content = at + kChunkHeader;
    const bool isData = std::memcmp(head, "data", 4) == 0;
    if (wide && size == kUnknownSize && ds64.present) {
      if (isData) size = ds64.dataSize;
      for (int i = 0; !isData && i < ds64.tableEntries; ++i)
        if (std::memcmp(ds64.tableIds[i], head, 4) == 0) size = ds64.tableSizes[i];
    }
    if (wide && !ds64.present && std::memcmp(head, "ds64", 4) == 0) {
      if (ReadDs64(source, content, size, ds64) < 0) return -1;
    } else if (!haveFmt && std::memcmp(head, "fmt ", 4) == 0 && size >= kFmtCommon) {
      unsigned char fmt[kFmtRead] = {};
      const int64_t f = source.Read(content, fmt, std::min(size, kFmtRead));
      if (f < 0) return -1;
      if (f >= kFmtCommon) {
        uint16_t tag = U16(fmt);
        if (tag == kTagExtensible && f >= kFmtRead) tag = U16(fmt + 24);
        layout.formatTag = tag;
        layout.channels = U16(fmt + 2);
        layout.sampleRate = U32(fmt + 4);
        layout.blockAlign = U16(fmt + 12);
        layout.bitsPerSample = U16(fmt + 14);
        layout.frameSize = FrameSize(tag, layout.channels, layout.blockAlign, layout.bitsPerSample);
        layout.fmtOffset = content;
        layout.fmtSize = std::min(size, std::max<int64_t>(0, fileSize - content));
        haveFmt = true;
      }
    } else if (layout.factFrames < 0 && std::memcmp(head, "fact", 4) == 0 && size >= 4) {
      unsigned char frames[4];
      const int64_t f = source.Read(content, frames, sizeof frames);
      if (f < 0) return -1;
      if (f == sizeof frames) layout.factFrames = U32(frames);
    }
    const int64_t next = NextChunk(source, content, size, fileSize);
    if (next < 0) return -1;
    at = next;
    if (!haveData && isData) {
      const int64_t available = std::max<int64_t>(0, fileSize - content);
      layout.dataOffset = content;
      layout.dataSize = std::min(size, available);
      haveData = true;
      if (size == 0 || size == kUnknownSize) {
        // Another chunk where the size says the data ends: the size is real.
        const TChunkAt follows = ChunkAt(source, next, fileSize);
        if (follows == TChunkAt::ReadFailed) return -1;
        if (follows == TChunkAt::Nothing) {
          layout.dataSize = available;
          at = fileSize;
        }
      }
    }
  }
  layout.fromChunks = haveFmt && haveData;
  return layout.fromChunks ? 1 : 0;
}

template <typename Source>
int Read(Source& source, int64_t fileSize, TWavLayout& layout) {
  TWavLayout chunked;
  const int walked = WalkChunks(source, fileSize, chunked);
  if (walked < 0) return source.Error();
  if (walked > 0) {
    layout = chunked;
    return 0;
  }
  TWavLayout fixed;
  unsigned char rate[4];
  const int64_t n = source.Read(kFixedRateOffset, rate, sizeof rate);
  if (n < 0) return source.Error();
  fixed.sampleRate = n == sizeof rate ? U32(rate) : 0;
  fixed.dataOffset = kFixedDataOffset;
  fixed.dataSize = fileSize - kFixedDataOffset;
  fixed.frameSize = kFixedFrameSize;
  layout = fixed;
  return 0;
}

}  // namespace

int ReadWavLayout(THandle h, TWavLayout& layout) {
  const int64_t size = FileSize(h);
  if (size < 0) return LastOSError();
  FileSource source(h);
  return Read(source, size, layout);
}

TWavLayout ParseWavLayout(const unsigned char* bytes, size_t size) {
  MemorySource source(bytes, size);
  TWavLayout layout;
  Read(source, static_cast<int64_t>(size), layout);
  return layout;
}

bool IsPcm16(const TWavLayout& layout) {
  if (!layout.fromChunks) return true;
  if (layout.formatTag != kTagPcm) return false;
  if (layout.bitsPerSample != 0) return (layout.bitsPerSample + 7) / 8 == kPcmSampleBytes;
  // No sample width written: the frame says it, or nothing does.
  if (layout.blockAlign == 0) return true;
  return int64_t{layout.channels} * kPcmSampleBytes == layout.blockAlign;
}
