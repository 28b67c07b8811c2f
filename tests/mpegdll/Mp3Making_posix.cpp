// MP3 data made at test time with sox and lame, and mpg123's decoding of it.

#include <cstdlib>

#include "DecoderLibrary.h"
#include "SoundFiles.h"

bool RunShell(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string MakeMp3(const TempDir& dir, const std::string& name, int rate, int channels, double seconds,
                    const std::string& lameArgs) {
  const std::string mp3 = dir / name;
  const char* tones = channels == 2 ? "sine 440 pinknoise" : "sine 440";
  return MakeMp3(mp3, seconds, tones, lameArgs, rate, channels) ? mp3 : std::string();
}

WavFile ReferenceDecode(const TempDir& dir, const std::string& mp3) {
  const std::string out = dir / "reference.wav";
  if (!DecodeWithMpg123(mp3, out)) return {};
  return ReadWav(out);
}

