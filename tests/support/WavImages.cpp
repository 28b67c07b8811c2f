#include "WavImages.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes Le(uint32_t value, int bytes) {
  Bytes out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
  return out;
}

Bytes Le64(uint64_t value) {
  Bytes out = Le(static_cast<uint32_t>(value), 4);
  Append(out, Le(static_cast<uint32_t>(value >> 32), 4));
  return out;
}

Bytes Text(const char* text, size_t size) { return Bytes(text, text + size); }

Bytes Chunk(const char* id, const Bytes& content, uint32_t declared) {
  Bytes out = Text(id, 4);
  Append(out, Le(declared, 4));
  Append(out, content);
  if (content.size() % 2 != 0) out.push_back(0);
  return out;
}

Bytes Chunk(const char* id, const Bytes& content) { return Chunk(id, content, static_cast<uint32_t>(content.size())); }

Bytes UnpaddedChunk(const char* id, const Bytes& content) {
  Bytes out = Text(id, 4);
  Append(out, Le(static_cast<uint32_t>(content.size()), 4));
  Append(out, content);
  return out;
}

Bytes Riff(const std::vector<Bytes>& chunks) {
  Bytes body = Text("WAVE", 4);
  for (const Bytes& c : chunks) Append(body, c);
  Bytes out = Text("RIFF", 4);
  Append(out, Le(static_cast<uint32_t>(body.size()), 4));
  Append(out, body);
  return out;
}

Bytes FmtContent(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& extra) {
  // 16 bits, as the chunk holds it, also for absurd channel counts.
  const uint16_t blockAlign = static_cast<uint16_t>(channels * ((bits + 7u) / 8u));
  Bytes out = Le(tag, 2);
  Append(out, Le(channels, 2));
  Append(out, Le(rate, 4));
  Append(out, Le(static_cast<uint32_t>(uint64_t{rate} * blockAlign), 4));
  Append(out, Le(blockAlign, 2));
  Append(out, Le(bits, 2));
  Append(out, extra);
  return out;
}

Bytes CanonicalWav(uint32_t rate, uint16_t channels, uint16_t bits, const Bytes& data) {
  // The header as "data" of no size, then its sizes set: the data, however
  // large, is copied in once, never appended chunk by chunk.
  Bytes out = Riff({Chunk("fmt ", FmtContent(1, channels, rate, bits)), UnpaddedChunk("data", {})});
  const Bytes riffSize = Le(static_cast<uint32_t>(36 + data.size()), 4);
  const Bytes dataSize = Le(static_cast<uint32_t>(data.size()), 4);
  std::copy(riffSize.begin(), riffSize.end(), out.begin() + 4);
  std::copy(dataSize.begin(), dataSize.end(), out.begin() + 40);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

namespace {
uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
}  // namespace

WavFile ParseWav(const Bytes& bytes) {
  WavFile w;
  w.fileSize = bytes.size();
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
    return w;
  w.riffSize = Le32(&bytes[4]);
  bool haveFmt = false;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const uint32_t size = Le32(&bytes[at + 4]);
    const size_t body = at + 8;
    if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16 && body + 16 <= bytes.size()) {
      w.format = Le16(&bytes[body]);
      w.channels = Le16(&bytes[body + 2]);
      w.rate = Le32(&bytes[body + 4]);
      w.byteRate = Le32(&bytes[body + 8]);
      w.blockAlign = Le16(&bytes[body + 12]);
      w.bits = Le16(&bytes[body + 14]);
      haveFmt = true;
    } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
      w.dataSize = size;
      w.dataOffset = body;
      if (body + size > bytes.size()) return w;
      w.data.assign(bytes.begin() + static_cast<long>(body), bytes.begin() + static_cast<long>(body + size));
      w.valid = haveFmt;
      return w;
    }
    at = body + size + (size & 1);
  }
  return w;
}

WavFile ReadWav(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  return ParseWav(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}
