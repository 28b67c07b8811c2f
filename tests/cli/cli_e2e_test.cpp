// The real program run from a script: no display, no settings, real WAV and
// MP3 files, the real decoder library. Every run gets a bare environment
// (no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM; HOME and XDG_CONFIG_HOME
// in a scratch folder) and starts in a scratch working folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "CliRun.h"
#include "SoundFiles.h"
#include "convert_support.h"

namespace {

using namespace cli_test;

struct RateCase {
  const char* name;
  uint32_t rate;
  const char* answer;
  enum { Copied, Halved, Untouched } result;
};

class CliToGame : public Cli, public ::testing::WithParamInterface<RateCase> {};

// Two runs into one game file: the first backs up the game's own data, the
// second keeps that backup and writes the new data.
TEST_P(CliToGame, WritesTheWindowsBytesAndBacksUpOnce) {
  const RateCase& c = GetParam();
  const std::string wav = files + "sound.wav";
  const std::string game = files + "bsound01.16";
  const Bytes original = {'G', 'A', 'M', 'E', ' ', 'D', 'A', 'T', 'A'};
  WriteFile(game, original);

  for (unsigned run = 1; run <= 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const Bytes data = MakeWav(wav, c.rate, run);
    const CliResult r = Vantrel({c.answer, "--to-game", wav, game});
    if (c.result == RateCase::Untouched) {
      EXPECT_EQ(r.exitStatus, 1);
      EXPECT_EQ(ReadFile(game), original);
      EXPECT_FALSE(Exists(game + ".bak"));
      EXPECT_TRUE(Contains(r.err, "sound.wav -> " + game + ": skipped: answered No (--no)")) << r.err;
      EXPECT_TRUE(Contains(r.err, "can make some strange sound!")) << r.err;
      EXPECT_EQ(r.out, "");
      continue;
    }
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(game), c.result == RateCase::Halved ? OddFrames(data) : data);
    EXPECT_EQ(ReadFile(game + ".bak"), original);
    std::string want = c.result == RateCase::Halved ? "Resampling sound.wav\n" : "";
    if (run == 1) want += "Backing up bsound01.16\n";
    want += "Deleting bsound01.16\nConverting sound.wav as bsound01.16\nThat's right\n";
    EXPECT_EQ(r.out, want);
  }
  // Nothing but the WAV, the game file and its backup: no temporary file stays.
  const size_t expected = c.result == RateCase::Untouched ? 2 : 3;
  EXPECT_EQ(Entries(files).size(), expected + 4);  // + home, config, work, tmp
}

INSTANTIATE_TEST_SUITE_P(Rates, CliToGame,
                         ::testing::Values(RateCase{"Rate22050Yes", 22050, "--yes", RateCase::Copied},
                                           RateCase{"Rate22050No", 22050, "--no", RateCase::Copied},
                                           RateCase{"Rate44100Yes", 44100, "--yes", RateCase::Halved},
                                           RateCase{"Rate44100No", 44100, "--no", RateCase::Halved},
                                           RateCase{"Rate48000Yes", 48000, "--yes", RateCase::Copied},
                                           RateCase{"Rate48000No", 48000, "--no", RateCase::Untouched}),
                         [](const ::testing::TestParamInfo<RateCase>& info) { return std::string(info.param.name); });

TEST_F(Cli, ABatchGoesOnPastAMissingWavAndAMissingGameFolder) {
  const Bytes first = MakeWav(files + "one.wav", 22050, 1);
  const Bytes fourth = MakeWav(files + "four.wav", 44100, 4);
  const CliResult r = Vantrel({"--to-game", files + "one.wav", files + "bsound01.16",  //
                               files + "missing.wav", files + "bsound02.16",           //
                               files + "one.wav", files + "nofolder/bsound03.16",      //
                               files + "four.wav", files + "tk4.st1"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(ReadFile(files + "bsound01.16"), first);
  EXPECT_EQ(ReadFile(files + "tk4.st1"), OddFrames(fourth));
  EXPECT_FALSE(Exists(files + "bsound02.16"));
  EXPECT_EQ(r.err, "vantrel: " + files + "missing.wav -> " + files + "bsound02.16: Fichier introuvable.\n" +
                       "vantrel: " + files + "one.wav -> " + files +
                       "nofolder/bsound03.16: Nom de fichier incorrect.\n");
  // The last pair's steps follow the failures on the output.
  EXPECT_TRUE(Contains(r.out, "Converting four.wav as tk4.st1\nThat's right\n")) << r.out;
}

TEST_F(Cli, AnUnusualRateIsSkippedWithoutATerminalToAsk) {
  MakeWav(files + "odd.wav", 11025);
  const CliResult r = Vantrel({"--to-game", files + "odd.wav", files + "bsound01.16"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_FALSE(Exists(files + "bsound01.16"));
  EXPECT_TRUE(Contains(r.err, "skipped: no terminal to answer on; give --yes or --no")) << r.err;
}

TEST_F(Cli, AGaugeIsNoTerminalSoNoBarIsDrawn) {
  // A WAV big enough to move the gauge through every percentage.
  WriteFile(files + "cd.wav", WavBytes(44100, Pattern(400000)));
  const CliResult r = Vantrel({"--to-game", files + "cd.wav", files + "bsound01.16"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

class CliMp3 : public Cli {
 protected:
  static void SetUpTestSuite() {
    static TempDir data;
    if (!g_data.empty()) return;
    if (MakeMp3(data / "song.mp3", 2, "sine 440 sine 660") && DecodeWithMpg123(data / "song.mp3", data / "ref.wav"))
      g_data = data.Path();
  }
  void SetUp() override {
    Cli::SetUp();
    ASSERT_FALSE(g_data.empty()) << "sox, lame and mpg123 make the MP3 and its reference decoding";
  }
  static std::string g_data;
};
std::string CliMp3::g_data;

TEST_F(CliMp3, WavsAreByteIdenticalToMpg123sBesideTheMp3OrInTheOutDir) {
  WriteFile(files + "a.mp3", ReadFile(g_data + "song.mp3"));
  WriteFile(files + "B.MP3", ReadFile(g_data + "song.mp3"));
  const Bytes reference = ReadFile(g_data + "ref.wav");

  CliResult r = Vantrel({"--mp3-to-wav", files + "a.mp3", files + "B.MP3"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "Processing: a.mp3\nSaved as: " + files + "a.wav\nProcessing: B.MP3\nSaved as: " + files + "B.wav\n");
  EXPECT_EQ(ReadFile(files + "a.wav"), reference);
  EXPECT_EQ(ReadFile(files + "B.wav"), reference);

  ASSERT_EQ(mkdir((files + "out").c_str(), 0755), 0);
  r = Vantrel({"--mp3-to-wav", files + "a.mp3", "--out-dir", files + "out"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "Processing: a.mp3\nSaved as: " + files + "out/a.wav\n");
  EXPECT_EQ(ReadFile(files + "out/a.wav"), reference);
}

TEST_F(CliMp3, AMissingMp3FailsAndTheNextIsStillDecoded) {
  WriteFile(files + "a.mp3", ReadFile(g_data + "song.mp3"));
  const CliResult r = Vantrel({"--mp3-to-wav", files + "gone.mp3", files + "a.mp3"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "vantrel: " + files + "gone.mp3: Fichier introuvable.\n");
  EXPECT_EQ(ReadFile(files + "a.wav"), ReadFile(g_data + "ref.wav"));
}

TEST_F(CliMp3, WithoutItsLibraryTheProgramSaysMpegDllNotFound) {
  // The copy finds no library beside itself nor in its own private library
  // folder (../lib/vantrel/ from its folder).
  const std::string bin = dir / "bin/";
  ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
  fs::copy_file(VANTREL_PROGRAM, bin + "vantrel");
  WriteFile(files + "a.mp3", ReadFile(g_data + "song.mp3"));
  const CliResult r = Vantrel({"--mp3-to-wav", files + "a.mp3"}, bin + "vantrel", false);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(Contains(r.err, "vantrel: " + files + "a.mp3: MpegDll Not Found !!\n")) << r.err;
  EXPECT_FALSE(Exists(files + "a.wav"));
}

// Neither face leaves settings or temporary files anywhere: not in the home
// or configuration folders, the working folder, the temporary folder, nor
// beside the program, where a file of the WAV's name stays as it was.
TEST_F(CliMp3, NoSettingsFileOrTemporaryFileIsLeftAnywhere) {
  const std::string bin = dir / "bin/";
  ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
  fs::copy_file(VANTREL_PROGRAM, bin + "vantrel");
  fs::create_symlink(fs::path(VANTREL_PROGRAM).parent_path() / "libmpegdll.so", bin + "libmpegdll.so");
  const Bytes usersFile = {'m', 'i', 'n', 'e'};
  WriteFile(bin + "cd.wav", usersFile);
  WriteFile(files + "a.mp3", ReadFile(g_data + "song.mp3"));
  const Bytes data = MakeWav(files + "cd.wav", 44100);

  CliResult r = Vantrel({"--to-game", files + "cd.wav", files + "bsound01.16"}, bin + "vantrel");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(ReadFile(files + "bsound01.16"), OddFrames(data));
  r = Vantrel({"--mp3-to-wav", files + "a.mp3"}, bin + "vantrel");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  for (const std::string& d : {home, config, work, temp}) EXPECT_TRUE(Entries(d).empty()) << d;
  EXPECT_EQ(Entries(bin).size(), 3u);
  EXPECT_EQ(ReadFile(bin + "cd.wav"), usersFile);
}

TEST_F(Cli, AGameFileThatIsTheWavItselfIsRefused) {
  const std::string wav = files + "sound.wav";
  MakeWav(wav, 44100);
  const Bytes before = ReadFile(wav);
  ASSERT_EQ(symlink(wav.c_str(), (files + "link.16").c_str()), 0);
  for (const std::string& game : {files + "./sound.wav", files + "link.16"}) {
    const CliResult r = Vantrel({"--to-game", wav, game});
    EXPECT_EQ(r.exitStatus, 1) << game;
    const std::string end = "\nNothing changed!\n";
    EXPECT_TRUE(r.err.size() > end.size() && r.err.compare(r.err.size() - end.size(), end.size(), end) == 0) << r.err;
    EXPECT_EQ(ReadFile(wav), before) << game;
  }
}

TEST_F(Cli, AnOutDirThatIsNoFolderIsSaidOnceAndNothingRuns) {
  WriteFile(files + "a.mp3", {});
  const CliResult r = Vantrel({"--mp3-to-wav", files + "a.mp3", "--out-dir", files + "a.mp3"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "vantrel: --out-dir " + files + "a.mp3 is not a folder\n");
  EXPECT_EQ(r.out, "");
}

const std::string kTryHelp = "Try 'vantrel --help' for more information.\n";

struct WrongCase {
  const char* name;
  Args args;
  const char* firstLine;  // of standard error, without "vantrel: " and the line end
};

class CliWrong : public Cli, public ::testing::WithParamInterface<WrongCase> {};

// coreutils' way: what is wrong, where to read more, nothing else anywhere.
TEST_P(CliWrong, SaysWhatIsWrongOnOneLineAndExitsWithTwo) {
  const WrongCase& c = GetParam();
  WriteFile(files + "a.wav", WavBytes(22050, Pattern(80)));
  const CliResult r = Vantrel(c.args);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "vantrel: " + std::string(c.firstLine) + "\n" + kTryHelp);
  EXPECT_FALSE(Exists(files + "bsound01.16"));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CliWrong,
    ::testing::Values(
        WrongCase{"UnknownLongOption", {"--frobnicate"}, "unrecognized option '--frobnicate'"},
        WrongCase{"UnknownShortOption", {"-x", "--to-game", "a.wav", "bsound01.16"}, "invalid option -- 'x'"},
        WrongCase{"FlagWithArgument", {"--help=me"}, "option '--help' doesn't allow an argument"},
        WrongCase{"NoCommand", {"a.wav"}, "give --to-game, --mp3-to-wav or --restore"},
        WrongCase{"NoPairs", {"--to-game"}, "--to-game needs a WAV and a game sound file"},
        WrongCase{"OddOperands",
                  {"--to-game", "a.wav", "bsound01.16", "c.wav"},
                  "--to-game needs pairs: the last WAV has no game sound file"},
        WrongCase{"NoMp3", {"--mp3-to-wav"}, "--mp3-to-wav needs an MP3 file"},
        WrongCase{
            "OutDirWithoutFolder", {"--mp3-to-wav", "a.mp3", "--out-dir"}, "option '--out-dir' requires an argument"},
        WrongCase{"NoGameFileToRestore", {"-q", "--restore"}, "--restore needs a game sound file"},
        WrongCase{"TwoCommands",
                  {"--restore", "--to-game", "a.wav", "bsound01.16"},
                  "--to-game and --restore cannot be combined"},
        WrongCase{"ResampleForRestore", {"--restore", "--resample", "bsound01.16"}, "--resample belongs to --to-game"},
        WrongCase{"ResampleWithNo",
                  {"--resample", "--no", "--to-game", "a.wav", "bsound01.16"},
                  "--resample asks no question: leave out --yes and --no"}),
    [](const ::testing::TestParamInfo<WrongCase>& info) { return std::string(info.param.name); });

TEST_F(Cli, HelpInBothSpellingsGoesToStandardOutput) {
  for (const char* option : {"-h", "--help"}) {
    const CliResult r = Vantrel({option});
    EXPECT_EQ(r.exitStatus, 0) << option;
    EXPECT_EQ(r.err, "") << option;
    EXPECT_EQ(r.out.rfind("Usage: vantrel [-q] [--yes | --no | --resample] --to-game WAV GAMEFILE", 0), 0u) << r.out;
  }
}

TEST_F(Cli, VersionInBothSpellingsNamesTheProgramAndItsVersion) {
  for (const char* option : {"-V", "--version", "-qV"}) {
    const CliResult r = Vantrel({option});
    EXPECT_EQ(r.exitStatus, 0) << option;
    EXPECT_EQ(r.out, "vantrel 2.0\n") << option;
    EXPECT_EQ(r.err, "") << option;
  }
}

TEST_F(Cli, QuietWritesNoStatusButStillTheErrors) {
  const Bytes data = MakeWav(files + "one.wav", 44100);
  for (const char* option : {"-q", "--quiet"}) {
    const CliResult r =
        Vantrel({option, "--to-game", files + "one.wav", files + "bsound01.16", files + "gone.wav", files + "tk1.st1"});
    EXPECT_EQ(r.exitStatus, 1) << option;
    EXPECT_EQ(r.out, "") << option;
    EXPECT_EQ(r.err, "vantrel: " + files + "gone.wav -> " + files + "tk1.st1: Fichier introuvable.\n") << option;
    EXPECT_EQ(ReadFile(files + "bsound01.16"), OddFrames(data)) << option;
  }
}

// The filter's own results are shown on the conversion (convert_resample_test);
// here the option's way through the program.
TEST_F(Cli, ResampleBrings48000HzTo22050HzWithoutAQuestionAndKeeps22050HzAsItIs) {
  // Half a second of stereo at 48000 Hz; 22050 Hz data is copied byte for byte.
  WriteFile(files + "dat.wav", WavBytes(48000, Bytes(24000 * 4, 0)));
  const Bytes data = MakeWav(files + "game.wav", 22050);
  const CliResult r = Vantrel(
      {"--resample", "--to-game", files + "dat.wav", files + "bsound01.16", files + "game.wav", files + "tk1.st1"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(files + "bsound01.16").size(), 11025u * 4);
  EXPECT_EQ(ReadFile(files + "tk1.st1"), data);
  EXPECT_EQ(r.out,
            "Resampling dat.wav\nBacking up bsound01.16\nDeleting bsound01.16\nConverting dat.wav as bsound01.16\n"
            "That's right\nBacking up tk1.st1\nDeleting tk1.st1\nConverting game.wav as tk1.st1\nThat's right\n");
  EXPECT_TRUE(Entries(temp).empty());
}

TEST_F(Cli, ResampleRefusesARateOutOfItsRangeAndGoesOn) {
  MakeWav(files + "low.wav", 4000);
  const Bytes data = MakeWav(files + "game.wav", 22050);
  const CliResult r = Vantrel(
      {"--resample", "--to-game", files + "low.wav", files + "bsound01.16", files + "game.wav", files + "tk1.st1"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "vantrel: " + files + "low.wav -> " + files +
                       "bsound01.16: A rate of 4000 Hz cannot be resampled: 8000 to 192000 Hz\nNothing changed!\n");
  EXPECT_FALSE(Exists(files + "bsound01.16"));
  EXPECT_EQ(ReadFile(files + "tk1.st1"), data);
}

TEST_F(Cli, RestoreGivesBackTheOriginalBytesAndKeepsTheBackup) {
  const std::string game = files + "bsound01.16";
  const Bytes original = Pattern(100000, 7);
  WriteFile(game, original);
  ASSERT_EQ(chmod(game.c_str(), 0640), 0);
  MakeWav(files + "one.wav", 22050);
  ASSERT_EQ(Vantrel({"--to-game", files + "one.wav", game}).exitStatus, 0);
  ASSERT_NE(ReadFile(game), original);

  CliResult r = Vantrel({"--restore", game});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "Restoring bsound01.16\nThat's right\n");
  EXPECT_EQ(ReadFile(game), original);
  EXPECT_EQ(ReadFile(game + ".bak"), original);
  // Nothing but the WAV, the game file and its backup: no new file stays.
  EXPECT_EQ(Entries(files).size(), 3u + 4);

  // Once more after a second conversion: the first backup is still the game's own.
  ASSERT_EQ(Vantrel({"--to-game", files + "one.wav", game}).exitStatus, 0);
  r = Vantrel({"-q", "--restore", game});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadFile(game), original);
}

TEST_F(Cli, RestoreWithoutABackupChangesNothingAndGoesOn) {
  const Bytes mine = {'m', 'i', 'n', 'e'};
  const Bytes theirs = Pattern(5000, 3);
  WriteFile(files + "bsound01.16", mine);
  WriteFile(files + "tk1.st1", Pattern(10, 2));
  WriteFile(files + "tk1.st1.bak", theirs);
  ASSERT_EQ(mkdir((files + "bsound02.16.bak").c_str(), 0755), 0);
  WriteFile(files + "bsound02.16", mine);

  const CliResult r = Vantrel({"--restore", files + "bsound01.16", files + "bsound02.16", files + "tk1.st1"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "vantrel: " + files + "bsound01.16: There is no backup " + files + "bsound01.16.bak\n" +
                       "Nothing changed!\n" + "vantrel: " + files + "bsound02.16: The backup " + files +
                       "bsound02.16.bak is not a regular file\n" + "Nothing changed!\n");
  EXPECT_EQ(ReadFile(files + "bsound01.16"), mine);
  EXPECT_EQ(ReadFile(files + "bsound02.16"), mine);
  EXPECT_FALSE(Exists(files + "bsound01.16.bak"));
  // The batch goes on past both.
  EXPECT_EQ(ReadFile(files + "tk1.st1"), theirs);
  EXPECT_EQ(r.out, "Restoring tk1.st1\nThat's right\n");
  EXPECT_EQ(Entries(files).size(), 5u + 4);
}

TEST_F(Cli, RestoreIntoAFolderIsRefused) {
  ASSERT_EQ(mkdir((files + "bsound01.16").c_str(), 0755), 0);
  WriteFile(files + "bsound01.16.bak", Pattern(10));
  const CliResult r = Vantrel({"--restore", files + "bsound01.16"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err.rfind("vantrel: " + files + "bsound01.16: ", 0), 0u) << r.err;
  EXPECT_TRUE(fs::is_directory(files + "bsound01.16"));
  EXPECT_EQ(r.out, "");
}

}  // namespace
