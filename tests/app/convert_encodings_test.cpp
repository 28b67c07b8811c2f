// WAVs of every encoding the tools write, made by sox in the test from one
// known sound, through the whole command: the game file is the sound as 16-bit
// PCM, as sox itself decodes the same WAV without dither (halved at 44100 Hz,
// every other frame), with the recording's number of frames. A WAV whose
// encoding nothing decodes is refused and nothing is written.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "GameSoundConversion.h"
#include "SoundFiles.h"
#include "convert_support.h"

namespace {

// The known sound: one second of two tones, stereo at 44100 Hz; and for GSM
// 6.10, which a WAV holds only in that form, one tone, mono at 8000 Hz.
constexpr int kStereoFrames = 44100;
constexpr int kMonoFrames = 8000;

bool Sh(const std::string& command) { return std::system(command.c_str()) == 0; }

enum class Wrap { None, Rf64, Bw64 };

struct EncodingCase {
  const char* name;
  const char* soxEncoding;  // sox's output options for the WAV
  bool mono8k;
  Wrap wrap;
  // Exact codecs: the largest difference to sox's decoding, in 16-bit steps.
  // Lossy ones: the largest RMS difference, in steps.
  int maxDifference;
  double maxRms;
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

const EncodingCase kEncodings[] = {
    {"Pcm16", "-e signed-integer -b 16", false, Wrap::None, 0, 0},
    {"Unsigned8", "-e unsigned-integer -b 8", false, Wrap::None, 0, 0},
    {"Signed24", "-e signed-integer -b 24", false, Wrap::None, 0, 0},
    {"Signed32", "-e signed-integer -b 32", false, Wrap::None, 1, 0},
    {"Float32", "-e floating-point -b 32", false, Wrap::None, 1, 0},
    {"Float64", "-e floating-point -b 64", false, Wrap::None, 1, 0},
    {"ALaw", "-e a-law", false, Wrap::None, 1, 0},
    {"MuLaw", "-e u-law", false, Wrap::None, 1, 0},
    {"ImaAdpcm", "-e ima-adpcm", false, Wrap::None, -1, 8},
    {"MsAdpcm", "-e ms-adpcm", false, Wrap::None, -1, 8},
    {"Gsm610Mono8000", "-e gsm-full-rate", true, Wrap::None, -1, 8},
    {"Float32InBw64", "-e floating-point -b 32", false, Wrap::Bw64, 1, 0},
    {"Signed24InRf64", "-e signed-integer -b 24", false, Wrap::Rf64, 0, 0},
    {"ALawInRf64", "-e a-law", false, Wrap::Rf64, 1, 0},
};

// One conversion into a new game file, with a temporary folder of its own.
struct Outcome {
  bool gameWritten = false;
  Bytes game;
  std::vector<std::string> plain;
  std::vector<std::string> status;
  size_t confirmations = 0;
  std::vector<std::string> leftInTmp;
};

class Encodings : public ::testing::TestWithParam<EncodingCase> {
 protected:
  Outcome Convert(const std::string& wav, const Bytes* oldGame = nullptr) {
    const std::string tmp = dir / "tmp/";
    EXPECT_EQ(mkdir(tmp.c_str(), 0755), 0);
    const ScopedEnvironment tmpDir("TMPDIR", tmp);
    const std::string game = dir / "bsound1.16";
    if (oldGame) WriteFile(game, *oldGame);
    FakeFileDialog open, save;
    FakeMessages messages;
    FakeStatusLine status;
    FakeGauge gauge;
    bool halved = false;
    open.choice = wav;
    save.choice = game;
    TGameSoundConversion({open, save, messages, status, gauge, nullptr}, dir.Path(), dir.Path(), halved).Run();
    Outcome o;
    o.gameWritten = Exists(game) && (!oldGame || ReadFile(game) != *oldGame);
    if (Exists(game)) o.game = ReadFile(game);
    o.plain = messages.plain;
    o.status = status.events;
    o.confirmations = messages.confirmations.size();
    o.leftInTmp = FolderEntries(tmp);
    return o;
  }

  TempDir dir;
};

std::vector<int16_t> Samples(const Bytes& raw) {
  std::vector<int16_t> out(raw.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
  return out;
}

TEST_P(Encodings, GameFileIsSoxsOwnDecodingAs16BitPcm) {
  const EncodingCase& c = GetParam();
  const std::string wav = dir / "sound.wav";
  // Written by sox straight from its synthesis, so that the wider encodings
  // hold more than 16 bits of every sample.
  const std::string sound =
      c.mono8k ? "-r 8000 -c 1 " + std::string(c.soxEncoding) + " '" + wav + "' synth 1 sine 440"
               : "-r 44100 -c 2 " + std::string(c.soxEncoding) + " '" + wav + "' synth 1 sine 440 sine 660";
  ASSERT_TRUE(Sh("sox -R -D -n " + sound + " vol 0.5"));
  // sox's own reading of what it wrote, before any wrapping: 16-bit, no dither.
  const std::string reference = dir / "reference.raw";
  ASSERT_TRUE(Sh("sox -D '" + wav + "' -t raw -e signed-integer -b 16 -L '" + reference + "'"));
  if (c.wrap != Wrap::None) {
    ASSERT_TRUE(RewriteAsWideWav(wav, c.wrap == Wrap::Rf64 ? "RF64" : "BW64"));
  }

  const Outcome o = Convert(wav);
  ASSERT_TRUE(o.gameWritten);
  EXPECT_TRUE(o.plain.empty());
  ASSERT_FALSE(o.status.empty());
  EXPECT_EQ(o.status.back(), "That's right");
  EXPECT_EQ(o.confirmations, c.mono8k ? 1u : 0u) << "only 8000 Hz asks about its rate";
  EXPECT_TRUE(o.leftInTmp.empty()) << "the decoded and the halved file are gone";

  const int channels = c.mono8k ? 1 : 2;
  const std::vector<int16_t> ref = Samples(ReadFile(reference));
  // 44100 Hz is halved: frames 1, 3, 5 ... of sox's decoding.
  std::vector<int16_t> expected;
  const size_t recorded = c.mono8k ? kMonoFrames : kStereoFrames;
  ASSERT_GE(ref.size(), recorded * channels);
  for (size_t f = c.mono8k ? 0 : 1; f < recorded; f += c.mono8k ? 1 : 2)
    for (int ch = 0; ch < channels; ++ch) expected.push_back(ref[f * channels + ch]);
  const std::vector<int16_t> got = Samples(o.game);
  ASSERT_EQ(o.game.size() % 2, 0u);
  ASSERT_EQ(got.size(), expected.size()) << "frames: " << got.size() / channels << " for "
                                         << expected.size() / channels;
  int worst = 0;
  double squares = 0;
  double signal = 0;
  for (size_t i = 0; i < got.size(); ++i) {
    const int d = std::abs(int{got[i]} - int{expected[i]});
    worst = std::max(worst, d);
    squares += double(d) * d;
    signal += double(expected[i]) * expected[i];
  }
  const double rms = std::sqrt(squares / got.size());
  ASSERT_GT(std::sqrt(signal / got.size()), 8000.0) << "the known sound is loud";
  if (c.maxDifference >= 0) {
    EXPECT_LE(worst, c.maxDifference);
  } else {
    EXPECT_LE(rms, c.maxRms) << "largest difference " << worst;
  }
}

INSTANTIATE_TEST_SUITE_P(Sox, Encodings, ::testing::ValuesIn(kEncodings),
                         [](const ::testing::TestParamInfo<EncodingCase>& info) {
                           return std::string(info.param.name);
                         });

// A WAV whose sound no decoder reads: MPEG audio inside a
// WAV (format tag 0x55), and a tag no one has given a meaning.
Bytes WavOfTag(uint16_t tag, uint32_t rate) {
  Bytes wav = WavBytes(rate, Pattern(4000, 3));
  wav[20] = static_cast<unsigned char>(tag);
  wav[21] = static_cast<unsigned char>(tag >> 8);
  wav[32] = 1;
  wav[34] = 0;
  return wav;
}

TEST_F(Encodings, UndecodableEncodingIsRefusedAndNothingWritten) {
  const Bytes oldGame = Pattern(3000, 9);
  for (const uint16_t tag : {0x0055, 0x7A7A}) {
    for (const uint32_t rate : {22050u, 44100u}) {
      SCOPED_TRACE(std::to_string(tag) + " at " + std::to_string(rate));
      const std::string wav = dir / "odd.wav";
      const Bytes bytes = WavOfTag(tag, rate);
      WriteFile(wav, bytes);
      const Outcome o = Convert(wav, &oldGame);
      EXPECT_EQ(o.plain, std::vector<std::string>{"The Wav file's sound encoding can't be read\rNothing changed!"});
      EXPECT_FALSE(o.gameWritten);
      EXPECT_EQ(o.game, oldGame);
      EXPECT_FALSE(Exists(dir / "bsound1.16.bak"));
      EXPECT_TRUE(o.leftInTmp.empty());
      EXPECT_EQ(ReadFile(wav), bytes);
      const std::vector<std::string> steps =
          rate == 44100 ? std::vector<std::string>{"Resampling odd.wav", "*"} : std::vector<std::string>{};
      EXPECT_EQ(o.status, steps);
      std::filesystem::remove_all(dir / "tmp");
    }
  }
}

// A "fact" count of 0, as a streaming writer leaves it, says nothing: the
// whole sound is kept, as sox reads it.
TEST_F(Encodings, FactLeftAtZeroKeepsTheWholeSound) {
  const std::string wav = dir / "streamed.wav";
  ASSERT_TRUE(Sh("sox -R -D -n -r 22050 -c 2 -e ima-adpcm '" + wav + "' synth 1 sine 440 vol 0.5"));
  const std::string reference = dir / "reference.raw";
  ASSERT_TRUE(Sh("sox -D '" + wav + "' -t raw -e signed-integer -b 16 -L '" + reference + "'"));
  Bytes bytes = ReadFile(wav);
  const auto fact = std::search(bytes.begin(), bytes.end(), std::begin("fact"), std::begin("fact") + 4);
  ASSERT_NE(fact, bytes.end());
  std::fill(fact + 8, fact + 12, 0);
  WriteFile(wav, bytes);
  const Outcome o = Convert(wav);
  ASSERT_TRUE(o.gameWritten);
  EXPECT_EQ(o.game, ReadFile(reference));
}

}  // namespace
