// The program's files and the user's when the run does not end as planned:
// standard output closed, full or without a reader, and a signal at any write
// (given by strace, which sends it as the chosen write system call is made).

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "CliFixture.h"

namespace {

using namespace cli_test;

// Whether strace may trace a child here (ptrace can be refused in containers).
bool StraceWorks() {
  static const bool works = std::system("strace -f -qq -o /dev/null true >/dev/null 2>&1") == 0;
  return works;
}

class CliSafety : public Cli {
 protected:
  // The run as strace starts it, with 'signal' sent at the when-th write.
  CliRun Interrupted(const Args& args, const char* signal, int when) {
    CliRun run = RunOf(args);
    Args traced = {
        "-f",       "-qq",         "-o", "/dev/null",
        "-e",       "trace=write", "-e", "inject=write:signal=" + std::string(signal) + ":when=" + std::to_string(when),
        run.program};
    traced.insert(traced.end(), args.begin(), args.end());
    run.program = "/usr/bin/strace";
    run.args = traced;
    return run;
  }

  // Everything in the game folder that does not start with a dot... and
  // what does: the hidden files of a run.
  std::vector<std::string> Hidden(const std::string& folder) {
    std::vector<std::string> hidden;
    for (const std::string& name : Entries(folder))
      if (name[0] == '.') hidden.push_back(name);
    return hidden;
  }

  void SetUp() override {
    Cli::SetUp();
    ASSERT_EQ(mkdir(gameDir.c_str(), 0755), 0);
  }

  const std::string gameDir = files + "game/";
};

struct OutCase {
  const char* name;
  CliRun::TOut out;
};

class CliStandardOutput : public CliSafety, public ::testing::WithParamInterface<OutCase> {};

// Standard output that takes nothing: the file in hand is finished, no other
// is started, the WAV is untouched, nothing is left, and the status is 1.
TEST_P(CliStandardOutput, ThatFailsEndsTheBatchWithStatusOne) {
  const std::string wav = files + "one.wav";
  const Bytes data = MakeWav(wav, 44100, 1);
  const Bytes wavBytes = ReadFile(wav);
  CliRun run = RunOf({"--to-game", wav, gameDir + "bsound01.16", wav, gameDir + "bsound02.16"});
  run.out = GetParam().out;
  const CliResult r = Start(run);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(Contains(r.err, "vantrel: write error: ")) << r.err;
  EXPECT_EQ(ReadFile(wav), wavBytes);
  EXPECT_EQ(ReadFile(gameDir + "bsound01.16"), OddFrames(data));
  EXPECT_FALSE(Exists(gameDir + "bsound02.16"));
  EXPECT_TRUE(Hidden(gameDir).empty());
  EXPECT_TRUE(Entries(temp).empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, CliStandardOutput,
                         ::testing::Values(OutCase{"DevFull", CliRun::TOut::DevFull},
                                           OutCase{"PipeWithoutReader", CliRun::TOut::ClosedPipe}),
                         [](const ::testing::TestParamInfo<OutCase>& info) { return std::string(info.param.name); });

// A closed standard output is no place for a file: the WAV the program
// opens never takes its descriptor, and the run goes as usual.
TEST_F(CliSafety, ClosedStandardOutputLeavesTheWavAlone) {
  const std::string wav = files + "one.wav";
  const Bytes data = MakeWav(wav, 22050, 1);
  const Bytes wavBytes = ReadFile(wav);
  CliRun run = RunOf({"--to-game", wav, gameDir + "bsound01.16"});
  run.out = CliRun::TOut::Closed;
  const CliResult r = Start(run);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(ReadFile(wav), wavBytes);
  EXPECT_EQ(ReadFile(gameDir + "bsound01.16"), data);
}

struct SignalCase {
  const char* name;
  int number;
};

class CliSignal : public CliSafety, public ::testing::WithParamInterface<SignalCase> {};

// A 44100 Hz conversion over an existing game file makes about 130 writes:
// the status lines, the halving into the private folder, the backup copy,
// the new game data. Wherever the signal comes, the program ends by it and
// leaves the user's files as they were before the run, or (once the new game
// file is in place) with the run complete; nothing of its own stays.
TEST_P(CliSignal, AtAnyWriteLeavesNothingOfTheRunAndTheUsersFilesWhole) {
  if (!StraceWorks()) GTEST_SKIP() << "strace cannot trace here";
  const SignalCase& c = GetParam();
  const std::string wav = files + "one.wav";
  const std::string game = gameDir + "bsound01.16";
  const Bytes data = Pattern(400000, 3);
  WriteFile(wav, WavBytes(44100, data));
  const Bytes wavBytes = ReadFile(wav);
  const Bytes original = Pattern(1000000, 7);
  for (const int when : {1, 2, 40, 90, 102, 103, 104, 110, 118, 119, 120, 121, 122, 124}) {
    SCOPED_TRACE("signal at write " + std::to_string(when));
    WriteFile(game, original);
    std::error_code ignored;
    fs::remove(game + ".bak", ignored);
    const CliResult r = Start(Interrupted({"--to-game", wav, game}, c.name, when));
    EXPECT_EQ(ReadFile(wav), wavBytes);
    EXPECT_TRUE(Entries(temp).empty());
    EXPECT_TRUE(Hidden(gameDir).empty());
    const bool replaced = ReadFile(game) != original;
    if (replaced) {
      EXPECT_EQ(ReadFile(game), OddFrames(data));
      EXPECT_EQ(ReadFile(game + ".bak"), original);
    } else {
      EXPECT_FALSE(Exists(game + ".bak"));
      EXPECT_EQ(r.signal, c.number) << r.out << r.err;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Endings, CliSignal,
                         ::testing::Values(SignalCase{"INT", SIGINT}, SignalCase{"TERM", SIGTERM},
                                           SignalCase{"HUP", SIGHUP}),
                         [](const ::testing::TestParamInfo<SignalCase>& info) { return std::string(info.param.name); });

// Killed outright while the backup is copied: at most a hidden file stays,
// never a backup that is not whole, and the next run backs up the original.
TEST_F(CliSafety, ARunKilledDuringTheBackupLeavesNoPartialBackup) {
  if (!StraceWorks()) GTEST_SKIP() << "strace cannot trace here";
  const std::string wav = files + "one.wav";
  const std::string game = gameDir + "bsound01.16";
  const Bytes data = MakeWav(wav, 22050, 1);
  const Bytes original = Pattern(1000000, 9);
  WriteFile(game, original);
  // Write 1 is "Backing up bsound01.16"; the copy's 16 blocks follow.
  const CliResult killed = Start(Interrupted({"--to-game", wav, game}, "KILL", 6));
  EXPECT_EQ(killed.signal, SIGKILL);
  EXPECT_FALSE(Exists(game + ".bak"));
  EXPECT_EQ(ReadFile(game), original);

  const CliResult again = Vantrel({"--to-game", wav, game});
  EXPECT_EQ(again.exitStatus, 0) << again.err;
  EXPECT_EQ(ReadFile(game + ".bak"), original);
  EXPECT_EQ(ReadFile(game), data);
}

}  // namespace

namespace {

// Where the file at fault is not one the user named, the error line names it
// after the window's text.
TEST_F(CliSafety, AnUnusableTemporaryFolderIsNamed) {
  const std::string wav = files + "one.wav";
  MakeWav(wav, 44100, 1);
  CliRun run = RunOf({"--to-game", wav, gameDir + "bsound01.16"});
  run.env["TMPDIR"] = files + "no-such-folder/";
  const CliResult r = Start(run);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(Contains(r.err, "Nothing changed! (" + files + "no-such-folder)")) << r.err;
  EXPECT_FALSE(Exists(gameDir + "bsound01.16"));
}

TEST_F(CliSafety, AReadOnlyWavInTheWayOfADecodeIsNamed) {
  const std::string mp3 = files + "song.mp3";
  ASSERT_TRUE(MakeMp3(mp3, 1, "sine 440"));
  const std::string wav = files + "song.wav";
  WriteFile(wav, Bytes{'o', 'l', 'd'});
  ASSERT_EQ(chmod(wav.c_str(), 0444), 0);
  const CliResult r = Vantrel({"--mp3-to-wav", mp3});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(Contains(r.err, "vantrel: " + mp3 + ": ")) << r.err;
  EXPECT_TRUE(Contains(r.err, " (" + wav + ")")) << r.err;
  EXPECT_EQ(ReadFile(wav), (Bytes{'o', 'l', 'd'}));
}

}  // namespace

namespace {

class CliDecodeSignal : public CliSafety, public ::testing::WithParamInterface<SignalCase> {};

// A decode over an old WAV ended by a signal: the old WAV stays whole and
// nothing else is left beside it, wherever the signal comes.
TEST_P(CliDecodeSignal, LeavesTheOldWavWholeAndNothingBeside) {
  if (!StraceWorks()) GTEST_SKIP() << "strace cannot trace here";
  const SignalCase& c = GetParam();
  const std::string folder = files + "music/";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string mp3 = folder + "song.mp3";
  ASSERT_TRUE(MakeMp3(mp3, 20, "sine 440"));
  const std::string wav = folder + "song.wav";
  const Bytes old = Pattern(5000, 4);
  for (const int when : {1, 3, 6}) {
    SCOPED_TRACE("signal at write " + std::to_string(when));
    WriteFile(wav, old);
    const CliResult r = Start(Interrupted({"--mp3-to-wav", mp3}, c.name, when));
    EXPECT_EQ(r.signal, c.number) << r.out << r.err;
    EXPECT_EQ(ReadFile(wav), old);
    EXPECT_EQ(Entries(folder).size(), 2u);
  }
}

INSTANTIATE_TEST_SUITE_P(Endings, CliDecodeSignal,
                         ::testing::Values(SignalCase{"INT", SIGINT}, SignalCase{"TERM", SIGTERM}),
                         [](const ::testing::TestParamInfo<SignalCase>& info) { return std::string(info.param.name); });

}  // namespace
