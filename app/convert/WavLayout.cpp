#include "WavLayout.h"

#include <sys/stat.h>
#include <unistd.h>

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

uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Reads from the open file with pread, not moving its position.
class FileSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {}
  // Bytes read (fewer at the end of the file), or -1 with Error() set.
  int64_t Read(int64_t offset, unsigned char* buf, int64_t count) {
    int64_t done = 0;
    while (done < count) {
      const ssize_t n = pread(fd_, buf + done, static_cast<size_t>(count - done), static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error_ = ErrnoToWinError(errno);
        return -1;
      }
      if (n == 0) break;
      done += n;
    }
    return done;
  }
  int Error() const { return error_; }

 private:
  int fd_;
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

// Fills 'layout' from the chunks: 1 when both were found, 0 when the file is
// not RIFF/WAVE or a usable "fmt " or "data" is missing, -1 for a failed read.
template <typename Source>
int WalkChunks(Source& source, int64_t fileSize, TWavLayout& layout) {
  unsigned char form[12];
  const int64_t got = source.Read(0, form, sizeof form);
  if (got < 0) return -1;
  if (got < 12 || std::memcmp(form, "RIFF", 4) != 0 || std::memcmp(form + 8, "WAVE", 4) != 0) return 0;
  bool haveFmt = false;
  bool haveData = false;
  int64_t at = 12;
  for (int chunks = 0; chunks < kMaxChunks && !(haveFmt && haveData) && at + kChunkHeader <= fileSize; ++chunks) {
    unsigned char head[kChunkHeader];
    const int64_t n = source.Read(at, head, kChunkHeader);
    if (n < 0) return -1;
    if (n < kChunkHeader) break;
    const int64_t size = U32(head + 4);
    const int64_t content = at + kChunkHeader;
    if (!haveFmt && std::memcmp(head, "fmt ", 4) == 0 && size >= kFmtCommon) {
      unsigned char fmt[kFmtRead] = {};
      const int64_t f = source.Read(content, fmt, std::min(size, kFmtRead));
      if (f < 0) return -1;
      if (f >= kFmtCommon) {
        uint16_t tag = U16(fmt);
        if (tag == kTagExtensible && f >= kFmtRead) tag = U16(fmt + 24);
        layout.formatTag = tag;
        layout.sampleRate = U32(fmt + 4);
        layout.frameSize = FrameSize(tag, U16(fmt + 2), U16(fmt + 12), U16(fmt + 14));
        haveFmt = true;
      }
    } else if (!haveData && std::memcmp(head, "data", 4) == 0) {
      const int64_t available = std::max<int64_t>(0, fileSize - content);
      layout.dataOffset = content;
      const bool unknown = size == 0 || size == kUnknownSize;
      layout.dataSize = unknown ? available : std::min(size, available);
      haveData = true;
    }
    at = content + size + (size & 1);
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

int ReadWavLayout(int fd, TWavLayout& layout) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return ErrnoToWinError(errno);
  FileSource source(fd);
  return Read(source, static_cast<int64_t>(st.st_size), layout);
}

TWavLayout ParseWavLayout(const unsigned char* bytes, size_t size) {
  MemorySource source(bytes, size);
  TWavLayout layout;
  Read(source, static_cast<int64_t>(size), layout);
  return layout;
}
