// The conversion command on real files: the cases that hold on every system.

#include "convert_command_fixture.h"

namespace {

TEST_F(Conversion, Wav22050BecomesItsDataWithoutHeader) {
  const Bytes data = Pattern(5000);
  ChooseWav(22050, data);
  const std::string game = ChooseGame(&oldGame);
  Run();
  EXPECT_EQ(ReadFile(game), data);
  EXPECT_EQ(ReadFile(game + ".bak"), oldGame);
  EXPECT_EQ(open.title, "Select a Wav");
  EXPECT_EQ(open.filter, "Wav files|*.wav");
  EXPECT_EQ(open.initialDir, wavFolder);
  EXPECT_EQ(save.initialDir, gameFolder);
  EXPECT_TRUE(messages.confirmations.empty());
  EXPECT_TRUE(messages.plain.empty());
  EXPECT_EQ(status.events, (std::vector<std::string>{"Backing up bsound1.16", "*", "Deleting bsound1.16", "*",
                                                     "Converting sound.wav as bsound1.16", "*", "That's right"}));
  EXPECT_EQ(gauge.calls, std::vector<GaugeCall>{ProgressSetTo(0)});
  EXPECT_TRUE(ini.writes.empty());
}

TEST_F(Conversion, Wav44100BecomesItsHalvedData) {
  const std::string wav = ChooseWav(44100, Pattern(200003));
  const std::string game = ChooseGame(&oldGame);
  // While the halving runs, its file lies in a folder of its own.
  std::vector<std::string> during, inside;
  bool folderPrivate = false;
  gauge.onSetMaxValue = [&] {
    during = FolderEntries(tmpDir);
    ASSERT_EQ(during.size(), 1u);
    inside = FolderEntries(tmpDir + during[0]);
    ASSERT_TRUE(std::filesystem::exists(tmpDir + during[0]));
    folderPrivate = IsPrivateFolder(tmpDir + during[0]);
  };
  Run();
  EXPECT_EQ(ReadFile(game), HalvedByFrames(ReadFile(wav)));
  EXPECT_TRUE(halved);
  EXPECT_EQ(inside, std::vector<std::string>{"sound.wav"});
  EXPECT_TRUE(folderPrivate) << "the folder is the user's alone";
  EXPECT_TRUE(FolderEntries(tmpDir).empty()) << "the halved file and its folder are removed";
  EXPECT_EQ(FolderEntries(gameDir), (std::vector<std::string>{"bsound1.16", "bsound1.16.bak"}));
  // The halving's run from 0 to its maximum, then the gauge's return to 0.
  EXPECT_EQ(gauge.maxValue, 100001);
  std::vector<int> values = gauge.ProgressValues();
  ASSERT_FALSE(values.empty());
  EXPECT_EQ(values.back(), 0);
  values.pop_back();
  EXPECT_TRUE(RisesByOnePercentAtMost(values, 100001));
  EXPECT_TRUE(messages.confirmations.empty());
  EXPECT_EQ(status.events,
            (std::vector<std::string>{"Resampling sound.wav", "*", "Backing up bsound1.16", "*", "Deleting bsound1.16",
                                      "*", "Converting sound.wav as bsound1.16", "*", "That's right"}));
}

class OtherRate : public Conversion, public ::testing::WithParamInterface<TModalResult> {};

TEST_P(OtherRate, AnswerOtherThanNoCopiesDataUnchanged) {
  const Bytes data = Pattern(4097);
  ChooseWav(48000, data);
  const std::string game = ChooseGame();
  messages.answer = GetParam();
  Run();
  ASSERT_EQ(messages.confirmations.size(), 1u);
  const Confirmation& c = messages.confirmations[0];
  EXPECT_EQ(c.text, kWarning);
  EXPECT_EQ(c.kind, TMsgDlgType::mtConfirmation);
  EXPECT_TRUE(c.buttons == (TMsgDlgButtons{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}));
  EXPECT_EQ(c.helpContext, 0);
  EXPECT_EQ(ReadFile(game), data);
  EXPECT_EQ(status.text, "That's right");
}

INSTANTIATE_TEST_SUITE_P(Answers, OtherRate, ::testing::Values(mrYes, mrCancel),
                         [](const ::testing::TestParamInfo<TModalResult>& info) {
                           return info.param == mrYes ? std::string("Yes") : std::string("CloseBox");
                         });

TEST_F(Conversion, OtherRateAnsweredNoKeepsOnlySettingsAndAttributes) {
  wavFolder = dir / "elsewhere/";
  gameFolder = "";
  const std::string wav = ChooseWav(11025, Pattern(100));
  const std::string game = ChooseGame(&oldGame);
  MakeReadOnly(wav);
  MakeReadOnly(game);
  messages.answer = mrNo;
  Run();
  EXPECT_EQ(messages.confirmations.size(), 1u);
  EXPECT_EQ(ini.writes, (std::vector<std::string>{"Directory/Wav=" + wavDir, "Directory/Gp3=" + gameDir}));
  EXPECT_FALSE(IsReadOnly(wav));
  EXPECT_FALSE(IsReadOnly(game));
  EXPECT_EQ(ReadFile(game), oldGame);
  EXPECT_FALSE(Exists(game + ".bak"));
  EXPECT_TRUE(status.events.empty());
  EXPECT_TRUE(gauge.calls.empty());
  EXPECT_EQ(save.initialDir, "") << "no remembered game folder, no initial folder";
}

TEST_F(Conversion, CancelledDialogsEndTheCommand) {
  open.choice = "";
  Run();
  EXPECT_EQ(save.executed, 0);
  ChooseWav(22050, Pattern(10));
  save.choice = "";
  Run();
  EXPECT_EQ(save.executed, 1);
  EXPECT_TRUE(status.events.empty());
  // A name typed in the open dialog that names no file ends it quietly too.
  open.choice = wavDir + "none.wav";
  Run();
  EXPECT_EQ(save.executed, 1);
}

TEST_F(Conversion, NewGameFileShowsBackupAndDeleteButMakesNoBackup) {
  const Bytes data = Pattern(3000);
  ChooseWav(22050, data);
  const std::string game = ChooseGame(nullptr, "tk1.st1");
  Run();
  EXPECT_EQ(ReadFile(game), data);
  EXPECT_FALSE(Exists(game + ".bak"));
  EXPECT_EQ(status.events, (std::vector<std::string>{"Backing up tk1.st1", "*", "Deleting tk1.st1", "*",
                                                     "Converting sound.wav as tk1.st1", "*", "That's right"}));
}

TEST_F(Conversion, SecondConversionKeepsTheFirstBackup) {
  ChooseWav(22050, Pattern(3000, 1));
  const std::string game = ChooseGame(&oldGame);
  Run();
  const Bytes second = Pattern(2500, 2);
  ChooseWav(22050, second);
  status.events.clear();
  Run();
  EXPECT_EQ(ReadFile(game), second);
  EXPECT_EQ(ReadFile(game + ".bak"), oldGame);
  EXPECT_EQ(status.events, (std::vector<std::string>{"Deleting bsound1.16", "*", "Converting sound.wav as bsound1.16",
                                                     "*", "That's right"}));
}

TEST_F(Conversion, ReadOnlyWavAndGameFileAreConverted) {
  const Bytes data = Pattern(2048 * 3);
  const std::string wav = ChooseWav(22050, data);
  const std::string game = ChooseGame(&oldGame);
  MakeReadOnly(wav);
  MakeReadOnly(game);
  Run();
  EXPECT_EQ(ReadFile(game), data);
  EXPECT_FALSE(IsReadOnly(wav));
  EXPECT_EQ(ReadFile(game + ".bak"), oldGame);
}

// A header cut after the rate field leaves no data; one cut inside the rate
// field has no rate, and the user is asked as for any unusual rate.
TEST_F(Conversion, WavCutShortInItsHeader) {
  for (size_t size : {28, 36, 44}) {
    Bytes header = WavBytes(22050, {});
    header.resize(size);
    WriteFile(wavDir + "short.wav", header);
    open.choice = wavDir + "short.wav";
    const std::string game = ChooseGame(&oldGame);
    Run();
    EXPECT_TRUE(ReadFile(game).empty()) << size;
    EXPECT_TRUE(messages.confirmations.empty()) << size;
  }
  Bytes cut = WavBytes(22050, {});
  cut.resize(26);
  WriteFile(wavDir + "short.wav", cut);
  messages.answer = mrNo;
  Run();
  EXPECT_EQ(messages.confirmations.size(), 1u);
}

TEST_F(Conversion, HalvingFailureShowsMessageAndChangesNothing) {
  Bytes header = WavBytes(44100, {});
  header.resize(30);
  WriteFile(wavDir + "short.wav", header);
  open.choice = wavDir + "short.wav";
  const std::string game = ChooseGame(&oldGame);
  Run();
  EXPECT_EQ(messages.plain, std::vector<std::string>{"Something goes wrong when resampling wav\rNothing changed!"});
  EXPECT_EQ(ReadFile(game), oldGame);
  EXPECT_FALSE(Exists(game + ".bak"));
  EXPECT_TRUE(FolderEntries(tmpDir).empty());
  EXPECT_EQ(status.events, (std::vector<std::string>{"Resampling short.wav", "*"}));
}

// Runs the command from a start folder, as a user who started the program
// from a terminal there, and goes back afterwards.
TEST_F(Conversion, SameNamedFileInStartFolderIsLeftAlone) {
  const Bytes users = Pattern(777, 3);
  ASSERT_NO_THROW(WriteFile(appDir + "engine.wav", users));
  const std::string wav = wavDir + "engine.wav";
  ASSERT_NO_THROW(WriteFile(wav, WavBytes(44100, Pattern(5000))));
  open.choice = wav;
  const std::string game = ChooseGame(&oldGame);
  StartedIn start(appDir);
  Run();
  EXPECT_EQ(ReadFile(appDir + "engine.wav"), users);
  EXPECT_EQ(ReadFile(game), HalvedByFrames(ReadFile(wav)));
  EXPECT_EQ(status.text, "That's right");
}

TEST_F(Conversion, Wav44100InStartFolderIsConverted) {
  const Bytes wavBytes = WavBytes(44100, Pattern(4000));
  ASSERT_NO_THROW(WriteFile(appDir + "sound.wav", wavBytes));
  open.choice = appDir + "sound.wav";
  const std::string game = ChooseGame(&oldGame);
  StartedIn start(appDir);
  Run();
  EXPECT_TRUE(messages.plain.empty());
  EXPECT_EQ(ReadFile(appDir + "sound.wav"), wavBytes);
  EXPECT_EQ(ReadFile(game), HalvedByFrames(wavBytes));
}

// A game file chosen where a halved file could be looked for, by the WAV's
// name in the start folder or the temporary folder, is converted like any
// other: the halved file is always a new name.
TEST_F(Conversion, GameFileNamedLikeTheHalvedFileIsConverted) {
  const std::string wav = ChooseWav(44100, Pattern(6000));
  for (const std::string& folder : {appDir, tmpDir}) {
    SCOPED_TRACE(folder);
    save.choice = folder + "sound.wav";
    ASSERT_NO_THROW(WriteFile(save.choice, oldGame));
    StartedIn start(appDir);
    Run();
    EXPECT_EQ(ReadFile(save.choice), HalvedByFrames(ReadFile(wav)));
    EXPECT_EQ(ReadFile(save.choice + ".bak"), oldGame);
    EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"sound.wav", "sound.wav.bak"}));
  }
}

// The game file is replaced by the data: choosing the WAV itself as the game
// file would lose it.
TEST_F(Conversion, GameFileThatIsTheWavIsRefused) {
  const std::string wav = ChooseWav(22050, Pattern(3000));
  const Bytes before = ReadFile(wav);
  save.choice = wav;
  Run();
  EXPECT_EQ(messages.plain,
            std::vector<std::string>{"The game sound file must not be the Wav file itself\rNothing changed!"});
  EXPECT_EQ(ReadFile(wav), before);
  EXPECT_FALSE(Exists(wav + ".bak"));
}

TEST_F(Conversion, WavVanishedBetweenDialogsEndsWithFileNotFound) {
  const std::string wav = ChooseWav(22050, Pattern(100));
  const std::string game = ChooseGame(&oldGame);
  save.onExecute = [&] { ASSERT_TRUE(std::filesystem::remove(wav)); };
  const EInOutError e = RunExpectingIoError();
  EXPECT_EQ(e.ErrorCode, 2);
  EXPECT_EQ(e.Message(), "Fichier introuvable");
  EXPECT_EQ(ReadFile(game), oldGame);
}

// The WAV removed while the user is asked about its rate: nothing of the
// user's is touched before the data is open.
TEST_F(Conversion, WavRemovedDuringConfirmationLeavesGameFile) {
  const std::string wav = ChooseWav(48000, Pattern(3000));
  const std::string game = ChooseGame(&oldGame);
  messages.onDialog = [&] { ASSERT_TRUE(std::filesystem::remove(wav)); };
  const EInOutError e = RunExpectingIoError();
  EXPECT_EQ(e.ErrorCode, 2);
  EXPECT_EQ(ReadFile(game), oldGame);
  EXPECT_FALSE(Exists(game + ".bak"));
  EXPECT_EQ(FolderEntries(gameDir), std::vector<std::string>{"bsound1.16"});
}

TEST_F(Conversion, GameFileInMissingFolderEndsWithBadName) {
  for (uint32_t rate : {22050u, 44100u}) {
    SCOPED_TRACE(rate);
    ChooseWav(rate, Pattern(100));
    save.choice = dir / "no-such-folder/bsound1.16";
    const EInOutError e = RunExpectingIoError();
    EXPECT_EQ(e.ErrorCode, 3);
    EXPECT_EQ(e.Message(), "Nom de fichier incorrect");
    EXPECT_TRUE(FolderEntries(tmpDir).empty()) << "the halved file goes on an error too";
  }
}

// A folder, FIFO or device chosen as the game file is not replaced by a file.
TEST_F(Conversion, RememberedWavFolderWritesNothingOtherFolderWritesEachTime) {
  ChooseWav(22050, Pattern(100));
  ChooseGame();
  Run();
  EXPECT_TRUE(ini.writes.empty());
  wavFolder = dir / "other/";
  Run();
  Run();
  EXPECT_EQ(ini.writes, (std::vector<std::string>{"Directory/Wav=" + wavDir, "Directory/Wav=" + wavDir}));
}

// The file size limit of a child process makes a write store less than asked.

}  // namespace
