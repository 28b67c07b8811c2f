#include "SoundFiles.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

void WriteToneWav(const std::string& path, double seconds, int amplitude) {
  const uint32_t rate = 22050, frames = static_cast<uint32_t>(seconds * rate);
  const uint32_t dataBytes = frames * 4;
  std::vector<char> bytes;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(char(v >> (8 * i)));
  };
  auto put16 = [&](uint16_t v) {
    for (int i = 0; i < 2; ++i) bytes.push_back(char(v >> (8 * i)));
  };
  auto tag = [&](const char* t) { bytes.insert(bytes.end(), t, t + 4); };
  tag("RIFF");
  put32(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  put32(16);
  put16(1);
  put16(2);
  put32(rate);
  put32(rate * 4);
  put16(4);
  put16(16);
  tag("data");
  put32(dataBytes);
  for (uint32_t i = 0; i < frames; ++i) {
    const auto s = static_cast<int16_t>(amplitude * std::cos(i * 2 * M_PI * 440 / rate));
    put16(uint16_t(s));
    put16(uint16_t(s));
  }
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
