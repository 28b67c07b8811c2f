// The settings file through the system's private-profile services, against
// the rules the Linux codec follows for the same text, and where the program
// finds its pieces on Windows.

#include <gtest/gtest.h>

#include <filesystem>

#include "Exceptions.h"
#include "IniFiles.h"
#include "Locations.h"
#include "SettingNames.h"
#include "convert_support.h"

namespace {

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct ReadCase {
  const char* file;
  const char* section;
  const char* key;
  const char* expected;
};

// The same reading rules the Linux codec's table holds: names without letter
// case, blanks around names and values ignored, one pair of quotes removed,
// the default for anything missing.
TEST(SystemSettings, ReadsAsTheCodecDoes) {
  const ReadCase cases[] = {
      {"[Directory]\r\nWav=C:\\Sons\\\r\n", "Directory", "Wav", "C:\\Sons\\"},
      {"[directory]\r\nWAV=C:\\a\\\r\n", "Directory", "Wav", "C:\\a\\"},
      {"[ Directory ]\r\n  Wav  =   C:\\b\\   \r\n", "Directory", "Wav", "C:\\b\\"},
      {"[Directory]\r\nWav=\"C:\\quoted\\\"\r\n", "Directory", "Wav", "C:\\quoted\\"},
      {"[Directory]\nGp3=C:\\lf\\\n", "Directory", "Gp3", "C:\\lf\\"},
      {"[Other]\r\nWav=no\r\n", "Directory", "Wav", "default"},
      {"", "Directory", "Wav", "default"},
      {"[Directory]\r\nWav=first\r\n[Directory]\r\nWav=second\r\n", "Directory", "Wav", "first"},
  };
  for (const ReadCase& c : cases) {
    TempDir dir;
    WriteFile(dir / "S16c.ini", BytesOf(c.file));
    TIniFile ini(dir / "S16c.ini");
    EXPECT_EQ(ini.ReadText(c.section, c.key, "default"), c.expected) << c.file;
  }
  TempDir dir;
  EXPECT_EQ(TIniFile(dir / "missing.ini").ReadText("Directory", "Wav", "default"), "default");
}

TEST(SystemSettings, WritesKeyValueAndKeepsTheOtherLines) {
  TempDir dir;
  const std::string name = dir / "S16c.ini";
  WriteFile(name, BytesOf("; kept\r\n[Other]\r\nx=1\r\n[Directory]\r\nWav=old\r\n"));
  TIniFile ini(name);
  ini.WriteText("Directory", "Wav", "C:\\new\\");
  ini.WriteText("Directory", "Gp3", "D:\\game\\");
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "C:\\new\\");
  EXPECT_EQ(ini.ReadText("Directory", "Gp3", ""), "D:\\game\\");
  EXPECT_EQ(ini.ReadText("Other", "x", ""), "1");
  const std::string text = Text(ReadFile(name));
  EXPECT_NE(text.find("; kept\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Wav=C:\\new\\"), std::string::npos) << text;
  EXPECT_EQ(text.find("old"), std::string::npos) << text;
}

TEST(SystemSettings, ANewFileKeepsLettersBeyondTheCodePage) {
  TempDir dir;
  const std::string name = dir / "S16c.ini";
  const std::string folder = "C:\\Jeux\\Été \xE6\x97\xA5\xE6\x9C\xAC\\";
  TIniFile(name).WriteText(kFolderSection, kWavFolderKey, folder);
  EXPECT_EQ(TIniFile(name).ReadText(kFolderSection, kWavFolderKey, ""), folder);
}

TEST(SystemSettings, AFileThatCannotBeWrittenSaysSo) {
  TempDir dir;
  const std::string name = dir / "S16c.ini";
  WriteFile(name, BytesOf("[Directory]\r\nWav=kept\r\n"));
  MakeReadOnly(name);
  try {
    TIniFile(name).WriteText("Directory", "Wav", "new");
    ADD_FAILURE() << "wrote a read-only file";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Impossible d'écrire dans " + name);
  }
  EXPECT_EQ(Text(ReadFile(name)), "[Directory]\r\nWav=kept\r\n");
  EXPECT_THROW(TIniFile(dir / "no folder\\S16c.ini").WriteText("Directory", "Wav", "x"), Exception);
}

TEST(SystemSettings, TheFirstWriteMakesTheSettingsFolder) {
  TempDir dir;
  const std::string name = dir / "Roaming\\Vantrel\\S16c.ini";
  TIniFile(name, TFolderCreation::Create).WriteText("Directory", "Wav", "C:\\x\\");
  EXPECT_EQ(TIniFile(name).ReadText("Directory", "Wav", ""), "C:\\x\\");
}

TEST(WindowsLocations, SettingsUnderApplicationDataProgramFolderFromTheSystem) {
  const std::string settings = SettingsFileName();
  const std::string tail = "\\Vantrel\\S16c.ini";
  ASSERT_GT(settings.size(), tail.size());
  EXPECT_EQ(settings.substr(settings.size() - tail.size()), tail);
  EXPECT_TRUE(
      std::filesystem::is_directory(std::filesystem::u8path(settings.substr(0, settings.size() - tail.size()))));
  const std::string app = ApplicationDirectory();
  ASSERT_FALSE(app.empty());
  EXPECT_EQ(app.back(), '\\');
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(app + "windows_platform_tests.exe")));
  const std::string fixed = PrivateLibraryDirectory(app);
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(fixed))) << fixed;
}

}  // namespace
