// The conversion's use of the real settings file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "Exceptions.h"
#include "GameSoundConversion.h"
#include "IniFiles.h"
#include "convert_support.h"

namespace {

struct Parts {
  FakeFileDialog open, save;
  FakeMessages messages;
  FakeStatusLine status;
  FakeGauge gauge;
  bool halved = false;
};

TEST(ConversionSettings, FirstRunRemembersBothFolders) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "wavs").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((dir / "game").c_str(), 0755), 0);
  ASSERT_NO_THROW(WriteFile(dir / "wavs/a.wav", WavBytes(22050, Pattern(10))));
  TIniFile ini(dir / "S16c.ini");
  Parts p;
  p.open.choice = dir / "wavs/a.wav";
  p.save.choice = dir / "game/bsound1.16";
  TGameSoundConversion({p.open, p.save, p.messages, p.status, p.gauge, &ini}, "", "", p.halved).Run();
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), dir / "wavs/");
  EXPECT_EQ(ini.ReadText("Directory", "Gp3", ""), dir / "game/");
  EXPECT_EQ(p.open.initialDir, "") << "no remembered folder, no initial folder";
}

TEST(ConversionSettings, UnwritableSettingsFileEndsTheCommand) {
  TempDir dir;
  ASSERT_NO_THROW(WriteFile(dir / "a.wav", WavBytes(22050, Pattern(10))));
  const std::string iniName = dir / "no-such-folder/S16c.ini";
  TIniFile ini(iniName);
  Parts p;
  p.open.choice = dir / "a.wav";
  p.save.choice = dir / "bsound1.16";
  try {
    TGameSoundConversion({p.open, p.save, p.messages, p.status, p.gauge, &ini}, "/elsewhere/", "", p.halved).Run();
    ADD_FAILURE() << "no error";
  } catch (const EInOutError&) {
    ADD_FAILURE() << "an I/O error instead of the settings write error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Impossible d'écrire dans " + iniName);
  }
  EXPECT_EQ(p.save.executed, 0);
  EXPECT_FALSE(Exists(dir / "bsound1.16"));
}

}  // namespace
