// The command line's --resample through the whole conversion: WAVs of any
// rate become 22050 Hz game files through the low-pass resampler, with the
// sound's duration and pitch kept and whatever lies above the game's
// 11025 Hz taken out, not folded back as the window's halving does. A WAV
// already at 22050 Hz is copied as it is.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "GameSoundConversion.h"
#include "Resampler.h"
#include "convert_support.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A canonical WAV of integer PCM (16 or 24 bits) holding a sine of
// 'frequency' in every channel, at 'amplitude' of full scale.
Bytes SineWav(uint32_t rate, int channels, int bits, int frames, double frequency, double amplitude = 0.5) {
  const int bytes = bits / 8;
  Bytes data;
  data.reserve(static_cast<size_t>(frames) * channels * bytes);
  const double full = std::ldexp(1.0, bits - 1) - 1;
  for (int i = 0; i < frames; ++i) {
    const long v = std::lround(amplitude * full * std::sin(2 * kPi * frequency * i / rate));
    for (int c = 0; c < channels; ++c)
      for (int b = 0; b < bytes; ++b) data.push_back(static_cast<unsigned char>(v >> (8 * b)));
  }
  Bytes wav = WavBytes(rate, data);
  const auto put16 = [&](size_t at, unsigned v) {
    wav[at] = static_cast<unsigned char>(v);
    wav[at + 1] = static_cast<unsigned char>(v >> 8);
  };
  const uint32_t blockAlign = static_cast<uint32_t>(channels * bytes);
  put16(22, static_cast<unsigned>(channels));
  const uint32_t byteRate = rate * blockAlign;
  for (int b = 0; b < 4; ++b) wav[28 + b] = static_cast<unsigned char>(byteRate >> (8 * b));
  put16(32, blockAlign);
  put16(34, static_cast<unsigned>(bits));
  return wav;
}

std::vector<double> Samples16(const Bytes& raw) {
  std::vector<double> out(raw.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(raw[2 * i] | raw[2 * i + 1] << 8) / 32768.0;
  return out;
}

// One channel of interleaved samples, without the first and last tenth of a
// second, where a tone that starts and stops at full level spreads over every
// frequency.
std::vector<double> SteadyPart(const std::vector<double>& samples, int channels, int channel, int rate) {
  std::vector<double> out;
  const size_t frames = samples.size() / static_cast<size_t>(channels);
  const size_t edge = static_cast<size_t>(rate / 10);
  for (size_t i = edge; i + edge < frames; ++i) out.push_back(samples[i * channels + channel]);
  return out;
}

double Power(const std::vector<double>& x) {
  double sum = 0;
  for (double v : x) sum += v * v;
  return x.empty() ? 0 : sum / static_cast<double>(x.size());
}

// The mean power of the part of 'x' at 'frequency' (Goertzel).
double PowerAt(const std::vector<double>& x, double frequency, int rate) {
  const double w = 2 * kPi * frequency / rate;
  double s1 = 0, s2 = 0;
  for (double v : x) {
    const double s = v + 2 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  const double magnitude2 = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
  return 2 * magnitude2 / (static_cast<double>(x.size()) * static_cast<double>(x.size()));
}

double Decibels(double powerRatio) { return 10 * std::log10(powerRatio); }

struct Outcome {
  bool written = false;
  Bytes game;
  std::vector<std::string> plain;
  std::vector<std::string> status;
  size_t confirmations = 0;
  std::vector<int> gauge;
  std::vector<std::string> leftInTmp;
};

class Resampling : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(mkdir(tmp.c_str(), 0755), 0); }

  // Converts the WAV into a new game file, with or without --resample.
  Outcome Convert(const Bytes& wavBytes, bool resample = true) {
    const std::string wav = dir / "sound.wav";
    const std::string game = dir / "bsound01.16";
    WriteFile(wav, wavBytes);
    std::remove(game.c_str());
    const ScopedEnvironment tmpDir("TMPDIR", tmp);
    FakeFileDialog open, save;
    FakeMessages messages;
    FakeStatusLine status;
    FakeGauge gauge;
    bool halved = false;
    open.choice = wav;
    save.choice = game;
    TGameSoundConversion command({open, save, messages, status, gauge, nullptr}, dir.Path(), dir.Path(), halved);
    if (resample)
      command.ResampleWith(
          [&gauge](const std::string& path, TPcm16File& result) { return ResampleToGameRate(path, result, &gauge); });
    command.Run();
    Outcome o;
    o.written = Exists(game);
    if (o.written) o.game = ReadFile(game);
    o.plain = messages.plain;
    o.status = status.events;
    o.confirmations = messages.confirmations.size();
    o.gauge = gauge.ProgressValues();
    o.leftInTmp = FolderEntries(tmp);
    return o;
  }

  TempDir dir;
  const std::string tmp = dir / "tmp/";
};

bool Has(const std::vector<std::string>& texts, const std::string& text) {
  for (const std::string& t : texts)
    if (t.find(text) != std::string::npos) return true;
  return false;
}

struct RateCase {
  const char* name;
  uint32_t rate;
  int channels;
  int bits;
};

void PrintTo(const RateCase& c, std::ostream* os) { *os << c.name; }

class ResampledRates : public Resampling, public ::testing::WithParamInterface<RateCase> {};

// One second of a 1 kHz sine at any rate is one second at 22050 Hz, to the
// frame, in every channel, with its power at 1 kHz and its level kept.
TEST_P(ResampledRates, OneSecondOfASineStaysOneSecondAtItsPitch) {
  const RateCase& c = GetParam();
  const Outcome o = Convert(SineWav(c.rate, c.channels, c.bits, static_cast<int>(c.rate), 1000));
  ASSERT_TRUE(o.written);
  EXPECT_TRUE(o.plain.empty());
  EXPECT_EQ(o.confirmations, 0u) << "--resample asks nothing about the rate";
  EXPECT_TRUE(Has(o.status, "Resampling sound.wav"));
  EXPECT_EQ(o.status.back(), "That's right");
  EXPECT_TRUE(o.leftInTmp.empty());
  ASSERT_EQ(o.game.size(), 22050u * 2 * static_cast<unsigned>(c.channels)) << "frames: one second at 22050 Hz";

  const std::vector<double> out = Samples16(o.game);
  for (int channel = 0; channel < c.channels; ++channel) {
    const std::vector<double> steady = SteadyPart(out, c.channels, channel, 22050);
    const double total = Power(steady);
    // A sine of amplitude 0.5 has a power of 0.125.
    EXPECT_NEAR(Decibels(total / 0.125), 0, 0.1) << "channel " << channel;
    EXPECT_GT(Decibels(PowerAt(steady, 1000, 22050) / total), -0.05) << "channel " << channel;
  }
  // The gauge went through the sound and is back at 0.
  ASSERT_GE(o.gauge.size(), 2u);
  EXPECT_EQ(o.gauge[o.gauge.size() - 2], 1000);
  EXPECT_EQ(o.gauge.back(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rates, ResampledRates,
                         ::testing::Values(RateCase{"Stereo48000", 48000, 2, 16}, RateCase{"Mono44100", 44100, 1, 16},
                                           RateCase{"Mono8000", 8000, 1, 16}, RateCase{"Stereo11025", 11025, 2, 16},
                                           RateCase{"Stereo96000In24Bits", 96000, 2, 24},
                                           RateCase{"Mono192000", 192000, 1, 16}),
                         [](const ::testing::TestParamInfo<RateCase>& info) { return std::string(info.param.name); });

// Above the game's 11025 Hz there is nothing the game file can hold: the
// resampler takes a 15 kHz tone out, where dropping every other frame keeps
// all of it, folded down to 7050 Hz.
TEST_F(Resampling, A15kHzToneAt44100IsTakenOutNotFoldedBack) {
  const Bytes wav = SineWav(44100, 1, 16, 44100, 15000);
  const Outcome filtered = Convert(wav);
  ASSERT_TRUE(filtered.written);
  ASSERT_EQ(filtered.game.size(), 22050u * 2);
  const double before = 0.125;
  const std::vector<double> steady = SteadyPart(Samples16(filtered.game), 1, 0, 22050);
  EXPECT_LT(Decibels(Power(steady) / before), -60);
  EXPECT_LT(Decibels(PowerAt(steady, 7050, 22050) / before), -60);

  const Outcome halved = Convert(wav, false);
  ASSERT_TRUE(halved.written);
  const std::vector<double> folded = SteadyPart(Samples16(halved.game), 1, 0, 22050);
  EXPECT_NEAR(Decibels(PowerAt(folded, 7050, 22050) / before), 0, 0.1);
}

TEST_F(Resampling, A22050HzWavIsCopiedAsItIs) {
  const Bytes wav = SineWav(22050, 2, 16, 22050, 1000);
  const Outcome o = Convert(wav);
  ASSERT_TRUE(o.written);
  EXPECT_EQ(o.game, Bytes(wav.begin() + 44, wav.end()));
  EXPECT_FALSE(Has(o.status, "Resampling"));
  EXPECT_EQ(o.confirmations, 0u);
}

TEST_F(Resampling, ARateOutsideTheResamplersRangeChangesNothing) {
  for (uint32_t rate : {4000u, 7999u, 192001u}) {
    const Outcome o = Convert(SineWav(rate, 1, 16, 1000, 440));
    EXPECT_FALSE(o.written) << rate;
    ASSERT_EQ(o.plain.size(), 1u) << rate;
    EXPECT_EQ(o.plain[0], "A rate of " + std::to_string(rate) + " Hz cannot be resampled: 8000 to 192000 Hz\r" +
                              "Nothing changed!");
    EXPECT_EQ(o.confirmations, 0u) << rate;
  }
}

TEST_F(Resampling, AnUnreadableWavIsRefusedAndLeavesNothingBehind) {
  // RIFF chunks that say 48000 Hz, but an encoding nobody decodes.
  Bytes wav = SineWav(48000, 1, 16, 1000, 440);
  wav[20] = 0x55;  // MPEG layer 3 inside a WAV
  const Outcome o = Convert(wav);
  EXPECT_FALSE(o.written);
  ASSERT_EQ(o.plain.size(), 1u);
  EXPECT_EQ(o.plain[0], kEncodingUnreadable);
  EXPECT_TRUE(o.leftInTmp.empty());
}

}  // namespace
