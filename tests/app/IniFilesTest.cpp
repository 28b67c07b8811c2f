#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "Exceptions.h"
#include "IniFiles.h"
#include "PosixTestFiles.h"
#include "TempDir.h"

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.Ok()); }
  std::string Ini() const { return dir / "S16c.ini"; }
  TempDir dir;
};

// The message of the error a write raises, or "" when it raises none.
std::string WriteError(TIniFile& ini, const std::string& section, const std::string& key, const std::string& value) {
  try {
    ini.WriteText(section, key, value);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

TEST_F(Settings, FirstWriteCreatesFileWithSection) {
  TIniFile ini(Ini());
  EXPECT_FALSE(std::filesystem::exists(Ini()));  // creating touches no file
  EXPECT_EQ(ini.ReadText("Directory", "Gp3", ""), "");
  ini.WriteText("Directory", "Wav", "/home/léa/wav/");
  EXPECT_EQ(ReadFileBytes(Ini()), "[Directory]\nWav=/home/léa/wav/\n");
  ini.WriteText("Directory", "Gp3", "/games/gp3/sound/");
  EXPECT_EQ(ReadFileBytes(Ini()), "[Directory]\nWav=/home/léa/wav/\nGp3=/games/gp3/sound/\n");
  ini.WriteText("Directory", "Wav", "/other/");
  EXPECT_EQ(ReadFileBytes(Ini()), "[Directory]\nWav=/other/\nGp3=/games/gp3/sound/\n");
}

TEST_F(Settings, NewFileTakesUsualModeAndLeavesNoTemporaryFile) {
  const mode_t mask = umask(022);
  {
    TIniFile ini(Ini());
    ini.WriteText("Directory", "Wav", "/a/");
  }
  umask(mask);
  EXPECT_EQ(ModeOf(Ini()), 0644u);
  ASSERT_EQ(chmod(Ini().c_str(), 0600), 0);
  TIniFile ini(Ini());
  ini.WriteText("Directory", "Wav", "/b/");
  EXPECT_EQ(ModeOf(Ini()), 0600u);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
    EXPECT_EQ(e.path().filename(), "S16c.ini");
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST_F(Settings, ValuesReadBackExactly) {
  const std::string values[] = {
      "C:\\Jeux\\GP3\\Sound\\",    // backslashes stay as they are
      "/home/u/mes sons  à moi/",  // inner blanks, accents
      "/home/ユーザー/Музыка/",    // other scripts
      " leading and trailing blanks ", "\"quoted\"", "'single'", "\"", "a=b=c", "; not a comment", "",
  };
  TIniFile ini(Ini());
  for (const std::string& v : values) {
    ini.WriteText("Directory", "Wav", v);
    EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), v);
    EXPECT_EQ(TIniFile(Ini()).ReadText("Directory", "Wav", "default"), v);
  }
}

TEST_F(Settings, ReadingIgnoresLetterCaseBlanksAndOneQuotePair) {
  struct Case {
    const char* file;
    const char* expected;
  } cases[] = {
      {"[Directory]\nWav=/a/\n", "/a/"},
      {"  [ directory ]  \r\n  WAV  =  /a b/  \r\n", "/a b/"},
      {"[DIRECTORY]\nwav=\"/q/\"\n", "/q/"},
      {"[Directory]\nWav=\"\"/qq/\"\"\n", "\"/qq/\""},  // one pair only
      {"[Directory]\nWav='/s/'\n", "/s/"},
      {"[Directory]\nWav=\"/half/\n", "\"/half/"},
      {"[Other]\nWav=/no/\n[Directory]\nGp3=/g/\nWav=/yes/\n", "/yes/"},
      {"[Directory]\nWav=/first/\nWav=/second/\n", "/first/"},
      {"\xEF\xBB\xBF[Directory]\nWav=/bom/", "/bom/"},
      {"[Directory]\n;Wav=/commented/\nWav=/real/\n", "/real/"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFileBytes(Ini(), c.file));
    EXPECT_EQ(TIniFile(Ini()).ReadText("Directory", "Wav", ""), c.expected) << c.file;
  }
}

TEST_F(Settings, MissingFileSectionOrKeyReadsAsDefault) {
  const char* files[] = {
      nullptr, "", "[Other]\nWav=/x/\n", "[Directory]\nGp3=/x/\n", "Wav=/outside/\n", "[Directory]\nWav\n"};
  for (const char* f : files) {
    if (f) {
      ASSERT_TRUE(WriteFileBytes(Ini(), f));
    }
    TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "") << (f ? f : "(no file)");
    EXPECT_EQ(ini.ReadText("Directory", "Wav", "dflt"), "dflt") << (f ? f : "(no file)");
  }
  std::filesystem::remove(Ini());
  std::filesystem::create_directory(Ini());  // a folder where the file should be
  EXPECT_EQ(TIniFile(Ini()).ReadText("Directory", "Wav", ""), "");
}

TEST_F(Settings, LongValuesAreCutTo2047Bytes) {
  const std::string e = "\xC3\xA9";  // é, two bytes
  struct Case {
    std::string stored;
    std::string expected;
  } cases[] = {
      {std::string(3000, 'a'), std::string(2047, 'a')},
      {std::string(2047, 'b'), std::string(2047, 'b')},
      {std::string(2045, 'c') + e + "zz", std::string(2045, 'c') + e},
      // a character across the limit is left out whole
      {std::string(2046, 'd') + e, std::string(2046, 'd')},
  };
  TIniFile ini(Ini());
  for (const Case& c : cases) {
    ini.WriteText("Directory", "Wav", c.stored);
    EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), c.expected) << c.stored.size();
  }
}

TEST_F(Settings, WriteKeepsEveryOtherLineByteForByte) {
  const std::string before =
      "; settings of the sound tool\r\n"
      "[Other]\r\n"
      "wav = keep  me \r\n"
      "\r\n"
      "[DIRECTORY]\r\n"
      "  Gp3 = old \r\n"
      "stray line\r\n"
      "\r\n"
      "[Last]\r\n"
      "x=1";
  ASSERT_TRUE(WriteFileBytes(Ini(), before));
  TIniFile ini(Ini());
  ini.WriteText("Directory", "Gp3", "/new/");
  std::string expected =
      "; settings of the sound tool\r\n[Other]\r\nwav = keep  me \r\n\r\n[DIRECTORY]\r\n"
      "Gp3=/new/\r\nstray line\r\n\r\n[Last]\r\nx=1";
  EXPECT_EQ(ReadFileBytes(Ini()), expected);

  ini.WriteText("Directory", "Wav", "/w/");
  expected =
      "; settings of the sound tool\r\n[Other]\r\nwav = keep  me \r\n\r\n[DIRECTORY]\r\n"
      "Gp3=/new/\r\nstray line\r\nWav=/w/\r\n\r\n[Last]\r\nx=1";
  EXPECT_EQ(ReadFileBytes(Ini()), expected);

  ini.WriteText("Added", "k", "v");
  expected += "\r\n[Added]\r\nk=v\r\n";
  EXPECT_EQ(ReadFileBytes(Ini()), expected);
  EXPECT_EQ(ini.ReadText("other", "WAV", ""), "keep  me");
}

TEST_F(Settings, SectionAtEndWithoutLineEndGetsKeyOnItsOwnLine) {
  ASSERT_TRUE(WriteFileBytes(Ini(), "[Directory]"));
  TIniFile ini(Ini());
  ini.WriteText("Directory", "Wav", "/w/");
  EXPECT_EQ(ReadFileBytes(Ini()), "[Directory]\nWav=/w/\n");
}

// A last line cut short after its CR: the CR is the line's ending, so the
// line means the same before the write completes that ending and after.
struct CutEndingCase {
  const char* label;
  const char* before;
  const char* wavBefore;  // what ReadText gives before the write
  const char* after;
};

void PrintTo(const CutEndingCase& c, std::ostream* os) { *os << c.label; }

class LastLineEndingInCr : public Settings, public ::testing::WithParamInterface<CutEndingCase> {};

TEST_P(LastLineEndingInCr, WrittenKeyReadsBackAndTheLineKeepsItsMeaning) {
  const CutEndingCase& c = GetParam();
  ASSERT_TRUE(WriteFileBytes(Ini(), c.before));
  TIniFile ini(Ini());
  EXPECT_EQ(ini.ReadText("Directory", "Wav", "-"), c.wavBefore);
  ini.WriteText("Directory", "Wav", "/v/");
  EXPECT_EQ(ReadFileBytes(Ini()), c.after);
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "/v/");
}

INSTANTIATE_TEST_SUITE_P(
    Files, LastLineEndingInCr,
    ::testing::Values(CutEndingCase{"UnclosedSection", "[Directory\r", "-", "[Directory\r\nWav=/v/\r\n"},
                      CutEndingCase{"Section", "[Directory]\r", "-", "[Directory]\r\nWav=/v/\r\n"},
                      CutEndingCase{"KeyOutsideAnySection", "Wav=x\r", "-", "Wav=x\r\n[Directory]\r\nWav=/v/\r\n"},
                      CutEndingCase{"KeyInSectionOfLfFile", "[Directory]\nWav=x\r", "x", "[Directory]\nWav=/v/\r"},
                      CutEndingCase{"SectionAfterLfLine", "; mine\n[Directory]\r", "-",
                                    "; mine\n[Directory]\r\nWav=/v/\n"}),
    [](const ::testing::TestParamInfo<CutEndingCase>& i) { return std::string(i.param.label); });

TEST_F(Settings, EveryCallGoesToTheFile) {
  TIniFile ini(Ini());
  ini.WriteText("Directory", "Wav", "/mine/");
  ASSERT_TRUE(WriteFileBytes(Ini(), "[Directory]\nWav=/changed by hand/\n"));
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "/changed by hand/");
  ini.WriteText("Directory", "Gp3", "/g/");
  EXPECT_EQ(ReadFileBytes(Ini()), "[Directory]\nWav=/changed by hand/\nGp3=/g/\n");
}

TEST_F(Settings, WriteToReadOnlyFileFailsAndKeepsIt) {
  ASSERT_TRUE(WriteFileBytes(Ini(), "[Directory]\nWav=/old/\n"));
  ASSERT_EQ(chmod(Ini().c_str(), 0444), 0);
  TIniFile ini(Ini());
  EXPECT_EQ(WriteError(ini, "Directory", "Wav", "/new/"), "Impossible d'écrire dans " + Ini());
  EXPECT_EQ(ReadFileBytes(Ini()), "[Directory]\nWav=/old/\n");
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "/old/");
}

TEST_F(Settings, WriteInUnwritableFolderFails) {
  ASSERT_TRUE(WriteFileBytes(dir / "plain", "x"));
  const std::string through = dir / "plain/S16c.ini";  // not even root can create this
  TIniFile ini(through);
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "");
  EXPECT_EQ(WriteError(ini, "Directory", "Wav", "/a/"), "Impossible d'écrire dans " + through);
  EXPECT_EQ(ReadFileBytes(dir / "plain"), "x");
}

TEST_F(Settings, WriteOnReadOnlyMountFails) {
  const std::string mnt = dir / "ro";
  ASSERT_TRUE(std::filesystem::create_directory(mnt));
  if (mount("tmpfs", mnt.c_str(), "tmpfs", MS_RDONLY, nullptr) != 0) GTEST_SKIP() << "mounting is refused here";
  MountGuard unmount{mnt};
  TIniFile ini(mnt + "/S16c.ini");
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "");
  EXPECT_EQ(WriteError(ini, "Directory", "Wav", "/a/"), "Impossible d'écrire dans " + mnt + "/S16c.ini");
}

TEST_F(Settings, ValuesThatWouldBreakTheFileAreRefused) {
  ASSERT_TRUE(WriteFileBytes(Ini(), "[Directory]\nWav=/old/\n"));
  TIniFile ini(Ini());
  const std::string expected = "Impossible d'écrire dans " + Ini();
  EXPECT_EQ(WriteError(ini, "Directory", "Wav", "/line\nbreak/"), expected);
  EXPECT_EQ(WriteError(ini, "Directory", "Wav", "/cr\rhere/"), expected);
  EXPECT_EQ(WriteError(ini, "Directory", "W=v", "/x/"), expected);
  EXPECT_EQ(WriteError(ini, "Dir]ectory", "Wav", "/x/"), expected);
  EXPECT_EQ(ReadFileBytes(Ini()), "[Directory]\nWav=/old/\n");
}

TEST_F(Settings, WriteThroughLinkKeepsTheLink) {
  ASSERT_TRUE(WriteFileBytes(dir / "real.ini", "[Directory]\nWav=/old/\n"));
  std::filesystem::create_symlink(dir / "real.ini", Ini());
  TIniFile ini(Ini());
  ini.WriteText("Directory", "Wav", "/new/");
  EXPECT_TRUE(std::filesystem::is_symlink(Ini()));
  EXPECT_EQ(ReadFileBytes(dir / "real.ini"), "[Directory]\nWav=/new/\n");
}

TEST_F(Settings, WriteThroughDanglingLinkCreatesItsTargetAndKeepsTheLink) {
  std::filesystem::create_symlink("target.ini", Ini());  // relative to the link's folder
  TIniFile ini(Ini());
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "");
  ini.WriteText("Directory", "Wav", "/new/");
  EXPECT_TRUE(std::filesystem::is_symlink(Ini()));
  EXPECT_EQ(ReadFileBytes(dir / "target.ini"), "[Directory]\nWav=/new/\n");
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "/new/");
}

TEST_F(Settings, LinksThatLeadNowhereAreRefusedAndKept) {
  struct Case {
    const char* name;
    std::string target;
  };
  const Case cases[] = {{"into a missing folder", dir / "gone/target.ini"},
                        {"to itself", Ini()},
                        {"through a plain file", dir / "plain/target.ini"}};
  ASSERT_TRUE(WriteFileBytes(dir / "plain", "x"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(Ini());
    std::filesystem::create_symlink(c.target, Ini());
    TIniFile ini(Ini(), TFolderCreation::Create);
    EXPECT_EQ(WriteError(ini, "Directory", "Wav", "/a/"), "Impossible d'écrire dans " + Ini());
    EXPECT_TRUE(std::filesystem::is_symlink(Ini()));
    EXPECT_EQ(std::filesystem::read_symlink(Ini()), c.target);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "gone")) << "folders are created for the file name only";
  EXPECT_EQ(ReadFileBytes(dir / "plain"), "x");
}

TEST_F(Settings, FirstWriteCreatesTheMissingFoldersForTheUserOnly) {
  const std::string folder = dir / "config/vantrel";
  TIniFile ini(folder + "/S16c.ini", TFolderCreation::Create);
  EXPECT_EQ(ini.ReadText("Directory", "Wav", ""), "");
  EXPECT_FALSE(std::filesystem::exists(dir / "config")) << "creating and reading touch no folder";
  ini.WriteText("Directory", "Wav", "/a/");
  EXPECT_EQ(ReadFileBytes(folder + "/S16c.ini"), "[Directory]\nWav=/a/\n");
  EXPECT_EQ(ModeOf(dir / "config"), 0700u);
  EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST_F(Settings, FolderThatCannotBeCreatedIsAWriteError) {
  ASSERT_TRUE(WriteFileBytes(dir / "plain", "x"));
  const std::string name = dir / "plain/vantrel/S16c.ini";  // not even root can create this
  TIniFile ini(name, TFolderCreation::Create);
  EXPECT_EQ(WriteError(ini, "Directory", "Wav", "/a/"), "Impossible d'écrire dans " + name);
  EXPECT_EQ(ReadFileBytes(dir / "plain"), "x");
}

TEST_F(Settings, SettingsFolderOnReadOnlyMountKeepsItsFile) {
  const std::string mnt = dir / "ro";
  ASSERT_TRUE(std::filesystem::create_directory(mnt));
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, nullptr) != 0) GTEST_SKIP() << "mounting is refused here";
  MountGuard unmount{mnt};
  ASSERT_TRUE(std::filesystem::create_directory(mnt + "/vantrel"));
  ASSERT_TRUE(WriteFileBytes(mnt + "/vantrel/S16c.ini", "; mine\n[Directory]\nWav=/old/\nGp3=/g/\n"));
  ASSERT_EQ(mount(nullptr, mnt.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  const std::string missing = mnt + "/other/S16c.ini";
  TIniFile cannotCreate(missing, TFolderCreation::Create);
  EXPECT_EQ(WriteError(cannotCreate, "Directory", "Wav", "/a/"), "Impossible d'écrire dans " + missing);
  TIniFile cannotWrite(mnt + "/vantrel/S16c.ini", TFolderCreation::Create);
  EXPECT_EQ(WriteError(cannotWrite, "Directory", "Wav", "/new/"),
            "Impossible d'écrire dans " + mnt + "/vantrel/S16c.ini");
  EXPECT_EQ(ReadFileBytes(mnt + "/vantrel/S16c.ini"), "; mine\n[Directory]\nWav=/old/\nGp3=/g/\n");
  EXPECT_EQ(cannotWrite.ReadText("Directory", "Gp3", ""), "/g/");
}

}  // namespace

namespace {

// What the reader makes of section and key names and of values that the
// table above does not cover.
TEST_F(Settings, ReadingRepeatedSectionsMismatchedQuotesAndLettersUpToZ) {
  struct Case {
    const char* file;
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"[Directory]\nWav=/first/\n[Other]\nWav=/other/\n[Directory]\nWav=/second/\n", "Directory", "Wav", "/first/"},
      {"[Directory]\nWav=\"/x/'\n", "Directory", "Wav", "\"/x/'"},
      {"[Directory]\nWav='/x/\"\n", "Directory", "Wav", "'/x/\""},
      {"[ZONE]\nWAVZ=/upper/\n", "zone", "wavz", "/upper/"},
      {"[zone]\nwavz=/lower/\n", "ZONE", "WAVZ", "/lower/"},
      {"[Zz]\nZz=/mixed/\n", "zZ", "zZ", "/mixed/"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFileBytes(Ini(), c.file));
    EXPECT_EQ(TIniFile(Ini()).ReadText(c.section, c.key, ""), c.expected) << c.file;
  }
}

}  // namespace
