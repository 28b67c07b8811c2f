// MP3 files as they come: without an encoder's info frame, with a corrupted
// one, and with data after the last frame. The length that "GetLength"
// reports must be where the decoding ends, and data that is not audio after
// the last frame must end the stream as it ends it for mpg123.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "DecoderLibrary.h"

namespace {

class StreamLength : public DecoderLibraryTest {
 protected:
  void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  }

  // Decodes like the MP3 command and checks that the length told at "Open"
  // is where the decoding ended, within one MPEG frame, and that the file
  // holds that much sound.
  void expectLengthIsWhereDecodingEnds(const std::string& mp3, int rate) {
    const std::string out = dir / "out.wav";
    const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
    ASSERT_EQ(r.openError, 0);
    ASSERT_EQ(r.firstError, 0);
    ASSERT_TRUE(r.flagSet);
    const int frameMs = (rate < 32000 ? 576 : 1152) * 1000 / rate + 1;
    EXPECT_NEAR(r.length, r.lastPos, frameMs);
    const WavFile wav = ReadWav(out);
    ASSERT_TRUE(wav.valid);
    EXPECT_NEAR(static_cast<double>(wav.data.size()) / 4 * 1000 / rate, r.lastPos, 1);
  }
};

struct EncodingCase {
  const char* name;
  int rate;
  int channels;
  double seconds;
  const char* lameArgs;
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

class ExactLength : public StreamLength, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(ExactLength, LengthAtOpenIsWhereTheDecodingEnds) {
  const EncodingCase& c = GetParam();
  const std::string mp3 = MakeMp3(dir, "in.mp3", c.rate, c.channels, c.seconds, c.lameArgs);
  ASSERT_FALSE(mp3.empty());
  expectLengthIsWhereDecodingEnds(mp3, c.rate);
}

// `lame -t` writes no info frame: the decoder alone would guess the length
// from the first frames. The ten-minute stream is small (8 kHz mono) so it
// encodes quickly, and long enough that a guess would be far off.
INSTANTIATE_TEST_SUITE_P(Encodings, ExactLength,
                         ::testing::Values(EncodingCase{"CbrWithoutInfoFrame", 44100, 2, 3.0, "-t -b 128"},
                                           EncodingCase{"VbrWithoutInfoFrame", 44100, 2, 3.0, "-t -V 2"},
                                           EncodingCase{"TenMinutesVbrWithoutInfoFrame", 8000, 1, 600.0, "-t -V 9"},
                                           EncodingCase{"VbrWithInfoFrame", 44100, 2, 3.0, "-V 2"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StreamLength, CorruptedFrameCountOfTheInfoFrameIsNotBelieved) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 3.0, "-V 2");
  ASSERT_FALSE(mp3.empty());
  std::vector<unsigned char> bytes = ReadFile(mp3);
  const std::string tag = "Xing";
  const auto at = std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end());
  ASSERT_NE(at, bytes.end()) << "lame wrote no info frame";
  ASSERT_TRUE(at[7] & 1) << "the info frame has no frame count";
  for (int i = 8; i < 12; ++i) at[i] = i == 8 ? 0x7f : 0xff;
  const std::string corrupted = dir / "corrupted.mp3";
  writeFile(corrupted, bytes);

  expectLengthIsWhereDecodingEnds(corrupted, 44100);
  lib.OpenFile(corrupted);
  EXPECT_NEAR(lib.GetLength(), 3000, 100);
  lib.Close();
}

struct TrailerCase {
  const char* name;
  size_t bytes;
  bool random;
};

void PrintTo(const TrailerCase& c, std::ostream* os) { *os << c.name; }

class TrailingData : public StreamLength, public ::testing::WithParamInterface<TrailerCase> {};

TEST_P(TrailingData, EndsTheStreamLikeMpg123) {
  const TrailerCase& c = GetParam();
  const std::string clean = MakeMp3(dir, "clean.mp3", 44100, 2, 2.0, "-V 2");
  ASSERT_FALSE(clean.empty());
  std::vector<unsigned char> bytes = ReadFile(clean);
  // Random bytes can hold what passes for a frame, which mpg123 and the
  // library then decode as sound; this seed gives none.
  std::mt19937 random(static_cast<unsigned>(c.bytes));
  for (size_t i = 0; i < c.bytes; ++i) bytes.push_back(c.random ? static_cast<unsigned char>(random()) : 0);
  const std::string mp3 = dir / "trailer.mp3";
  writeFile(mp3, bytes);

  const std::string out = dir / "out.wav";
  const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
  EXPECT_EQ(r.openError, 0);
  EXPECT_EQ(r.firstError, 0);
  EXPECT_TRUE(r.flagSet);
  EXPECT_EQ(r.lastPos, r.length);
  const std::string reference = dir / "reference.wav";
  ASSERT_TRUE(RunShell("mpg123 -q -w '" + reference + "' '" + mp3 + "' 2>/dev/null; test -s '" + reference + "'"));
  EXPECT_TRUE(ReadFile(out) == ReadFile(reference)) << "not mpg123's WAV";
}

INSTANTIATE_TEST_SUITE_P(Trailers, TrailingData,
                         ::testing::Values(TrailerCase{"Zeros1100", 1100, false}, TrailerCase{"Zeros5000", 5000, false},
                                           TrailerCase{"Zeros50000", 50000, false},
                                           TrailerCase{"RandomBytes3000", 3000, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StreamLength, RandomBytesWithoutAnyFrameFailAtOpen) {
  std::mt19937 random(20240611);
  std::vector<unsigned char> noise(64 * 1024);
  for (unsigned char& b : noise) b = static_cast<unsigned char>(random());
  const std::string junk = dir / "junk.mp3";
  writeFile(junk, noise);
  lib.OpenFile(junk);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_INPUT);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_CLOSED);
}

}  // namespace
