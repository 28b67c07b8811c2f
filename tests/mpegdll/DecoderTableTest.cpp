// The decoder library through its entries, in both builds: MP3s as real
// encoders make them decoded by the PCM-file device the way the MP3-to-WAV
// command drives it and compared with mpg123's decoding of the same file,
// and the entries' state rules.
//
// Linux decodes with libmpg123, mpg123's own decoder: the samples are
// mpg123's. Windows decodes with the system's codec: the same number of
// samples to within one frame, and the same sound to within a small
// difference once aligned (the decoders round differently).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "DecoderLibrary.h"

#ifndef VANTREL_DECODES_LIKE_MPG123
#error "the build says whether the library decodes with libmpg123"
#endif

namespace {

constexpr bool kDecodesLikeMpg123 = VANTREL_DECODES_LIKE_MPG123 != 0;

using Entries = DecoderLibraryTest;

void WaitForFlag(const uint8_t& flag) {
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
}

int16_t SampleAt(const std::vector<unsigned char>& pcm, size_t i) {
  return static_cast<int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8);
}

// Largest difference between two runs of 16-bit samples of equal length.
int LargestDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  int largest = 0;
  for (size_t i = 0; 2 * i + 1 < a.size() && 2 * i + 1 < b.size(); ++i)
    largest = std::max(largest, std::abs(SampleAt(a, i) - SampleAt(b, i)));
  return largest;
}

// The root mean square of (a - b) where b is moved by `shift` stereo frames,
// over what both hold, relative to the root mean square of b.
double RelativeDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, long shift) {
  const long samplesA = static_cast<long>(a.size() / 2);
  const long samplesB = static_cast<long>(b.size() / 2);
  double diff = 0;
  double level = 0;
  for (long i = std::max(0L, -2 * shift); i < samplesA && i + 2 * shift < samplesB; ++i) {
    const double x = SampleAt(a, static_cast<size_t>(i));
    const double y = SampleAt(b, static_cast<size_t>(i + 2 * shift));
    diff += (x - y) * (x - y);
    level += y * y;
  }
  return level > 0 ? std::sqrt(diff / level) : 1.0;
}

// The decoded sound against mpg123's: byte for byte (or within one step for
// streams that mpg123's own player rounds differently) when the library
// decodes like mpg123; else the same length to within one frame and, at the
// best alignment within a frame, every frame within 2 % of its level but
// `damagedFrames` (where damage leaves each decoder to make what it can of
// the frames around it).
void ExpectSameSound(const std::vector<unsigned char>& got, const std::vector<unsigned char>& expected,
                     int frameSamples, bool exact, int damagedFrames = 0) {
  if (kDecodesLikeMpg123) {
    ASSERT_EQ(got.size(), expected.size());
    if (exact)
      EXPECT_TRUE(got == expected) << "samples differ from mpg123's";
    else
      EXPECT_LE(LargestDifference(got, expected), 1);
    return;
  }
  const long frames = static_cast<long>(got.size() / 4);
  const long expectedFrames = static_cast<long>(expected.size() / 4);
  EXPECT_LE(std::abs(frames - expectedFrames), frameSamples) << frames << " samples, mpg123 " << expectedFrames;
  double best = 1e9;
  long bestShift = 0;
  for (long shift = -frameSamples; shift <= frameSamples; ++shift) {
    const double d = RelativeDifference(got, expected, shift);
    if (d < best) {
      best = d;
      bestShift = shift;
    }
  }
  int differing = 0;
  const size_t block = static_cast<size_t>(frameSamples) * 4;
  for (size_t at = 0; at + block <= got.size(); at += block) {
    const std::vector<unsigned char> part(got.begin() + static_cast<long>(at), got.begin() + static_cast<long>(at + block));
    const long from = static_cast<long>(at / 4) + bestShift;
    if (from < 0 || static_cast<size_t>(from) * 4 + block > expected.size()) continue;
    const std::vector<unsigned char> theirs(expected.begin() + from * 4, expected.begin() + from * 4 + static_cast<long>(block));
    if (RelativeDifference(part, theirs, 0) >= 0.02) ++differing;
  }
  EXPECT_LE(differing, damagedFrames) << "frames not the same sound as mpg123's (in all " << best << ")";
}

struct Mp3Kind {
  const char* name;
  int channels;
  int frameSamples;
  // mpg123's own player rounds a few samples of MPEG-2 streams differently
  // (by one step); our samples must then be within that step.
  bool exact;
  // Frames around damage, which another decoder may make other sound of.
  int damagedFrames = 0;
};

void PrintTo(const Mp3Kind& kind, std::ostream* os) { *os << kind.name; }

class Mp3Table : public Entries, public ::testing::WithParamInterface<Mp3Kind> {};

TEST_P(Mp3Table, DecodesIntoACanonicalWavOfMpg123sSound) {
  const Mp3Kind kind = GetParam();
  const std::string mp3 = CopyOfTableMp3(dir, kind.name);
  ASSERT_FALSE(mp3.empty()) << "no " << kind.name << " in the MP3 table";
  const WavFile reference = TableReference(kind.name);
  ASSERT_TRUE(reference.valid);
  ASSERT_EQ(reference.bits, 16);
  ASSERT_EQ(reference.channels, kind.channels);
  const std::string out = dir / "out.wav";

  const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
  ASSERT_EQ(r.openError, 0);
  ASSERT_EQ(r.playResult, 0);
  ASSERT_EQ(r.firstError, 0);
  EXPECT_TRUE(r.flagSet);
  // The length given at the start is where the decoding ends.
  const int32_t frameMs = static_cast<int32_t>(1000 * kind.frameSamples / reference.rate) + 1;
  EXPECT_NEAR(r.lastPos, r.length, kDecodesLikeMpg123 ? 0 : frameMs);

  const std::vector<unsigned char> bytes = ReadFile(out);
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.dataOffset, 44u);
  EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "fmt ");
  EXPECT_EQ(wav.format, 1);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.rate, reference.rate);
  EXPECT_EQ(wav.byteRate, reference.rate * 4);
  EXPECT_EQ(wav.blockAlign, 4);
  EXPECT_EQ(wav.bits, 16);
  EXPECT_EQ(wav.riffSize, bytes.size() - 8);
  EXPECT_EQ(wav.dataSize, bytes.size() - 44);
  const int64_t lengthSamples = static_cast<int64_t>(r.length) * reference.rate / 1000;
  EXPECT_NEAR(static_cast<double>(wav.data.size() / 4), static_cast<double>(lengthSamples),
              reference.rate / 1000.0 + (kDecodesLikeMpg123 ? 0 : kind.frameSamples));

  const std::vector<unsigned char> expected = kind.channels == 1 ? Doubled(reference.data) : reference.data;
  ExpectSameSound(wav.data, expected, kind.frameSamples, kind.exact, kind.damagedFrames);
}

INSTANTIATE_TEST_SUITE_P(Encoders, Mp3Table,
                         ::testing::Values(Mp3Kind{"Stereo44100Cbr128", 2, 1152, true},
                                           Mp3Kind{"Stereo44100Vbr", 2, 1152, true},
                                           Mp3Kind{"Mono44100", 1, 1152, true},
                                           Mp3Kind{"Stereo22050Mpeg2", 2, 576, false},
                                           Mp3Kind{"Mono11025Mpeg25", 1, 576, false},
                                           Mp3Kind{"NoInfoFrame", 2, 1152, true},
                                           Mp3Kind{"Id3v2Tag", 2, 1152, true},
                                           Mp3Kind{"Id3v1Tag", 2, 1152, true},
                                           Mp3Kind{"DataAfterTheEnd", 2, 1152, true},
                                           Mp3Kind{"DamagedMiddle", 2, 1152, true, 4},
                                           Mp3Kind{"CutShort", 2, 1152, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// What holds no MPEG audio is refused at "Open" with the input error, and
// the WAV's name is never made.
TEST_F(Entries, AWavNamedMp3AndRandomBytesAreInputErrorsAndNothingIsWritten) {
  for (const char* name : {"WavNamedMp3", "RandomBytes"}) {
    const std::string mp3 = CopyOfTableMp3(dir, name);
    ASSERT_FALSE(mp3.empty()) << name;
    const std::string out = dir / "out.wav";
    const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
    EXPECT_EQ(r.openError, MPEGDLL_ERR_INPUT) << name;
    EXPECT_FALSE(std::ifstream(out).good()) << name;
  }
}

TEST_F(Entries, RangePlaysExactlyThoseSamplesOfTheStream) {
  const std::string mp3 = CopyOfTableMp3(dir, "Stereo44100Cbr128");
  ASSERT_FALSE(mp3.empty());
  const WavFile full = TableReference("Stereo44100Cbr128");
  ASSERT_TRUE(full.valid);

  const std::string out = dir / "range.wav";
  lib.OpenFile(mp3);
  ASSERT_EQ(lib.LastError(), 0);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(500, 1500, &flag), 0);
  WaitForFlag(flag);
  EXPECT_TRUE(lib.ResetPlayerMode());
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.GetCurrentPos(), 1500);
  lib.Close();

  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  ASSERT_EQ(wav.data.size(), 44100u * 4);
  const std::vector<unsigned char> slice(full.data.begin() + 22050 * 4, full.data.begin() + 66150 * 4);
  if (kDecodesLikeMpg123)
    EXPECT_TRUE(wav.data == slice) << "the range is not the same samples as in the whole stream";
  else
    ExpectSameSound(wav.data, slice, 1152, true);
}

TEST_F(Entries, ReplacesALongerOldFileWhole) {
  const std::string mp3 = CopyOfTableMp3(dir, "Short44100");
  ASSERT_FALSE(mp3.empty());
  const std::string out = dir / "old.wav";
  const std::vector<unsigned char> old(3 << 20, 0x5a);
  ASSERT_TRUE(WriteBytes(out, old));

  const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
  ASSERT_EQ(r.firstError, 0);
  EXPECT_TRUE(r.flagSet);
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.fileSize, 44u + wav.dataSize) << "old bytes left behind the new ones";
  const WavFile reference = TableReference("Short44100");
  ASSERT_TRUE(reference.valid);
  ExpectSameSound(wav.data, reference.data, 1152, true);
}

TEST_F(Entries, StartPastTheEndEndsAtOnceWithAnEmptyWavAndAPosition) {
  const std::string mp3 = CopyOfTableMp3(dir, "Short44100");
  ASSERT_FALSE(mp3.empty());
  const std::string out = dir / "none.wav";
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(10000, 0, &flag), 0);
  WaitForFlag(flag);
  EXPECT_TRUE(lib.ResetPlayerMode());
  EXPECT_NE(lib.GetCurrentPos(), -1);
  lib.Close();
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.dataSize, 0u);
  EXPECT_EQ(wav.fileSize, 44u);
}

TEST_F(Entries, RestartWritesTheWholeFileAgain) {
  const std::string mp3 = CopyOfTableMp3(dir, "Short44100");
  ASSERT_FALSE(mp3.empty());
  const std::string out = dir / "again.wav";
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  WaitForFlag(flag);
  ASSERT_TRUE(lib.ResetPlayerMode());
  const std::vector<unsigned char> first = ReadFile(out);
  ASSERT_GT(first.size(), 44u);
  ASSERT_TRUE(std::remove(out.c_str()) == 0);

  flag = 0;
  lib.Restart();
  ASSERT_EQ(lib.LastError(), 0);
  WaitForFlag(flag);
  EXPECT_TRUE(lib.ResetPlayerMode());
  lib.Close();
  EXPECT_TRUE(ReadFile(out) == first);
}

TEST_F(Entries, InfoEntriesDescribeTheOpenStream) {
  const std::string mp3 = CopyOfTableMp3(dir, "ShortMono96");
  ASSERT_FALSE(mp3.empty());
  EXPECT_EQ(lib.GetFrequency(), 0);
  lib.OpenFile(mp3);
  EXPECT_EQ(lib.GetFrequency(), 44100);
  EXPECT_EQ(lib.GetBitrate(), 96);
  EXPECT_EQ(lib.GetStereoMode(), 3);  // mono
  EXPECT_EQ(lib.GetLayer(), 3);
  EXPECT_EQ(lib.LastError(), 0);
  lib.Close();
}

TEST_F(Entries, MissingOrEmptyInputIsAnInputStreamErrorAtOpen) {
  const std::string empty = dir / "empty.mp3";
  { std::ofstream touch(empty); }
  for (const std::string& name : {empty, dir / "missing.mp3", dir.Path(), std::string()}) {
    lib.OpenFile(name);
    EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_INPUT) << name;
    EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_CLOSED);
    uint8_t flag = 0;
    EXPECT_NE(lib.Play(0, 0, &flag), 0);
    EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
    EXPECT_EQ(flag, 0);
  }
}

TEST_F(Entries, OutputThatCannotBeCreatedIsAnOutputDeviceFailureAtPlay) {
  const std::string mp3 = CopyOfTableMp3(dir, "Short44100");
  ASSERT_FALSE(mp3.empty());
  ASSERT_TRUE(std::filesystem::create_directory(dir / "folder"));
  for (const std::string& out : {dir / "no-such-folder/out.wav", dir / "folder", std::string()}) {
    lib.OpenFile(mp3);
    ASSERT_EQ(lib.LastError(), 0);
    lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
    uint8_t flag = 0;
    EXPECT_NE(lib.Play(0, 0, &flag), 0) << out;
    EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT) << out;
    EXPECT_EQ(flag, 0) << "no playback, no end";
    EXPECT_EQ(lib.GetCurrentPos(), -1);
    EXPECT_NE(lib.GetPlayerMode(), MPEGDLL_MODE_PLAYING);
    lib.Close();
  }
}

TEST_F(Entries, UnknownOutputDeviceCodeIsRefused) {
  lib.SetOutputDevice(1, "x.wav");
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, "x.wav");
  EXPECT_EQ(lib.LastError(), 0);
}

TEST_F(Entries, EntriesWithoutAStreamAreModeErrorsOrHarmless) {
  uint8_t flag = 0;
  EXPECT_NE(lib.Play(0, 0, &flag), 0);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Pause(0);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Stop();
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Restart();
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Seek(100);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Close();
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.ResetPlayerMode(), 1);
  EXPECT_EQ(lib.GetCurrentPos(), -1);
  EXPECT_EQ(lib.GetLength(), 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_CLOSED);
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(flag, 0);
}

TEST_F(Entries, BadRangesAreModeErrors) {
  const std::string mp3 = CopyOfTableMp3(dir, "Short44100");
  ASSERT_FALSE(mp3.empty());
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (dir / "out.wav").c_str());
  uint8_t flag = 0;
  for (auto range : {std::pair<int32_t, int32_t>{-1, 0}, {500, 500}, {800, 200}}) {
    EXPECT_NE(lib.Play(range.first, range.second, &flag), 0);
    EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
    EXPECT_EQ(lib.GetCurrentPos(), -1);
  }
  lib.Close();
}

// Pause holds a decode into a file, Seek moves it, Stop ends it early with a
// valid WAV of what was decoded, and the modes follow.
TEST_F(Entries, PauseSeekAndStopFollowTheModes) {
  const std::string mp3 = CopyOfTableMp3(dir, "Stereo44100Cbr128");
  ASSERT_FALSE(mp3.empty());
  const std::string out = dir / "stopped.wav";
  lib.OpenFile(mp3);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_STOPPED);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  lib.Pause(0);
  EXPECT_EQ(lib.LastError(), 0);
  if (flag == 0) {
    EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_PAUSED);
    lib.Seek(2000);
    EXPECT_EQ(lib.LastError(), 0);
    lib.Pause(1);
    EXPECT_EQ(lib.LastError(), 0);
  }
  lib.Stop();
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_STOPPED);
  EXPECT_EQ(flag, 1);
  EXPECT_TRUE(ReadWav(out).valid);
  lib.Close();
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_CLOSED);
}

TEST(DecoderLifetime, EntriesBeforeInitAndAfterDeinitDoNothing) {
  DecoderLibrary lib;
  ASSERT_TRUE(lib.Loaded());
  uint8_t flag = 0;
  EXPECT_NE(lib.Play(0, 0, &flag), 0);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  EXPECT_EQ(lib.GetCurrentPos(), -1);
  lib.Close();
  ASSERT_EQ(lib.init(), 1);
  EXPECT_EQ(lib.init(), 1);
  lib.Close();
  EXPECT_EQ(lib.LastError(), 0);
  lib.deinit();
  lib.deinit();
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  EXPECT_EQ(flag, 0);
}

TEST(DecoderLifetime, DeinitWhilePlayingEndsThePlaybackAndFreesAll) {
  DecoderLibrary lib;
  TempDir dir;
  ASSERT_TRUE(lib.Loaded());
  const std::string mp3 = CopyOfTableMp3(dir, "Stereo44100Cbr128");
  ASSERT_FALSE(mp3.empty());
  ASSERT_EQ(lib.init(), 1);
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (dir / "out.wav").c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  lib.Pause(0);
  lib.deinit();
  EXPECT_EQ(flag, 1);
  EXPECT_TRUE(ReadWav(dir / "out.wav").valid);
}

}  // namespace
