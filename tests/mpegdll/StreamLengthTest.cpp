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

  // Decodes like the MP3 command: no error, the end flag set, and the WAV
  // byte for byte the one `mpg123 -w` writes.
  CommandRun expectDecodesLikeMpg123(const std::string& mp3) {
    const std::string out = dir / "out.wav";
    const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
    EXPECT_EQ(r.openError, 0);
    EXPECT_EQ(r.firstError, 0);
    EXPECT_TRUE(r.flagSet);
    const std::string reference = dir / "reference.wav";
    EXPECT_TRUE(RunShell("mpg123 -q -w '" + reference + "' '" + mp3 + "' 2>/dev/null; test -s '" + reference + "'"))
        << "mpg123 made no WAV";
    EXPECT_TRUE(ReadFile(out) == ReadFile(reference)) << "not mpg123's WAV";
    return r;
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

  const CommandRun r = expectDecodesLikeMpg123(mp3);
  EXPECT_EQ(r.lastPos, r.length);
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

namespace {

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

void PutLe32(std::vector<unsigned char>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// An APE tag footer whose size field points far outside the file.
std::vector<unsigned char> AbsurdApeFooter() {
  std::vector<unsigned char> b = Bytes("APETAGEX");
  PutLe32(b, 2000);
  PutLe32(b, 0x7FFFFFF0);  // the tag's size
  PutLe32(b, 5);
  PutLe32(b, 0x80000000);  // a header is said to exist
  b.resize(b.size() + 8, 0);
  return b;
}

std::vector<unsigned char> Id3v1() {
  std::vector<unsigned char> b = Bytes("TAG");
  b.resize(128, 0);
  return b;
}

// An ID3v2.3 tag of `bytes` of content (a large cover picture).
std::vector<unsigned char> Id3v2(uint32_t bytes) {
  std::vector<unsigned char> b = Bytes("ID3");
  b.insert(b.end(), {3, 0, 0});
  for (int shift : {21, 14, 7, 0}) b.push_back(static_cast<unsigned char>((bytes >> shift) & 0x7F));
  b.resize(b.size() + bytes, 0);
  return b;
}

struct TagCase {
  const char* name;
  std::vector<unsigned char> (*before)();
  std::vector<unsigned char> (*after)();
};

std::vector<unsigned char> Nothing() { return {}; }
std::vector<unsigned char> BigId3v2() { return Id3v2(1 << 20); }
std::vector<unsigned char> ApeAndId3v1() {
  std::vector<unsigned char> b = AbsurdApeFooter();
  const std::vector<unsigned char> v1 = Id3v1();
  b.insert(b.end(), v1.begin(), v1.end());
  return b;
}

class Tags : public StreamLength, public ::testing::WithParamInterface<TagCase> {};

// Tags are no sound, whatever their size fields say: the WAV is mpg123's, and
// the decode ends without an error.
TEST_P(Tags, DecodeLikeMpg123WithoutAnError) {
  const TagCase& c = GetParam();
  const std::string clean = MakeMp3(dir, "clean.mp3", 44100, 2, 2.0, "-b 128");
  ASSERT_FALSE(clean.empty());
  std::vector<unsigned char> bytes = c.before();
  const std::vector<unsigned char> audio = ReadFile(clean), tail = c.after();
  bytes.insert(bytes.end(), audio.begin(), audio.end());
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  const std::string mp3 = dir / "tagged.mp3";
  writeFile(mp3, bytes);

  expectDecodesLikeMpg123(mp3);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Tags,
                         ::testing::Values(TagCase{"AbsurdApeTag", Nothing, AbsurdApeFooter},
                                           TagCase{"AbsurdApeTagThenId3v1", Nothing, ApeAndId3v1},
                                           TagCase{"Id3v1", Nothing, Id3v1},
                                           TagCase{"Id3v2OfOneMebibyte", BigId3v2, Nothing}),
                         [](const auto& info) { return std::string(info.param.name); });

// A stretch of damage in the middle (a bad download) costs the frames it
// holds, not the rest of the stream.
TEST_F(StreamLength, DamageInTheMiddleIsPassedOver) {
  const std::string clean = MakeMp3(dir, "clean.mp3", 44100, 2, 20.0, "-b 128");
  ASSERT_FALSE(clean.empty());
  std::vector<unsigned char> bytes = ReadFile(clean);
  std::mt19937 random(3072);
  std::vector<unsigned char> damage(3 * 1024);
  for (unsigned char& b : damage) b = static_cast<unsigned char>(random());
  bytes.insert(bytes.begin() + static_cast<long>(bytes.size() / 2), damage.begin(), damage.end());
  const std::string mp3 = dir / "damaged.mp3";
  writeFile(mp3, bytes);

  const std::string out = dir / "out.wav";
  const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
  EXPECT_EQ(r.firstError, 0);
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  const double seconds = static_cast<double>(wav.data.size()) / 4 / 44100;
  EXPECT_GE(seconds, 19.0);
  EXPECT_LE(seconds, 20.5);
}

// A WAV named .mp3 (of a tone or of noise, where chance frame headers are
// likely) holds no MPEG audio: the input error at once, and no file made.
TEST_F(StreamLength, AWavNamedMp3IsAnInputErrorAndNothingIsWritten) {
  for (const char* synth : {"sine 440", "whitenoise"}) {
    const std::string wav = dir / "sound.wav";
    ASSERT_TRUE(RunShell("sox -n -r 44100 -c 2 -b 16 '" + wav + "' synth 5 " + synth + " 2>/dev/null"));
    const std::string mp3 = dir / "sound.mp3";
    ASSERT_EQ(std::rename(wav.c_str(), mp3.c_str()), 0);
    const std::string out = dir / "out.wav";
    const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
    EXPECT_EQ(std::max(r.openError, r.firstError), MPEGDLL_ERR_INPUT) << synth;
    EXPECT_FALSE(std::ifstream(out).good()) << synth;
  }
}

}  // namespace

namespace {

// A file cut short after its info frame (an interrupted download): the
// length is where the decoding really ends, not what the info frame counts.
TEST_F(StreamLength, AFileCutShortAfterItsInfoFrameEndsWhereItsLengthSays) {
  for (const char* lame : {"-b 128", "-V 2"}) {
    const std::string whole = MakeMp3(dir, "whole.mp3", 44100, 2, 10.0, lame);
    ASSERT_FALSE(whole.empty());
    std::vector<unsigned char> bytes = ReadFile(whole);
    bytes.resize(bytes.size() * 4 / 10);
    const std::string cut = dir / "cut.mp3";
    writeFile(cut, bytes);
    SCOPED_TRACE(lame);
    expectLengthIsWhereDecodingEnds(cut, 44100);
  }
}

// Parts of two rates joined into one file (`cat a.mp3 b.mp3`): the WAV keeps
// the first part's rate and lasts as long as both parts, the second part
// resampled rather than played at the wrong speed; the length told at "Open"
// is where the decoding ends.
TEST_F(StreamLength, PartsOfTwoRatesJoinedKeepTheFirstRateAndTheirDuration) {
  const std::string first = MakeMp3(dir, "a.mp3", 44100, 2, 4.0, "-b 128");
  const std::string second = MakeMp3(dir, "b.mp3", 22050, 2, 3.0, "-b 64");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  std::vector<unsigned char> bytes = ReadFile(first);
  const std::vector<unsigned char> more = ReadFile(second);
  bytes.insert(bytes.end(), more.begin(), more.end());
  const std::string joined = dir / "joined.mp3";
  writeFile(joined, bytes);

  expectLengthIsWhereDecodingEnds(joined, 44100);
  const WavFile wav = ReadWav(dir / "out.wav");
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.rate, 44100u);
  // Each part carries an encoder's delay and padding of a few frames.
  EXPECT_NEAR(static_cast<double>(wav.data.size()) / 4 / 44100, 7.0, 0.1);
}

}  // namespace
