#pragma once
// Where a WAV file keeps its sample rate, its encoding and its sample data.
//
// A RIFF/WAVE file is a 12-byte form header ("RIFF", size, "WAVE") followed
// by chunks: a 4-byte id, a 4-byte little-endian size, the content, and one
// pad byte when the size is odd. Writers put other chunks around the two that
// matter here: "LIST"/"INFO" before "data" (ffmpeg), "fact" (non-PCM and
// WAVE_FORMAT_EXTENSIBLE files), "bext" (broadcast WAV), "JUNK" even before
// "fmt ", and metadata after "data". So the file is read by its chunks:
//
//   "fmt "  +0: format tag (u16), 0xFFFE = EXTENSIBLE, whose real tag is the
//           first two bytes of the sub-format GUID at +24
//           +2: channels (u16)   +4: sample rate (u32)
//           +12: block align = bytes per frame (u16)   +14: bits per sample (u16)
//   "fact"  +0: frames of sound (u32) in a compressed encoding, whose last
//           block is padded (0 when a streaming writer did not know them);
//           read, not used, for PCM and float
//   "data"  the sample data, nothing else
//
// RF64 and BW64, the successors that broadcast tools and ffmpeg write for
// recordings over 4 GiB, are laid out alike under the form ids "RF64" and
// "BW64", with a "ds64" chunk first that holds the sizes a 32-bit field
// cannot say:
//
//   "ds64"  +0: RIFF size (u64)   +8: data size (u64)   +16: sample count (u64)
//           +24: table length (u32), then entries of a chunk id (4 bytes) and
//           its size (u64)
//
// In such a file a chunk whose 32-bit size is 0xFFFFFFFF has the size that
// "ds64" gives it: "data" its data size, any other chunk its table entry.
//
// The RIFF size (either one) is not trusted (streaming writers leave it
// wrong); the walk runs to the physical end of the file. A data size larger
// than what the file holds is cut to the file. A data size of 0 or 0xFFFFFFFF
// is what streaming writers leave when they cannot come back to fill it in
// (and all that a RIFF file over 4 GiB can say): when "data" is the last
// chunk, that is, no plausible chunk header stands where its size ends, it
// counts as "to the end of the file"; otherwise it is the chunk's real size.
// A plausible chunk header is four printable ASCII characters and a size that
// fits in the file ("data" may be cut short).
//
// Some writers forget the pad byte after an odd-sized chunk. Where the padded
// position holds no plausible chunk header and the unpadded one does, the
// walk goes on from the unpadded one; where both look plausible, from the one
// that names a chunk WAV writers are known to write ("LIST", "data" ...),
// the padded one when both or neither do.
//
// A file that is not RIFF/WAVE (nor RF64/BW64), or lacks a usable "fmt " or
// "data" chunk, is read by the fixed rules of the canonical 44-byte header:
// the rate at byte 24, the data from byte 44 to the end, 4-byte frames
// (16-bit stereo).

#include <cstddef>
#include <cstdint>

#include "FileServices.h"

struct TWavLayout {
  // True when the chunks were found; false for the fixed 44-byte rules.
  bool fromChunks = false;
  // 0 when the file ends inside the rate field.
  uint32_t sampleRate = 0;
  // The format tag, read through the sub-format of an EXTENSIBLE file
  // (1 = PCM, 3 = float); 0 under the fixed rules.
  uint16_t formatTag = 0;
  // The fields of "fmt " as written; 0 under the fixed rules.
  uint16_t channels = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  // The frames of sound that "fact" gives, -1 without one.
  int64_t factFrames = -1;
  // Where the content of "fmt " begins and its size as written, cut to the
  // file: a system codec takes the whole chunk, its extra bytes with it, as
  // the description of the encoding. 0 under the fixed rules.
  int64_t fmtOffset = 0;
  int64_t fmtSize = 0;
  // Byte offset of the first sample byte.
  int64_t dataOffset = 44;
  // Bytes of sample data. Under the fixed rules the file size - 44, negative
  // for a file shorter than its header.
  int64_t dataSize = 0;
  // Bytes per frame, 1 to 65535: block align; when that is 0, channels times
  // the bytes of a PCM or float sample if that is in range; failing both, 4.
  int64_t frameSize = 4;
};

// Reads the layout of the open file 'h' (its position is not moved).
// Returns 0, or the platform error code of a read that failed.
int ReadWavLayout(THandle h, TWavLayout& layout);

// The same for a file held in memory.
TWavLayout ParseWavLayout(const unsigned char* bytes, size_t size);

// True when the data is 16-bit PCM as the game file holds it, so that its
// bytes are copied as they are: PCM (plain or EXTENSIBLE) of 2-byte samples
// (by the bits per sample, else by the block align; with neither, 16-bit as
// the fixed rules take it), and every file read by the fixed rules. Any other
// encoding is decoded.
bool IsPcm16(const TWavLayout& layout);
