// The window's parts as the command line provides them, on in-memory
// streams so that a terminal can be played: the text gauge, the answers to
// the rate question, the file "dialog" that takes the given name, and the
// folder picker behind --out-dir with the real decoder library.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Batches.h"
#include "Console.h"
#include "ConsoleFaces.h"
#include "MPEGPlay.h"
#include "SoundFiles.h"
#include "convert_support.h"

namespace {

// A stream whose whole content can be read back at any time.
class MemoryStream {
 public:
  MemoryStream() : file_(open_memstream(&data_, &size_)) {}
  ~MemoryStream() {
    std::fclose(file_);
    std::free(data_);
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  std::FILE* file() { return file_; }
  std::string text() {
    std::fflush(file_);
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  std::FILE* file_;
};

std::string Bar(int percent) {
  const int filled = percent * TTextGauge::kBarWidth / 100;
  return "\r[" + std::string(filled, '#') + std::string(TTextGauge::kBarWidth - filled, '-') + "] " +
         std::to_string(percent) + "%";
}
const std::string kErased = "\r" + std::string(TTextGauge::kBarWidth + 7, ' ') + "\r";

TEST(CliTextGauge, DrawsOnlyWhenThePercentageChangesAndLeavesNoBarAtZero) {
  MemoryStream terminal;
  TTextGauge gauge(terminal.file());
  gauge.SetMaxValue(200);
  gauge.SetProgress(1);  // 0 %: nothing yet
  EXPECT_EQ(terminal.text(), "");
  gauge.SetProgress(2);
  gauge.SetProgress(3);    // still 1 %
  gauge.SetProgress(500);  // held at the maximum
  EXPECT_EQ(gauge.Progress(), 200);
  gauge.SetProgress(0);
  EXPECT_EQ(terminal.text(), Bar(1) + Bar(100) + kErased);
}

TEST(CliTextGauge, ALowerMaximumPullsProgressDownAndAnEmptyRangeShowsNothing) {
  MemoryStream terminal;
  TTextGauge gauge(terminal.file());
  gauge.SetMaxValue(10);
  gauge.SetProgress(5);
  gauge.SetMaxValue(-3);
  EXPECT_EQ(gauge.MaxValue(), 0);
  EXPECT_EQ(gauge.Progress(), 0);
  EXPECT_EQ(terminal.text(), Bar(50) + kErased);
}

TEST(CliConsole, StatusLinesGoOutAndErrorsNameTheFileAfterTheBarIsTakenAway) {
  MemoryStream out, err;
  TConsoleStreams streams{out.file(), err.file(), stdin, false, true};
  TConsole console(streams);
  console.BeginFile("a.wav -> bsound01.16");
  console.Gauge().SetProgress(50);
  console.Status("Deleting bsound01.16");
  console.Gauge().SetProgress(60);
  console.Error("Fichier introuvable.");
  EXPECT_EQ(console.Outcome(), TFileOutcome::Failed);
  EXPECT_EQ(out.text(), "Deleting bsound01.16\n");
  EXPECT_EQ(err.text(),
            Bar(50) + kErased + Bar(60) + kErased + "vantrel: a.wav -> bsound01.16: Fichier introuvable.\n");
  console.BeginFile("b.wav -> tk1.st1");
  EXPECT_EQ(console.Outcome(), TFileOutcome::Done);
}

struct RateQuestion {
  const char* name;
  TModalResult given;  // mrNone: ask
  bool terminal;
  const char* typed;
  TModalResult result;
  TFileOutcome outcome;
  const char* said;  // on standard error, after the question
};

class CliRateQuestion : public ::testing::TestWithParam<RateQuestion> {};

TEST_P(CliRateQuestion, IsAnsweredByTheOptionsOrOnTheTerminal) {
  const RateQuestion& q = GetParam();
  MemoryStream out, err;
  std::FILE* in = fmemopen(const_cast<char*>(q.typed), std::char_traits<char>::length(q.typed) + 1, "r");
  ASSERT_NE(in, nullptr);
  TConsole console(TConsoleStreams{out.file(), err.file(), in, q.terminal, false});
  console.BeginFile("c.wav -> g.16");
  TConsoleMessages messages(console, q.given, std::nullopt);
  EXPECT_EQ(messages.MessageDialog("Rate?\r   Continue?", TMsgDlgType::mtConfirmation,
                                   {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, 0),
            q.result);
  std::fclose(in);
  EXPECT_EQ(console.Outcome(), q.outcome);
  EXPECT_EQ(err.text(), q.said);
  EXPECT_EQ(out.text(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CliRateQuestion,
    ::testing::Values(RateQuestion{"Yes", mrYes, true, "n\n", mrYes, TFileOutcome::Done, ""},
                      RateQuestion{"No", mrNo, true, "y\n", mrNo, TFileOutcome::Skipped,
                                   "vantrel: c.wav -> g.16: Rate?\n   Continue?\n"
                                   "vantrel: c.wav -> g.16: skipped: answered No (--no)\n"},
                      RateQuestion{"TypedYes", mrNone, true, "YES\n", mrYes, TFileOutcome::Done,
                                   "Rate?\n   Continue? [y/N] "},
                      RateQuestion{"TypedReturn", mrNone, true, "\ny\n", mrNo, TFileOutcome::Skipped,
                                   "Rate?\n   Continue? [y/N] vantrel: c.wav -> g.16: skipped: answered No\n"},
                      RateQuestion{"EndOfInput", mrNone, true, "", mrNo, TFileOutcome::Skipped,
                                   "Rate?\n   Continue? [y/N] vantrel: c.wav -> g.16: skipped: answered No\n"},
                      RateQuestion{"NoTerminal", mrNone, false, "y\n", mrNo, TFileOutcome::Skipped,
                                   "vantrel: c.wav -> g.16: Rate?\n   Continue?\n"
                                   "vantrel: c.wav -> g.16: skipped: no terminal to answer on; give --yes or --no\n"}),
    [](const ::testing::TestParamInfo<RateQuestion>& info) { return std::string(info.param.name); });

TEST(CliFileDialog, AnOpenDialogRefusesWhatIsNoFileInTheFileServicesWords) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe.wav").c_str(), 0644), 0);
  ASSERT_EQ(mkdir((dir / "folder.wav").c_str(), 0755), 0);
  WriteFile(dir / "a.wav", Bytes(50));
  const struct {
    std::string name;
    const char* error;  // empty: chosen
  } cases[] = {{dir / "a.wav", ""},
               {dir / "missing.wav", "Fichier introuvable."},
               {dir / "nofolder/a.wav", "Nom de fichier incorrect."},
               {dir / "pipe.wav", "Accès au fichier refusé."},
               {dir / "folder.wav", "Accès au fichier refusé."}};
  for (const auto& c : cases) {
    MemoryStream out, err;
    TConsole console(TConsoleStreams{out.file(), err.file(), stdin, false, false});
    console.BeginFile("f");
    TGivenFileDialog dialog(console, c.name, true);
    const bool chosen = dialog.Execute();
    EXPECT_EQ(chosen, *c.error == '\0') << c.name;
    EXPECT_EQ(err.text(), *c.error ? std::string("vantrel: f: ") + c.error + "\n" : "") << c.name;
    EXPECT_EQ(dialog.FileName(), chosen ? c.name : "") << c.name;
  }
}

TEST(CliFileDialog, ASaveDialogTakesANameThatDoesNotExistYet) {
  MemoryStream out, err;
  TConsole console(TConsoleStreams{out.file(), err.file(), stdin, false, false});
  TGivenFileDialog dialog(console, "/nowhere/bsound01.16", false);
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/nowhere/bsound01.16");
  EXPECT_EQ(console.Outcome(), TFileOutcome::Done);
}

// An MP3 on an optical disc, as the window's disc test would say: the real
// player and library decode it into the --out-dir folder, or, without one,
// the file fails with a text naming the option and nothing is written.
class CliDiscMp3 : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MakeMp3(disc / "song.mp3", 1)) << "sox and lame make the MP3";
    ASSERT_TRUE(DecodeWithMpg123(disc / "song.mp3", disc / "reference.wav"));
    player.SetPathToDLL(REAL_DLL_DIR);
    player.LoadDLL();
  }
  void TearDown() override { player.UnloadDLL(); }

  TFileOutcome Decode(const std::string& outDir) {
    TConsole console(TConsoleStreams{out.file(), err.file(), stdin, false, false});
    const std::string discFolder = disc.Path();
    const TBatchOutcomes outcomes = DecodeMp3s(
        {disc / "song.mp3"}, outDir, player, std::string(REAL_DLL_DIR) + "/", "",
        [&](const std::string& name) { return name.compare(0, discFolder.size(), discFolder) == 0; }, console);
    return outcomes.size() == 1 ? outcomes[0] : TFileOutcome::Failed;
  }

  TempDir disc, target;
  TMPEGPlayer player;
  MemoryStream out, err;
};

TEST_F(CliDiscMp3, WithoutOutDirFailsNamingTheOption) {
  EXPECT_EQ(Decode(""), TFileOutcome::Failed);
  EXPECT_EQ(err.text(), "vantrel: " + disc / "song.mp3" +
                            ": the file lies on an optical disc; give a folder for the WAV with --out-dir\n");
  EXPECT_EQ(out.text(), "Can't write on CD\n");
  EXPECT_FALSE(Exists(disc / "song.wav"));
}

TEST_F(CliDiscMp3, OutDirReceivesTheWavWhateverItsTrailingSlashes) {
  EXPECT_EQ(Decode(target.Path() + "//"), TFileOutcome::Done) << err.text();
  EXPECT_EQ(out.text(), "Processing: song.mp3\nSaved as: " + target / "song.wav" + "\n");
  EXPECT_EQ(ReadFile(target / "song.wav"), ReadFile(disc / "reference.wav"));
}

}  // namespace
