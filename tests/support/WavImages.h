#pragma once
// WAV files as the tests make and read them: chunk by chunk, as the tools
// write them, and read back by walking the chunks, so writers with other
// header layouts compare too. One builder and one reader for every test.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

void Append(Bytes& out, const Bytes& more);
// `value` in `bytes` little-endian bytes.
Bytes Le(uint32_t value, int bytes);
Bytes Le64(uint64_t value);
Bytes Text(const char* text, size_t size);

// id, size (`declared`, or the content's), content, and the pad byte of an
// odd size.
Bytes Chunk(const char* id, const Bytes& content, uint32_t declared);
Bytes Chunk(const char* id, const Bytes& content);
// id, size, content, without the pad byte an odd size needs.
Bytes UnpaddedChunk(const char* id, const Bytes& content);
// "RIFF", the size, "WAVE" and the chunks.
Bytes Riff(const std::vector<Bytes>& chunks);
// A "fmt " chunk's content: tag, channels, rate, byte rate and block align
// for whole bytes per sample, bits; `extra` (cbSize and what follows) after
// them when given.
Bytes FmtContent(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& extra = {});
// The canonical 44-byte header (PCM, "fmt " of 16 bytes, then "data") and
// the data.
Bytes CanonicalWav(uint32_t rate, uint16_t channels, uint16_t bits, const Bytes& data);

struct WavFile {
  bool valid = false;  // RIFF/WAVE with a fmt and a data chunk that fit the file
  uint16_t format = 0;
  uint16_t channels = 0;
  uint32_t rate = 0;
  uint32_t byteRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bits = 0;
  uint32_t riffSize = 0;
  uint32_t dataSize = 0;
  size_t dataOffset = 0;
  size_t fileSize = 0;
  Bytes data;
};
WavFile ParseWav(const Bytes& bytes);
// Reads the file (a UTF-8 name); not valid when it cannot be read.
WavFile ReadWav(const std::string& path);
