// Playback through the test's PulseAudio null sink, which takes sound in real
// time like a desktop's. Bounds on durations are generous: they tell "plays
// in real time" from "returns at once" or "hangs", nothing finer.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "DecoderLibrary.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Waits for the end flag, at most `limit`.
bool waitForFlag(const uint8_t& flag, std::chrono::seconds limit) {
  const auto until = Clock::now() + limit;
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
    if (Clock::now() > until) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

class WaveMapper : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getenv("PULSE_SERVER"), nullptr) << "runs against the test sound server";
    ASSERT_TRUE(lib.Loaded());
    ASSERT_EQ(lib.init(), 1);
    mp3 = CopyOfTableMp3(dir, "Stereo44100Cbr128");
    ASSERT_FALSE(mp3.empty());
    lib.OpenFile(mp3);
    ASSERT_EQ(lib.LastError(), 0);
    lib.SetOutputDevice(MPEGDLL_DEVICE_WAVEMAPPER, "");
    lib.SetSndDevice(0);
  }
  void TearDown() override {
    if (lib.Loaded()) lib.deinit();
  }
  DecoderLibrary lib;
  TempDir dir;
  std::string mp3;
};

TEST_F(WaveMapper, PlaysInRealTimeWithPauseAndEnds) {
  uint8_t flag = 0;
  const auto start = Clock::now();
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  ASSERT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_PLAYING);
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(flag, 0) << "three seconds of sound cannot be over after one";
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_PLAYING);
  EXPECT_GT(lib.GetCurrentPos(), 0);

  lib.Pause(0);
  ASSERT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_PAUSED);
  // The write under way when Pause came may still complete (one frame).
  std::this_thread::sleep_for(300ms);
  const int32_t pausedAt = lib.GetCurrentPos();
  std::this_thread::sleep_for(700ms);
  const int32_t held = lib.GetCurrentPos();
  EXPECT_LE(held - pausedAt, 30);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(lib.GetCurrentPos(), held) << "a paused playback does not move";
  EXPECT_EQ(flag, 0);
  lib.Pause(1);
  ASSERT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_PLAYING);

  ASSERT_TRUE(waitForFlag(flag, 20s));
  const double took = secondsSince(start);
  EXPECT_GT(took, 2.5) << "3 s of sound plus a pause";
  EXPECT_LT(took, 15.0);
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_ENDED);
  EXPECT_EQ(lib.ResetPlayerMode(), 1);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_STOPPED);
  EXPECT_EQ(lib.GetCurrentPos(), 3000);
  lib.Close();
  EXPECT_EQ(lib.LastError(), 0);
}

TEST_F(WaveMapper, StopEndsAtOnceAndRestartPlaysAgain) {
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  std::this_thread::sleep_for(300ms);
  const auto stopAt = Clock::now();
  lib.Stop();
  EXPECT_LT(secondsSince(stopAt), 2.0);
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_STOPPED);
  EXPECT_LT(lib.GetCurrentPos(), 3000);

  lib.Restart();
  ASSERT_EQ(lib.LastError(), 0);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_PLAYING);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(flag, 0);
  const auto closeAt = Clock::now();
  lib.Close();  // while playing
  EXPECT_LT(secondsSince(closeAt), 2.0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_CLOSED);
  EXPECT_EQ(lib.GetCurrentPos(), -1);
}

TEST_F(WaveMapper, PlaysTheStreamAfterItWasDecodedIntoAFile) {
  // Decoding into a file lends the decoder the file's buffers; the playback
  // after it must decode into a buffer that still exists.
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (dir / "out.wav").c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  ASSERT_TRUE(waitForFlag(flag, 20s));
  ASSERT_TRUE(lib.ResetPlayerMode());
  ASSERT_EQ(lib.LastError(), 0);

  lib.SetOutputDevice(MPEGDLL_DEVICE_WAVEMAPPER, "");
  flag = 0;
  ASSERT_EQ(lib.Play(0, 1000, &flag), 0);
  ASSERT_TRUE(waitForFlag(flag, 20s));
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.GetCurrentPos(), 1000);
  lib.Close();
}

TEST_F(WaveMapper, DeviceNumberBeyondTheListIsAnOutputDeviceFailure) {
  lib.SetSndDevice(1000);
  uint8_t flag = 0;
  EXPECT_NE(lib.Play(0, 0, &flag), 0);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT);
  EXPECT_EQ(flag, 0);
}

}  // namespace
