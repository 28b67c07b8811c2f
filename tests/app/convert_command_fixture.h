#pragma once
// The conversion command run to its end on real files, with the window's
// dialogs, status line, gauge and settings replaced by recording stand-ins:
// the fixture of the tests that run on every system and of the Linux ones.

#include <gtest/gtest.h>

#include <filesystem>

#include "Exceptions.h"
#include "GameSoundConversion.h"
#include "PathUtils.h"
#include "convert_support.h"

inline const std::string kWarning = "Working with frequency different from 22050Hz or 44100Hz\r" +
                                    std::string(15, ' ') + "can make some strange sound!\r" + std::string(24, ' ') +
                                    "Continue?";

class Conversion : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& d : {appDir, wavDir, gameDir, tmpDir})
      ASSERT_TRUE(std::filesystem::create_directory(d)) << d;
  }

  void Run() {
    TGameSoundConversion({open, save, messages, status, gauge, settings}, wavFolder, gameFolder, halved).Run();
  }

  // Writes a WAV and makes it the open dialog's choice.
  std::string ChooseWav(uint32_t rate, const Bytes& data, const std::string& folder = "") {
    const std::string path = (folder.empty() ? wavDir : folder) + "sound.wav";
    WriteFile(path, WavBytes(rate, data));
    open.choice = path;
    return path;
  }

  // Makes the save dialog's choice; an existing game file gets 'content'.
  std::string ChooseGame(const Bytes* content = nullptr, const std::string& name = "bsound1.16") {
    const std::string path = gameDir + name;
    if (content) WriteFile(path, *content);
    save.choice = path;
    return path;
  }

  EInOutError RunExpectingIoError() {
    try {
      Run();
    } catch (const EInOutError& e) {
      return e;
    }
    ADD_FAILURE() << "no I/O error";
    return EInOutError("", 0);
  }

  TempDir dir;
  const std::string appDir = dir / "app/";
  const std::string wavDir = dir / "wavs/";
  const std::string gameDir = dir / "game/";
  // The system's temporary folder for the command ($TMPDIR on Linux, TMP
  // on Windows).
  const std::string tmpDir = dir / "tmp/";
  ScopedEnvironment linuxTemporary{"TMPDIR", tmpDir};
  ScopedEnvironment windowsTemporary{"TMP", tmpDir};
  std::string wavFolder = wavDir;
  std::string gameFolder = gameDir;
  FakeFileDialog open, save;
  FakeMessages messages;
  FakeStatusLine status;
  FakeGauge gauge;
  RecordingIniFile ini;
  TCustomIniFile* settings = &ini;
  bool halved = false;
  const Bytes oldGame = Pattern(3000, 99);
};

class StartedIn {
 public:
  explicit StartedIn(const std::string& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~StartedIn() { std::filesystem::current_path(old_); }
  StartedIn(const StartedIn&) = delete;
  StartedIn& operator=(const StartedIn&) = delete;

 private:
  std::filesystem::path old_;
};

// The user's own engine.wav in the folder the program was started from has
// nothing to do with another engine.wav that is halved.
