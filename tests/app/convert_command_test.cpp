// The conversion command run to its end on real files, with the window's
// dialogs, status line, gauge and settings replaced by recording stand-ins.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "Exceptions.h"
#include "GameSoundConversion.h"
#include "convert_support.h"

namespace {

const std::string kWarning = "Working with frequency different from 22050Hz or 44100Hz\r" + std::string(15, ' ') +
                             "can make some strange sound!\r" + std::string(24, ' ') + "Continue?";

class Conversion : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& d : {appDir, wavDir, gameDir}) ASSERT_EQ(mkdir(d.c_str(), 0755), 0) << d;
  }

  void Run() {
    TGameSoundConversion(open, save, messages, status, gauge, settings, appDir, wavFolder, gameFolder, halved).Run();
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
  EXPECT_EQ(gauge.values, std::vector<int>{0});
  EXPECT_TRUE(gauge.paints.empty());
  EXPECT_TRUE(ini.writes.empty());
}

TEST_F(Conversion, Wav44100BecomesItsHalvedData) {
  const std::string wav = ChooseWav(44100, Pattern(200003));
  const std::string game = ChooseGame(&oldGame);
  Run();
  EXPECT_EQ(ReadFile(game), HalvedByFrames(ReadFile(wav)));
  EXPECT_TRUE(halved);
  EXPECT_FALSE(Exists(appDir + "sound.wav")) << "the temporary halved file is removed";
  EXPECT_EQ(gauge.progress, 0);
  EXPECT_EQ(gauge.maxValue, 100001);
  // The halving's paints, then the one of the gauge's return to 0.
  ASSERT_GT(gauge.paints.size(), 50u);
  EXPECT_LE(gauge.paints.size() - 1, 101u);
  EXPECT_EQ(gauge.paints.back(), 0);
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
  EXPECT_TRUE(gauge.values.empty());
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
  EXPECT_FALSE(Exists(appDir + "short.wav"));
  EXPECT_EQ(status.events, (std::vector<std::string>{"Resampling short.wav", "*"}));
}

// The temporary halved file takes the WAV's name in the application folder:
// for a WAV that lies there it is the WAV itself, however the folder is spelt.
TEST_F(Conversion, WavInApplicationFolderIsNeverDeleted) {
  for (const std::string& spelling : {appDir, appDir + "/"}) {
    SCOPED_TRACE(spelling);
    const Bytes wavBytes = WavBytes(44100, Pattern(4000));
    WriteFile(appDir + "sound.wav", wavBytes);
    open.choice = appDir + "sound.wav";
    const std::string game = ChooseGame(&oldGame);
    messages.plain.clear();
    TGameSoundConversion(open, save, messages, status, gauge, settings, spelling, wavFolder, gameFolder, halved).Run();
    EXPECT_EQ(messages.plain, std::vector<std::string>{"Something goes wrong when resampling wav\rNothing changed!"});
    ASSERT_TRUE(Exists(appDir + "sound.wav"));
    EXPECT_EQ(ReadFile(appDir + "sound.wav"), wavBytes);
    EXPECT_EQ(ReadFile(game), oldGame);
  }
}

// The game file is deleted before the data is read: choosing the WAV itself
// as the game file would lose it.
TEST_F(Conversion, GameFileThatIsTheWavIsRefused) {
  const std::string wav = ChooseWav(22050, Pattern(3000));
  const Bytes before = ReadFile(wav);
  save.choice = wav;
  Run();
  EXPECT_EQ(messages.plain, std::vector<std::string>{"The game sound file must not be the Wav file itself\rNothing changed!"});
  EXPECT_EQ(ReadFile(wav), before);
  EXPECT_FALSE(Exists(wav + ".bak"));
}

TEST_F(Conversion, WavVanishedBetweenDialogsEndsWithFileNotFound) {
  const std::string wav = ChooseWav(22050, Pattern(100));
  const std::string game = ChooseGame(&oldGame);
  save.onExecute = [&] { ASSERT_EQ(unlink(wav.c_str()), 0); };
  const EInOutError e = RunExpectingIoError();
  EXPECT_EQ(e.ErrorCode, 2);
  EXPECT_EQ(e.Message(), "Fichier introuvable");
  EXPECT_EQ(ReadFile(game), oldGame);
}

TEST_F(Conversion, GameFileInMissingFolderEndsWithBadName) {
  ChooseWav(22050, Pattern(100));
  save.choice = dir / "no-such-folder/bsound1.16";
  const EInOutError e = RunExpectingIoError();
  EXPECT_EQ(e.ErrorCode, 3);
  EXPECT_EQ(e.Message(), "Nom de fichier incorrect");
}

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
class ConversionDeathTest : public Conversion {
 protected:
  // 0 when the run ended with the expected I/O error.
  int RunUnderFileSizeLimit(rlim_t limit, int code, const std::string& message) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit lim{limit, limit};
    setrlimit(RLIMIT_FSIZE, &lim);
    try {
      Run();
    } catch (const EInOutError& e) {
      return e.ErrorCode == code && e.Message() == message ? 0 : 2;
    }
    return 1;
  }
};

TEST_F(ConversionDeathTest, ShortWriteInCopyIsDiskFull) {
  ChooseWav(22050, Pattern(10000));
  const std::string game = ChooseGame();
  EXPECT_EXIT(_exit(RunUnderFileSizeLimit(3000, 101, "Disque plein")), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(game).size(), 3000u);
}

// A game file whose backup cannot be completed is not deleted, and the
// partial backup does not stay.
TEST_F(ConversionDeathTest, FailedFirstBackupStopsBeforeDeleting) {
  ChooseWav(22050, Pattern(1000));
  const Bytes bigGame = Pattern(10000, 5);
  const std::string game = ChooseGame(&bigGame);
  EXPECT_EXIT(_exit(RunUnderFileSizeLimit(3000, 112, "Erreur E/S 112")), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(game), bigGame);
  EXPECT_FALSE(Exists(game + ".bak"));
}

// A small file system of its own, mounted for the test (needs the right to mount).
class SmallDisk {
 public:
  SmallDisk(const std::string& path, const char* size) : path_(path) {
    mkdir(path.c_str(), 0755);
    mounted_ = mount("tmpfs", path.c_str(), "tmpfs", 0, size) == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

TEST_F(Conversion, DiskFillingDuringCopyIsDiskFull) {
  SmallDisk disk(dir / "disk", "size=64k");
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  ChooseWav(22050, Pattern(200000));
  save.choice = dir / "disk/bsound1.16";
  const EInOutError e = RunExpectingIoError();
  EXPECT_EQ(e.ErrorCode, 101);
  EXPECT_EQ(e.Message(), "Disque plein");
}

TEST_F(Conversion, FailedBackupOnFullDiskKeepsGameFile) {
  SmallDisk disk(dir / "disk", "size=64k");
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  ChooseWav(22050, Pattern(1000));
  const Bytes bigGame = Pattern(40000, 5);
  const std::string game = dir / "disk/bsound1.16";
  ASSERT_NO_THROW(WriteFile(game, bigGame));
  save.choice = game;
  const EInOutError e = RunExpectingIoError();
  EXPECT_EQ(e.ErrorCode, 112);
  EXPECT_EQ(e.Message(), "Erreur E/S 112");
  EXPECT_EQ(ReadFile(game), bigGame);
  EXPECT_FALSE(Exists(game + ".bak"));
  EXPECT_EQ(status.text, "Backing up bsound1.16");
}

}  // namespace
