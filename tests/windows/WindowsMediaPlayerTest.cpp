// The media-control player's device on the system's own MCI: a real WAV
// opened by its element name alone, played with Notify while the thread's
// message loop runs, its end reported to the message-only window as
// MM_MCINOTIFY; the interrupted play; and files the system refuses, with the
// system's own error texts.
//
// The sound goes to the system's wave output, which under the test run is
// wine's PulseAudio driver on the test's private sound server: it takes the
// sound at the pace it plays, so a two-second clip takes two seconds
// (mci-under-wine.sh also watches the server for the stream).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "MciNotifyWindow_win.h"
#include "MediaPlayerDevice.h"
#include "TempDir.h"

using ::testing::ElementsAre;
using Clock = std::chrono::steady_clock;

namespace {

// The control around the device: the device's own rule for the automatic
// buttons, and a record of every report with the mode the device had then.
class RecordingOwner : public IMediaPlayerOwner {
 public:
  TMediaPlayerDevice* device = nullptr;
  std::vector<TMPNotifyValues> results;
  std::vector<TMPModes> modes;

  void UpdateAutoButtons(TMPBtnType button) override { device->UpdateAutoButtons(button); }
  void DoClick(TMPBtnType, bool&) override {}
  void DoPostClick(TMPBtnType) override {}
  void DoNotify() override {
    results.push_back(device->NotifyResult());
    modes.push_back(device->Mode());
  }
  void AutoButtonsChanged() override {}
  void ApplyDisplay() override {}
};

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A quiet 440 Hz tone as canonical 16-bit mono PCM.
std::string ToneWav(double seconds, uint32_t rate) {
  const uint32_t frames = static_cast<uint32_t>(seconds * rate);
  std::string wav = "RIFF";
  PutLe(wav, 36 + frames * 2, 4);
  wav += "WAVEfmt ";
  PutLe(wav, 16, 4);
  PutLe(wav, 1, 2);  // PCM
  PutLe(wav, 1, 2);  // mono
  PutLe(wav, rate, 4);
  PutLe(wav, rate * 2, 4);
  PutLe(wav, 2, 2);
  PutLe(wav, 16, 2);
  wav += "data";
  PutLe(wav, frames * 2, 4);
  for (uint32_t i = 0; i < frames; ++i) {
    const double sample = 2000.0 * std::sin(2.0 * 3.14159265358979 * 440.0 * i / rate);
    PutLe(wav, static_cast<uint16_t>(static_cast<int16_t>(std::lround(sample))), 2);
  }
  return wav;
}

// The system's text for an MCI error code, in UTF-8; empty when it has none.
std::string SystemText(MCIERROR code) {
  wchar_t text[512] = {};
  if (!mciGetErrorStringW(code, text, 512)) return std::string();
  return Narrow(text, std::wcslen(text));
}

class SystemMciTest : public ::testing::Test {
 protected:
  SystemMciTest() : device(owner), window(device, [this](const std::string& message) { errors.push_back(message); }) {
    owner.device = &device;
  }

  void SetUp() override { ASSERT_TRUE(dir.Ok()); }

  std::string WriteTone(const std::string& name, double seconds) {
    const std::string path = dir / name;
    EXPECT_TRUE(WriteFileBytes(path, ToneWav(seconds, 22050))) << path;
    return path;
  }

  // Runs the thread's message loop until a report has come, or the limit
  // has passed (then false), so a lost report cannot hang the run.
  bool PumpUntilReported(size_t count, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (owner.results.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    return true;
  }

  // Open refused: the system's code and text, and no device open.
  void ExpectRefused(const std::string& path) {
    device.SetFileName(path);
    try {
      device.Open();
      ADD_FAILURE() << "opened " << path;
    } catch (const EMCIDeviceError& e) {
      EXPECT_NE(device.LastError(), 0u);
      const std::string text = SystemText(device.LastError());
      EXPECT_FALSE(text.empty()) << "code " << device.LastError();
      EXPECT_EQ(e.Message(), text);
      EXPECT_EQ(device.ErrorText(), text);
    }
    EXPECT_EQ(device.DeviceId(), 0);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_THROW(device.Play(), EMCIDeviceError);
  }

  TempDir dir;
  RecordingOwner owner;
  TMediaPlayerDevice device;
  TMciNotifyWindow window;
  std::vector<std::string> errors;
};

TEST_F(SystemMciTest, PlayWithNotifyIsReportedAtItsEndAfterPlayingPaced) {
  device.SetFileName(WriteTone("tone.wav", 2.0));
  device.Open();
  ASSERT_NE(device.DeviceId(), 0);
  EXPECT_EQ(device.LastError(), 0u);
  EXPECT_TRUE(device.Capabilities().Contains(capCanPlay));
  EXPECT_FALSE(device.Capabilities().Contains(capUsesWindow));
  EXPECT_TRUE(device.AutoButtons().Contains(btPlay));
  EXPECT_EQ(device.Mode(), mdStopped);
  EXPECT_EQ(device.TimeFormat(), static_cast<uint32_t>(MCI_FORMAT_MILLISECONDS));
  EXPECT_EQ(device.Length(), 2000);
  EXPECT_EQ(device.Position(), 0);

  device.SetNotify(true);
  const auto start = Clock::now();
  device.Play();
  ASSERT_EQ(device.LastError(), 0u) << device.ErrorText();
  EXPECT_EQ(device.LastCommandFlags(), static_cast<uint32_t>(MCI_NOTIFY));
  EXPECT_EQ(device.Mode(), mdPlaying);
  device.UpdateAutoButtons(btPlay);
  EXPECT_TRUE(device.AutoButtons().Contains(btStop));

  ASSERT_TRUE(PumpUntilReported(1, std::chrono::seconds(15)));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_THAT(owner.results, ElementsAre(nrSuccessful));
  EXPECT_THAT(owner.modes, ElementsAre(mdStopped));
  // Played at the pace of the sound, not taken at once.
  EXPECT_GE(seconds, 1.8);
  EXPECT_LT(seconds, 6.0);
  EXPECT_EQ(device.Position(), device.Length());
  // The report of a stopped device lights Play again.
  EXPECT_TRUE(device.AutoButtons().Contains(btPlay));
  EXPECT_FALSE(device.AutoButtons().Contains(btStop));
  EXPECT_TRUE(errors.empty());

  // At the end of the medium, Play seeks to the start first and plays again.
  device.Play();
  EXPECT_EQ(device.LastError(), 0u);
  EXPECT_EQ(device.Mode(), mdPlaying);
  device.Stop();
  ASSERT_TRUE(PumpUntilReported(2, std::chrono::seconds(5)));
  EXPECT_EQ(owner.results.back(), nrAborted);
}

TEST_F(SystemMciTest, StopInTheMiddleEndsThePlayAndItsReportSaysAborted) {
  device.SetFileName(WriteTone("long.wav", 5.0));
  device.Open();
  device.SetNotify(true);
  device.Play();
  ASSERT_EQ(device.LastError(), 0u) << device.ErrorText();
  ASSERT_EQ(device.Mode(), mdPlaying);
  Sleep(300);
  device.Stop();
  EXPECT_EQ(device.LastError(), 0u);
  EXPECT_EQ(device.Mode(), mdStopped);
  const int32_t position = device.Position();
  EXPECT_GT(position, 0);
  EXPECT_LT(position, 5000);
  ASSERT_TRUE(PumpUntilReported(1, std::chrono::seconds(5)));
  EXPECT_THAT(owner.results, ElementsAre(nrAborted));
}

// The play's report waits through a pause sent without Notify and comes at
// the end. (A pause sent with Notify supersedes it on the system's device,
// and a resume with Notify reports as soon as the device plays again, not at
// the end of the sound: the main window sends neither.)
TEST_F(SystemMciTest, PauseHoldsThePlayAndTheSecondPauseResumesIt) {
  device.SetFileName(WriteTone("pause.wav", 1.0));
  device.Open();
  device.Play();
  ASSERT_EQ(device.Mode(), mdPlaying);
  Sleep(200);
  device.Pause();
  EXPECT_EQ(device.LastCommandFlags(), static_cast<uint32_t>(MCI_WAIT));
  EXPECT_EQ(device.Mode(), mdPaused);
  const int32_t held = device.Position();
  Sleep(300);
  EXPECT_EQ(device.Position(), held);
  device.SetNotify(false);
  device.Pause();
  EXPECT_EQ(device.LastError(), 0u);
  EXPECT_EQ(device.LastCommandFlags(), 0u);
  EXPECT_EQ(device.Mode(), mdPlaying);
  ASSERT_TRUE(PumpUntilReported(1, std::chrono::seconds(5)));
  EXPECT_THAT(owner.results, ElementsAre(nrSuccessful));
  EXPECT_THAT(owner.modes, ElementsAre(mdStopped));
  EXPECT_EQ(device.Position(), 1000);
}

TEST_F(SystemMciTest, NotifyOnAWaitCommandIsReportedAsSuccessful) {
  device.SetFileName(WriteTone("short.wav", 0.5));
  device.Open();
  device.SetNotify(true);
  device.Close();
  EXPECT_EQ(device.LastError(), 0u);
  EXPECT_EQ(device.DeviceId(), 0);
  ASSERT_TRUE(PumpUntilReported(1, std::chrono::seconds(5)));
  EXPECT_THAT(owner.results, ElementsAre(nrSuccessful));
  EXPECT_THAT(owner.modes, ElementsAre(mdNotReady));
}

// Names reach the system whole through its wide entry point. wine's wave
// device opens its file by the name's ANSI form and does not find a name with
// other characters (音): the service gives such a name as the file's short
// name, which the device opens.
TEST_F(SystemMciTest, NamesOfAnyLettersOpen) {
  ASSERT_TRUE(CreateDirectoryW(std::filesystem::u8path(dir / u8"ünïcødé 音楽").wstring().c_str(), nullptr));
  for (const char* name : {u8"tön – x.wav", u8"音 – 2.wav", u8"ünïcødé 音楽/tone.wav"}) {
    device.SetFileName(WriteTone(name, 0.5));
    try {
      device.Open();
    } catch (const EMCIDeviceError& e) {
      ADD_FAILURE() << name << ": " << e.Message();
      continue;
    }
    EXPECT_EQ(device.Length(), 500) << name;
    device.Close();
    EXPECT_EQ(device.DeviceId(), 0) << name;
  }
}

TEST_F(SystemMciTest, MissingFileIsRefusedWithTheSystemsText) { ExpectRefused(dir / "missing.wav"); }

TEST_F(SystemMciTest, FileOfRandomBytesIsRefusedWithTheSystemsText) {
  std::string noise(4096, '\0');
  uint32_t x = 12345;
  for (char& c : noise) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  ASSERT_TRUE(WriteFileBytes(dir / "noise.wav", noise));
  ExpectRefused(dir / "noise.wav");
}

TEST_F(SystemMciTest, ReopenClosesTheFirstDeviceAndAFailedOneLeavesNoneOpen) {
  device.SetFileName(WriteTone("first.wav", 0.5));
  device.Open();
  ASSERT_NE(device.DeviceId(), 0);
  ExpectRefused(dir / "missing.wav");
}

TEST_F(SystemMciTest, ServiceTextsAreCutToFitAndAbsentForCodesWithoutText) {
  device.SetFileName(dir / "missing.wav");
  EXPECT_THROW(device.Open(), EMCIDeviceError);
  ASSERT_TRUE(SystemText(12345).empty()) << "the system has a text for 12345";
  IMciService& service = DefaultMciService();
  char buffer[16] = "x";
  EXPECT_FALSE(service.GetErrorString(12345, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "");
  // A text cut to fit the buffer ends inside it.
  ASSERT_TRUE(service.GetErrorString(device.LastError(), buffer, sizeof buffer));
  EXPECT_EQ(std::string(buffer), SystemText(device.LastError()).substr(0, std::string(buffer).size()));
  EXPECT_LT(std::string(buffer).size(), sizeof buffer);
}

}  // namespace
