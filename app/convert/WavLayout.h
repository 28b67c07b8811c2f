#pragma once
// Where a WAV file keeps its sample rate and its sample data.
//
// A RIFF/WAVE file is a 12-byte form header ("RIFF", size, "WAVE") followed
// by chunks: a 4-byte id, a 4-byte little-endian size, the content, and one
// pad byte when the size is odd. Writers put other chunks around the two that
// matter here: "LIST"/"INFO" before "data" (ffmpeg), "fact" (non-PCM and
// WAVE_FORMAT_EXTENSIBLE files), "bext" (broadcast WAV), "JUNK" even before
// "fmt ", and metadata after "data". So the file is read by its chunks:
//
//   "fmt "  +4: sample rate (u32)   +12: block align = bytes per frame (u16)
//           +0: format tag (u16), 0xFFFE = EXTENSIBLE, whose real tag is the
//           first two bytes of the sub-format GUID at +24
//   "data"  the sample data, nothing else
//
// The RIFF size is not trusted (streaming writers leave it wrong); the walk
// runs to the physical end of the file. A data size larger than what the file
// holds is cut to the file, and a data size of 0 or 0xFFFFFFFF, which
// streaming writers leave when they cannot come back to fill it in (and all
// that a file over 4 GiB can say), counts as "to the end of the file", as the
// fixed rules below would read it.
//
// A file that is not RIFF/WAVE, or lacks a usable "fmt " or "data" chunk,
// is read by the fixed rules of the canonical 44-byte header: the rate at
// byte 24, the data from byte 44 to the end, 4-byte frames (16-bit stereo).

#include <cstddef>
#include <cstdint>

struct TWavLayout {
  // True when the chunks were found; false for the fixed 44-byte rules.
  bool fromChunks = false;
  // 0 when the file ends inside the rate field.
  uint32_t sampleRate = 0;
  // The format tag, read through the sub-format of an EXTENSIBLE file
  // (1 = PCM, 3 = float); 0 under the fixed rules.
  uint16_t formatTag = 0;
  // Byte offset of the first sample byte.
  int64_t dataOffset = 44;
  // Bytes of sample data. Under the fixed rules the file size - 44, negative
  // for a file shorter than its header.
  int64_t dataSize = 0;
  // Bytes per frame, 1 to 65535: block align; when that is 0, channels times
  // the bytes of a PCM or float sample if that is in range; failing both, 4.
  int64_t frameSize = 4;
};

// Reads the layout of the open file 'fd' (its position is not moved).
// Returns 0, or the platform error code of a read that failed.
int ReadWavLayout(int fd, TWavLayout& layout);

// The same for a file held in memory.
TWavLayout ParseWavLayout(const unsigned char* bytes, size_t size);
