// Feeds arbitrary bytes to the WAV reader of the conversion, in memory and
// through a file, and stops at the first layout that would send the copy or
// the halving outside the file, or where the two readings differ.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "WavLayout.h"

namespace {

bool Same(const TWavLayout& a, const TWavLayout& b) {
  return a.fromChunks == b.fromChunks && a.sampleRate == b.sampleRate && a.formatTag == b.formatTag &&
         a.channels == b.channels && a.blockAlign == b.blockAlign && a.bitsPerSample == b.bitsPerSample &&
         a.factFrames == b.factFrames && a.dataOffset == b.dataOffset && a.dataSize == b.dataSize &&
         a.frameSize == b.frameSize;
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TWavLayout memory = ParseWavLayout(data, size);
  const int64_t fileSize = static_cast<int64_t>(size);
  Check(memory.frameSize >= 1 && memory.frameSize <= 65535);
  if (memory.fromChunks) {
    Check(memory.dataOffset >= 20 && memory.dataSize >= 0);
    Check(memory.dataOffset + memory.dataSize <= fileSize);
  } else {
    Check(memory.dataOffset == 44 && memory.dataSize == fileSize - 44 && memory.frameSize == 4);
  }

  const int fd = memfd_create("wav", MFD_CLOEXEC);
  if (fd < 0) return 0;
  if (write(fd, data, size) == static_cast<ssize_t>(size)) {
    TWavLayout file;
    Check(ReadWavLayout(fd, file) == 0);
    Check(Same(memory, file));
  }
  close(fd);
  return 0;
}
