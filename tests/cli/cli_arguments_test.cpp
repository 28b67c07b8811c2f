// What the command line's arguments ask for. The exit statuses and where the
// usage goes are shown on the real program (cli_e2e_test); here the meaning
// of well-formed lines and the reason given for wrong ones.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "Resampler.h"

namespace {

using Args = std::vector<std::string>;

TEST(CliArguments, ToGamePairsKeepTheirOrderWhereverTheOptionsStand) {
  const TParsedCommandLine p = ParseCommandLine({"a.wav", "bsound01.16", "--yes", "--to-game", "b.wav", "tk1.st1"});
  ASSERT_TRUE(p.Ok) << p.Error;
  EXPECT_EQ(p.Line.Action, TCliAction::ToGame);
  EXPECT_EQ(p.Line.Answer, TRateAnswer::Yes);
  const std::vector<std::pair<std::string, std::string>> want{{"a.wav", "bsound01.16"}, {"b.wav", "tk1.st1"}};
  EXPECT_EQ(p.Line.Pairs, want);
}

TEST(CliArguments, RateAnswerIsAskedUnlessGiven) {
  EXPECT_EQ(ParseCommandLine({"--to-game", "a", "b"}).Line.Answer, TRateAnswer::Ask);
  EXPECT_EQ(ParseCommandLine({"--no", "--to-game", "a", "b"}).Line.Answer, TRateAnswer::No);
}

TEST(CliArguments, DoubleDashLetsFilesBeginWithADash) {
  const TParsedCommandLine p = ParseCommandLine({"--to-game", "--", "--yes", "-g.16"});
  ASSERT_TRUE(p.Ok) << p.Error;
  ASSERT_EQ(p.Line.Pairs.size(), 1u);
  EXPECT_EQ(p.Line.Pairs[0].first, "--yes");
  EXPECT_EQ(p.Line.Answer, TRateAnswer::Ask);
}

TEST(CliArguments, OutDirInBothSpellings) {
  for (const Args& args : {Args{"--mp3-to-wav", "a.mp3", "--out-dir", "/music", "b.mp3"},
                           Args{"--out-dir=/music", "--mp3-to-wav", "a.mp3", "b.mp3"}}) {
    const TParsedCommandLine p = ParseCommandLine(args);
    ASSERT_TRUE(p.Ok) << p.Error;
    EXPECT_EQ(p.Line.Action, TCliAction::Mp3ToWav);
    EXPECT_EQ(p.Line.OutDir, "/music");
    EXPECT_EQ(p.Line.Mp3s, (Args{"a.mp3", "b.mp3"}));
  }
}

TEST(CliArguments, HelpAndVersionWinOverTheOtherArguments) {
  EXPECT_EQ(ParseCommandLine({"--to-game", "a", "--help"}).Line.Action, TCliAction::Help);
  EXPECT_EQ(ParseCommandLine({"--version", "--mp3-to-wav", "--yes"}).Line.Action, TCliAction::Version);
  EXPECT_EQ(ParseCommandLine({"-h"}).Line.Action, TCliAction::Help);
  EXPECT_EQ(ParseCommandLine({"-V"}).Line.Action, TCliAction::Version);
}

TEST(CliArguments, ShortOptionsMayBeBundled) {
  const TParsedCommandLine p = ParseCommandLine({"-qV"});
  ASSERT_TRUE(p.Ok) << p.Error;
  EXPECT_EQ(p.Line.Action, TCliAction::Version);
  EXPECT_TRUE(p.Line.Quiet);
  EXPECT_TRUE(ParseCommandLine({"--to-game", "a", "b", "--quiet"}).Line.Quiet);
  EXPECT_FALSE(ParseCommandLine({"--to-game", "a", "b"}).Line.Quiet);
}

TEST(CliArguments, RestoreTakesGameFiles) {
  const TParsedCommandLine p = ParseCommandLine({"--restore", "bsound01.16", "-q", "tk1.st1"});
  ASSERT_TRUE(p.Ok) << p.Error;
  EXPECT_EQ(p.Line.Action, TCliAction::Restore);
  EXPECT_EQ(p.Line.GameFiles, (Args{"bsound01.16", "tk1.st1"}));
}

TEST(CliArguments, ResampleIsAskedForWithToGame) {
  const TParsedCommandLine p = ParseCommandLine({"--resample", "--to-game", "a.wav", "bsound01.16"});
  if (!kResamplerBuiltIn) {
    // A build without the resampler says so instead.
    EXPECT_FALSE(p.Ok);
    EXPECT_EQ(p.Error, "--resample is not part of this build");
    return;
  }
  ASSERT_TRUE(p.Ok) << p.Error;
  EXPECT_TRUE(p.Line.Resample);
  EXPECT_FALSE(ParseCommandLine({"--to-game", "a.wav", "bsound01.16"}).Line.Resample);
}

struct WrongLine {
  const char* name;
  Args args;
  const char* reason;  // part of the error text
};

class CliWrongArguments : public ::testing::TestWithParam<WrongLine> {};

TEST_P(CliWrongArguments, AreRefusedWithTheirReason) {
  const TParsedCommandLine p = ParseCommandLine(GetParam().args);
  EXPECT_FALSE(p.Ok);
  EXPECT_NE(p.Error.find(GetParam().reason), std::string::npos) << p.Error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CliWrongArguments,
    ::testing::Values(WrongLine{"Nothing", {}, "give --to-game, --mp3-to-wav or --restore"},
                      WrongLine{"UnknownShortOption", {"--to-game", "a", "b", "-x"}, "invalid option -- 'x'"},
                      WrongLine{"UnknownLetterInABundle", {"-qx"}, "invalid option -- 'x'"},
                      WrongLine{"UnknownLongOption", {"--frobnicate"}, "unrecognized option '--frobnicate'"},
                      WrongLine{"FlagWithArgument", {"--quiet=yes"}, "option '--quiet' doesn't allow an argument"},
                      WrongLine{"RestoreWithoutFiles", {"--restore"}, "--restore needs a game sound file"},
                      WrongLine{"RestoreAndToGame", {"--to-game", "--restore", "a", "b"}, "cannot be combined"},
                      WrongLine{"ResampleForMp3", {"--mp3-to-wav", "--resample", "a.mp3"}, "belongs to --to-game"},
                      WrongLine{"ResampleWithAnAnswer",
                                {"--resample", "--yes", "--to-game", "a", "b"},
                                "--resample asks no question"},
                      WrongLine{"AnswerForRestore", {"--restore", "--no", "a.16"}, "belong to --to-game"},
                      WrongLine{"OddOperands", {"--to-game", "a", "b", "c"}, "pairs"},
                      WrongLine{"NoPairs", {"--to-game"}, "needs a WAV"},
                      WrongLine{"NoMp3", {"--mp3-to-wav", "--out-dir", "x"}, "needs an MP3"},
                      WrongLine{"BothCommands", {"--to-game", "--mp3-to-wav", "a", "b"}, "cannot be combined"},
                      WrongLine{"YesAndNo", {"--yes", "--no", "--to-game", "a", "b"}, "cannot be combined"},
                      WrongLine{"AnswerForMp3", {"--mp3-to-wav", "--yes", "a.mp3"}, "belong to --to-game"},
                      WrongLine{"OutDirForGame", {"--to-game", "a", "b", "--out-dir", "x"}, "belongs to --mp3-to-wav"},
                      WrongLine{"OutDirWithoutFolder",
                                {"--mp3-to-wav", "a.mp3", "--out-dir"},
                                "option '--out-dir' requires an argument"},
                      WrongLine{"OutDirEmpty", {"--mp3-to-wav", "a.mp3", "--out-dir="}, "needs a folder"},
                      WrongLine{"OutDirTwice", {"--mp3-to-wav", "a", "--out-dir=x", "--out-dir=y"}, "twice"}),
    [](const ::testing::TestParamInfo<WrongLine>& info) { return std::string(info.param.name); });

}  // namespace
