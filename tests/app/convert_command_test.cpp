// The conversion command run to its end on real files, with the window's
// dialogs, status line, gauge and settings replaced by recording stand-ins.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "Exceptions.h"
#include "GameSoundConversion.h"
#include "PathUtils.h"
#include "convert_support.h"

namespace {

const std::string kWarning = "Working with frequency different from 22050Hz or 44100Hz\r" + std::string(15, ' ') +
                             "can make some strange sound!\r" + std::string(24, ' ') + "Continue?";

class Conversion : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& d : {appDir, wavDir, gameDir, tmpDir}) ASSERT_EQ(mkdir(d.c_str(), 0755), 0) << d;
    const char* old = getenv("TMPDIR");
    if (old != nullptr) oldTmp = old;
    hadTmp = old != nullptr;
    ASSERT_EQ(setenv("TMPDIR", tmpDir.c_str(), 1), 0);
  }
  void TearDown() override {
    if (hadTmp)
      setenv("TMPDIR", oldTmp.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }

  void Run() {
    TGameSoundConversion(open, save, messages, status, gauge, settings, wavFolder, gameFolder, halved).Run();
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
  // The system's temporary folder for the command ($TMPDIR).
  const std::string tmpDir = dir / "tmp/";
  std::string oldTmp;
  bool hadTmp = false;
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
  EXPECT_EQ(gauge.calls, std::vector<GaugeCall>{ProgressSetTo(0)});
  EXPECT_TRUE(ini.writes.empty());
}

TEST_F(Conversion, Wav44100BecomesItsHalvedData) {
  const std::string wav = ChooseWav(44100, Pattern(200003));
  const std::string game = ChooseGame(&oldGame);
  // While the halving runs, its file lies in a folder of its own.
  std::vector<std::string> during, inside;
  mode_t folderMode = 0;
  gauge.onSetMaxValue = [&] {
    during = FolderEntries(tmpDir);
    ASSERT_EQ(during.size(), 1u);
    inside = FolderEntries(tmpDir + during[0]);
    struct stat st {};
    ASSERT_EQ(stat((tmpDir + during[0]).c_str(), &st), 0);
    folderMode = st.st_mode & 0777;
  };
  Run();
  EXPECT_EQ(ReadFile(game), HalvedByFrames(ReadFile(wav)));
  EXPECT_TRUE(halved);
  EXPECT_EQ(inside, std::vector<std::string>{"sound.wav"});
  EXPECT_EQ(folderMode, 0700u);
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
  save.onExecute = [&] { ASSERT_EQ(unlink(wav.c_str()), 0); };
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
  messages.onDialog = [&] { ASSERT_EQ(unlink(wav.c_str()), 0); };
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
TEST_F(Conversion, GameFileThatIsNoRegularFileIsRefused) {
  ChooseWav(22050, Pattern(100));
  ASSERT_EQ(mkfifo((gameDir + "fifo.16").c_str(), 0644), 0);
  ASSERT_EQ(mkdir((gameDir + "folder.16").c_str(), 0755), 0);
  // A device through a link of the test's own, so that a fault replaces the
  // link and never the device.
  ASSERT_EQ(symlink("/dev/null", (gameDir + "device.16").c_str()), 0);
  for (const std::string& name : {gameDir + "fifo.16", gameDir + "folder.16", gameDir + "device.16"}) {
    SCOPED_TRACE(name);
    save.choice = name;
    struct stat before {};
    ASSERT_EQ(stat(name.c_str(), &before), 0);
    const EInOutError e = RunExpectingIoError();
    EXPECT_EQ(e.ErrorCode, 5);
    struct stat after {};
    ASSERT_EQ(stat(name.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
  }
  EXPECT_EQ(FolderEntries(gameDir), (std::vector<std::string>{"device.16", "fifo.16", "folder.16"}));
  EXPECT_TRUE(std::filesystem::is_symlink(gameDir + "device.16"));
}

// A ".bak" that is there without being a regular file (a link to nowhere, a
// folder) is never written through: the backup is made only as a new file.
// Only a backup file holds the original: a link to nowhere or a folder under
// the backup's name stops the conversion before the game file is touched.
TEST_F(Conversion, BackupNameTakenByALinkOrAFolderStopsBeforeTheGameFileIsTouched) {
  const Bytes data = Pattern(500);
  ChooseWav(22050, data);
  const std::string game = ChooseGame(&oldGame);
  const std::string elsewhere = dir / "elsewhere.bak";
  const std::function<void()> makers[] = {[&] { ASSERT_EQ(symlink(elsewhere.c_str(), (game + ".bak").c_str()), 0); },
                                          [&] { ASSERT_EQ(mkdir((game + ".bak").c_str(), 0755), 0); }};
  for (const auto& make : makers) {
    ASSERT_NO_THROW(WriteFile(game, oldGame));
    std::filesystem::remove_all(game + ".bak");
    make();
    status.events.clear();
    const EInOutError e = RunExpectingIoError();
    EXPECT_EQ(e.ErrorCode, 80);
    EXPECT_EQ(ReadFile(game), oldGame);
    EXPECT_FALSE(Exists(elsewhere));
    EXPECT_NE(status.text, "That's right");
    EXPECT_EQ(FolderEntries(gameDir).size(), 2u) << "a hidden file was left";
  }
  EXPECT_TRUE(std::filesystem::is_directory(game + ".bak"));
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

// A short write anywhere in the copy, the last block included, ends with
// "Disque plein", and the game file keeps its old content.
TEST_F(ConversionDeathTest, ShortWriteInCopyIsDiskFullAndKeepsGameFile) {
  const std::pair<const char*, rlim_t> limits[] = {
      {"middle block", 3000}, {"last block cut short", 4096 + 100}, {"last block not stored at all", 4096}};
  for (const auto& [where, limit] : limits) {
    SCOPED_TRACE(where);
    ChooseWav(22050, Pattern(2 * 2048 + 500));
    const std::string game = ChooseGame(&oldGame);
    std::filesystem::remove(game + ".bak");
    EXPECT_EXIT(_exit(RunUnderFileSizeLimit(limit, 101, "Disque plein")), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile(game), oldGame);
    EXPECT_EQ(ReadFile(game + ".bak"), oldGame);
    EXPECT_EQ(FolderEntries(gameDir), (std::vector<std::string>{"bsound1.16", "bsound1.16.bak"}));
  }
}

// A game file whose backup cannot be completed is not replaced, and the
// partial backup does not stay.
TEST_F(ConversionDeathTest, FailedFirstBackupStopsBeforeReplacing) {
  ChooseWav(22050, Pattern(1000));
  const Bytes bigGame = Pattern(10000, 5);
  const std::string game = ChooseGame(&bigGame);
  EXPECT_EXIT(_exit(RunUnderFileSizeLimit(3000, 101, "Disque plein")), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(game), bigGame);
  EXPECT_FALSE(Exists(game + ".bak"));
}

// Two programs converting into one game file at once, each halving a WAV
// named engine.wav: the backup keeps the original, and the game file ends as
// one of the two results, whole. Each round starts both at the same moment.
TEST_F(Conversion, TwoProgramsConvertingIntoOneGameFile) {
  const std::string otherDir = dir / "other/";
  ASSERT_EQ(mkdir(otherDir.c_str(), 0755), 0);
  const std::string wavs[] = {wavDir + "engine.wav", otherDir + "engine.wav"};
  ASSERT_NO_THROW(WriteFile(wavs[0], WavBytes(44100, Pattern(60000, 1))));
  ASSERT_NO_THROW(WriteFile(wavs[1], WavBytes(44100, Pattern(50000, 2))));
  const Bytes results[] = {HalvedByFrames(ReadFile(wavs[0])), HalvedByFrames(ReadFile(wavs[1]))};
  const std::string game = gameDir + "bsound1.16";
  save.choice = game;
  for (int round = 0; round < 150; ++round) {
    ASSERT_NO_THROW(WriteFile(game, oldGame));
    std::filesystem::remove(game + ".bak");
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    pid_t children[2];
    for (int k = 0; k < 2; ++k) {
      children[k] = fork();
      ASSERT_GE(children[k], 0);
      if (children[k] == 0) {
        close(go[1]);
        char byte;
        if (read(go[0], &byte, 1) < 0) _exit(5);
        open.choice = wavs[k];
        int code = 3;
        try {
          Run();
          if (status.text == "That's right") code = 0;
        } catch (...) {
          code = 4;
        }
        _exit(code);
      }
    }
    close(go[0]);
    close(go[1]);
    for (pid_t child : children) {
      int how = 0;
      ASSERT_EQ(waitpid(child, &how, 0), child);
      EXPECT_TRUE(WIFEXITED(how) && WEXITSTATUS(how) == 0) << "round " << round;
    }
    ASSERT_TRUE(Exists(game)) << "round " << round;
    const Bytes now = ReadFile(game);
    ASSERT_TRUE(now == results[0] || now == results[1]) << "round " << round << ": " << now.size() << " bytes";
    ASSERT_TRUE(Exists(game + ".bak")) << "round " << round;
    ASSERT_EQ(ReadFile(game + ".bak"), oldGame) << "round " << round;
  }
  EXPECT_TRUE(FolderEntries(tmpDir).empty());
  EXPECT_EQ(FolderEntries(gameDir), (std::vector<std::string>{"bsound1.16", "bsound1.16.bak"}));
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
  EXPECT_TRUE(FolderEntries(dir / "disk").empty()) << "the part written is removed";
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
  EXPECT_EQ(e.ErrorCode, 101);
  EXPECT_EQ(e.Message(), "Disque plein");
  EXPECT_EQ(ReadFile(game), bigGame);
  EXPECT_FALSE(Exists(game + ".bak"));
  EXPECT_EQ(status.text, "Backing up bsound1.16");
}

}  // namespace

namespace {

class ConversionKeeps : public Conversion {};

TEST_F(ConversionKeeps, TheReplacedGameFilesPermissionBits) {
  const Bytes data = Pattern(800);
  ChooseWav(22050, data);
  const std::string game = ChooseGame(&oldGame);
  ASSERT_EQ(chmod(game.c_str(), 0640), 0);
  Run();
  EXPECT_EQ(ReadFile(game), data);
  EXPECT_EQ(ModeOf(game) & 07777, 0640u);
  EXPECT_EQ(ModeOf(game + ".bak") & 07777, 0640u);
}

// Game file names as long as the file system takes: the hidden files of the
// run are named within the same limit. A new game file may use the whole
// 255 bytes; one that is backed up leaves room for ".bak".
TEST_F(ConversionKeeps, GameFileNamesOfTheLongestLengths) {
  const Bytes data = Pattern(800);
  ChooseWav(44100, data);
  for (const bool existing : {true, false}) {
    const size_t length = existing ? 250 : 255;
    const std::string game = ChooseGame(existing ? &oldGame : nullptr, "bsound" + std::string(length - 9, 'x') + ".16");
    ASSERT_EQ(ExtractFileName(game).size(), length);
    Run();
    EXPECT_EQ(status.text, "That's right") << length;
    EXPECT_EQ(Exists(game + ".bak"), existing);
    if (existing) {
      EXPECT_EQ(ReadFile(game + ".bak"), oldGame);
    }
    std::error_code ignored;
    std::filesystem::remove(game);
    std::filesystem::remove(game + ".bak", ignored);
    EXPECT_TRUE(FolderEntries(gameDir).empty()) << "a hidden file was left";
  }
}

// The finished file cannot take the game file's place: an I/O error, and
// whatever stood there stays, with no hidden file left beside it.
TEST_F(ConversionKeeps, WhatStandsAtTheGameFilesNameWhenTheRenameFails) {
  ChooseWav(22050, Pattern(800));
  const std::string game = ChooseGame(&oldGame);
  status.onStatusText = [&] {
    if (status.text.rfind("Converting", 0) != 0) return;
    // Another program puts a folder with a file of its own there meanwhile.
    std::filesystem::remove(game);
    ASSERT_EQ(mkdir(game.c_str(), 0755), 0);
    WriteFile(game + "/kept", oldGame);
  };
  const EInOutError e = RunExpectingIoError();
  EXPECT_NE(e.ErrorCode, 0);
  EXPECT_NE(status.text, "That's right");
  EXPECT_EQ(ReadFile(game + "/kept"), oldGame);
  EXPECT_EQ(FolderEntries(gameDir), (std::vector<std::string>{"bsound1.16", "bsound1.16.bak"}));
  EXPECT_TRUE(FolderEntries(tmpDir).empty());
}

// The halved file cannot be removed (a mount holds it): the run stops with
// an error that names it, instead of leaving it behind unsaid.
TEST_F(ConversionKeeps, NoPrivateFileUnsaidWhenItCannotBeRemoved) {
  ChooseWav(44100, Pattern(8000));
  const std::string game = ChooseGame(&oldGame);
  std::string held;
  gauge.onSetMaxValue = [&] {
    const std::vector<std::string> folders = FolderEntries(tmpDir);
    ASSERT_EQ(folders.size(), 1u);
    const std::string folder = tmpDir + folders[0];
    const std::vector<std::string> files = FolderEntries(folder);
    ASSERT_EQ(files.size(), 1u);
    held = folder + "/" + files[0];
    if (mount("/dev/null", held.c_str(), nullptr, MS_BIND, nullptr) != 0) held.clear();
  };
  bool raised = false;
  std::string path;
  try {
    Run();
  } catch (const EInOutError& e) {
    raised = true;
    path = e.Path;
  }
  if (held.empty()) GTEST_SKIP() << "bind mounts are refused here";
  umount(held.c_str());
  EXPECT_TRUE(raised);
  EXPECT_EQ(path, held);
  EXPECT_NE(status.text, "That's right");
  EXPECT_EQ(ReadFile(game), oldGame);
}

}  // namespace
