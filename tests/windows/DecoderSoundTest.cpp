// The decoder library's wave-mapper device on waveOut, against the tests'
// own sound server (wine's PulseAudio driver): sound is paced as it plays,
// a pause holds it, a stop drops what is queued at once.

#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "Sinks.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// `seconds` of a 440 Hz sine, 16-bit stereo at `rate`.
std::vector<unsigned char> Sine(long rate, double seconds) {
  const size_t frames = static_cast<size_t>(rate * seconds);
  std::vector<unsigned char> pcm(frames * 4);
  for (size_t i = 0; i < frames; ++i) {
    const auto v = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265358979 * 440 * static_cast<double>(i) / rate));
    for (int c = 0; c < 2; ++c) {
      pcm[i * 4 + c * 2] = static_cast<unsigned char>(v & 0xFF);
      pcm[i * 4 + c * 2 + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
    }
  }
  return pcm;
}

// Written in pieces of one MPEG frame's sound, as the playing thread does.
bool WriteAll(Sink& sink, const std::vector<unsigned char>& pcm) {
  constexpr size_t kFrame = 1152 * 4;
  for (size_t at = 0; at < pcm.size(); at += kFrame)
    if (!sink.Write(pcm.data() + at, std::min(kFrame, pcm.size() - at))) return false;
  return true;
}

TEST(DecoderSoundWin, TwoSecondsTakeAboutTwoSeconds) {
  auto sink = OpenDeviceSink(0, 44100);
  ASSERT_TRUE(sink);
  const auto start = Clock::now();
  ASSERT_TRUE(WriteAll(*sink, Sine(44100, 2.0)));
  // Only a few short buffers are ahead of what is heard.
  EXPECT_GT(SecondsSince(start), 1.2);
  EXPECT_TRUE(sink->Finish(false));
  const double took = SecondsSince(start);
  EXPECT_GT(took, 1.8);
  EXPECT_LT(took, 4.0);
}

TEST(DecoderSoundWin, APauseHoldsTheSound) {
  auto sink = OpenDeviceSink(0, 44100);
  ASSERT_TRUE(sink);
  const auto start = Clock::now();
  ASSERT_TRUE(WriteAll(*sink, Sine(44100, 1.0)));
  sink->Pause();
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  sink->Resume();
  ASSERT_TRUE(WriteAll(*sink, Sine(44100, 1.0)));
  EXPECT_TRUE(sink->Finish(false));
  const double took = SecondsSince(start);
  EXPECT_GT(took, 2.6);
  EXPECT_LT(took, 5.0);
}

TEST(DecoderSoundWin, AnInterruptedFinishReturnsAtOnce) {
  auto sink = OpenDeviceSink(0, 44100);
  ASSERT_TRUE(sink);
  ASSERT_TRUE(WriteAll(*sink, Sine(44100, 1.0)));
  const auto stop = Clock::now();
  EXPECT_TRUE(sink->Finish(true));
  EXPECT_LT(SecondsSince(stop), 0.25);
  // Even while paused.
  sink = OpenDeviceSink(0, 44100);
  ASSERT_TRUE(sink);
  ASSERT_TRUE(WriteAll(*sink, Sine(44100, 0.5)));
  sink->Pause();
  const auto pausedStop = Clock::now();
  EXPECT_TRUE(sink->Finish(true));
  EXPECT_LT(SecondsSince(pausedStop), 0.25);
}

TEST(DecoderSoundWin, ANewRateReopensTheDeviceAndKeepsThePace) {
  auto sink = OpenDeviceSink(0, 44100);
  ASSERT_TRUE(sink);
  const auto start = Clock::now();
  ASSERT_TRUE(WriteAll(*sink, Sine(44100, 0.6)));
  ASSERT_TRUE(sink->ChangeRate(22050));
  ASSERT_TRUE(WriteAll(*sink, Sine(22050, 0.6)));
  EXPECT_TRUE(sink->Finish(false));
  const double took = SecondsSince(start);
  EXPECT_GT(took, 1.05);
  EXPECT_LT(took, 3.5);
}

TEST(DecoderSoundWin, DevicesAreNumberedFromOneAfterTheWaveMapper) {
  const UINT devices = waveOutGetNumDevs();
  ASSERT_GE(devices, 1u) << "wine lists no sound device";
  auto first = OpenDeviceSink(1, 44100);
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->Finish(true));
  EXPECT_FALSE(OpenDeviceSink(static_cast<int32_t>(devices) + 1, 44100));
  EXPECT_FALSE(OpenDeviceSink(1000, 44100));
  // No device takes a rate of none.
  EXPECT_FALSE(OpenDeviceSink(0, 0));
}

}  // namespace
