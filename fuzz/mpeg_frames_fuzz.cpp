// The frame index on any bytes: every frame it gives lies within the input,
// in order, and the lengths it tells are never negative.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "MpegFrames.h"

namespace {

struct Input {
  const uint8_t* data;
  size_t size;
};

bool ReadAt(void* source, int64_t offset, unsigned char* out, size_t bytes) {
  const Input& in = *static_cast<const Input*>(source);
  if (offset < 0 || static_cast<uint64_t>(offset) + bytes > in.size) return false;
  std::memcpy(out, in.data + offset, bytes);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  const MpegFrameIndex index = IndexFrames(&ReadAt, &in, static_cast<int64_t>(size));
  int64_t end = 0;
  for (const MpegFrame& f : index.frames) {
    if (f.offset < end || f.offset + f.bytes > static_cast<int64_t>(size)) std::abort();
    end = f.offset + f.bytes;
  }
  if (index.ok != !index.frames.empty() || index.OutputSamples() < 0 || index.SkipFront() < 0) std::abort();
  return 0;
}
