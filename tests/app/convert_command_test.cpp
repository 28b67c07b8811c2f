// The conversion command on real files: the cases of Linux's own (FIFOs,
// devices and links, processes killed or racing, full disks, permission
// bits).

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "PosixTestFiles.h"
#include "convert_command_fixture.h"

namespace {

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
