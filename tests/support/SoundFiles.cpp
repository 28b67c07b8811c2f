#include "SoundFiles.h"

#include "WavImages.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

void WriteToneWav(const std::string& path, double seconds, int amplitude) {
  const uint32_t rate = 22050, frames = static_cast<uint32_t>(seconds * rate);
  Bytes samples;
  samples.reserve(size_t{frames} * 4);
  for (uint32_t i = 0; i < frames; ++i) {
    const auto s = static_cast<uint16_t>(static_cast<int16_t>(amplitude * std::cos(i * 2 * M_PI * 440 / rate)));
    Append(samples, Le(s, 2));
    Append(samples, Le(s, 2));
  }
  const Bytes bytes = CanonicalWav(rate, 2, 16, samples);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

namespace {
bool Sh(const std::string& command) { return std::system(command.c_str()) == 0; }
}  // namespace

bool MakeMp3(const std::string& path, double seconds, const std::string& synth, const std::string& lameArgs, int rate,
             int channels) {
  const std::string wav = path + ".src.wav";
  const bool made = Sh("sox -R -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b 16 '" + wav +
                       "' synth " + std::to_string(seconds) + " " + synth + " vol 0.5 2>/dev/null") &&
                    Sh("lame --quiet " + lameArgs + " '" + wav + "' '" + path + "'");
  std::remove(wav.c_str());
  return made;
}

bool DecodeWithMpg123(const std::string& mp3, const std::string& wav) {
  return Sh("mpg123 -q -w '" + wav + "' '" + mp3 + "'");
}

bool RewriteAsWideWav(const std::string& path, const char* form) {
  std::string riff;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    riff.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(riff[at + i]);
    return v;
  };
  std::string out, chunks;
  auto put32 = [](std::string& to, uint32_t v) {
    for (int i = 0; i < 4; ++i) to.push_back(char(v >> (8 * i)));
  };
  auto put64 = [&](std::string& to, uint64_t v) {
    put32(to, static_cast<uint32_t>(v));
    put32(to, static_cast<uint32_t>(v >> 32));
  };
  int64_t dataSize = -1;
  for (size_t at = 12; at + 8 <= riff.size();) {
    const uint32_t size = u32(at + 4);
    const size_t next = std::min(riff.size(), at + 8 + size + (size & 1));
    if (riff.compare(at, 4, "data") == 0 && dataSize < 0) {
      dataSize = size;
      chunks += "data";
      put32(chunks, 0xFFFFFFFFu);
      chunks.append(riff, at + 8, next - at - 8);
    } else {
      chunks.append(riff, at, next - at);
    }
    at = next;
  }
  if (dataSize < 0) return false;
  out.append(form, 4);
  put32(out, 0xFFFFFFFFu);
  out += "WAVEds64";
  put32(out, 28);
  put64(out, 4 + 36 + chunks.size());
  put64(out, static_cast<uint64_t>(dataSize));
  put64(out, 0);
  put32(out, 0);
  out += chunks;
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(out.data(), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(f);
}
