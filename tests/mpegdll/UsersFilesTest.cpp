// The decoder library must never lose or block on a user's file: inputs and
// outputs that are FIFOs, devices, read-only files or the input itself are
// refused at once, and an output that outgrows the WAV format is a failure.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "DecoderLibrary.h"

namespace {

class UsersFiles : public DecoderLibraryTest {
 protected:
  void SetUp() override {
    DecoderLibraryTest::SetUp();
    if (HasFatalFailure()) return;
    mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 1.0, "-b 128");
    ASSERT_FALSE(mp3.empty());
  }
  void TearDown() override {
    DecoderLibraryTest::TearDown();
    if (drainer.joinable()) drainer.join();
  }

  // Opens the test MP3 and asks for a PCM file at `out`: "Play" must refuse
  // at once with the output error, start nothing and leave the file alone.
  void ExpectOutputRefused(const std::string& out) {
    lib.OpenFile(mp3);
    ASSERT_EQ(lib.LastError(), 0);
    lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
    uint8_t flag = 0;
    int32_t played = 0;
    ASSERT_TRUE(FinishesPromptly([&] { played = lib.Play(0, 0, &flag); }, [&] { drainFifo(out); })) << out;
    EXPECT_NE(played, 0) << out;
    EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT) << out;
    EXPECT_EQ(flag, 0) << "no playback, no end";
    EXPECT_EQ(lib.GetCurrentPos(), -1);
    lib.Close();
  }

  // Releases a writer blocked on a FIFO, in opening it or in writing into
  // the full pipe: a reader that reads it to its end.
  void drainFifo(const std::string& fifo) {
    drainer = std::thread([fifo] {
      const int fd = open(fifo.c_str(), O_RDONLY);
      if (fd < 0) return;
      std::vector<char> buffer(1 << 16);
      while (read(fd, buffer.data(), buffer.size()) > 0) {
      }
      close(fd);
    });
  }

  std::string mp3;
  std::thread drainer;
};

TEST_F(UsersFiles, FifoInputIsAnInputErrorAtOpenWithoutWaitingForAWriter) {
  const std::string fifo = dir / "fifo.mp3";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const auto openWriter = [&] {
    // The blocked open sees a writer come and go, and then the end.
    const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) close(fd);
  };
  ASSERT_TRUE(FinishesPromptly([&] { lib.OpenFile(fifo); }, openWriter));
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_INPUT);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_CLOSED);
}

TEST_F(UsersFiles, DeviceInputIsAnInputErrorAtOpen) {
  // /dev/zero would be read for ever looking for a frame.
  ASSERT_TRUE(FinishesPromptly([&] { lib.OpenFile("/dev/zero"); }, [] {}));
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_INPUT);
}

TEST_F(UsersFiles, FifoOutputIsRefusedWithOrWithoutAReader) {
  const std::string fifo = dir / "x.wav";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  ExpectOutputRefused(fifo);

  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ExpectOutputRefused(fifo);
  char byte = 0;
  EXPECT_LE(read(reader, &byte, 1), 0) << "something was written into the FIFO";
  close(reader);
}

TEST_F(UsersFiles, DevicesAreRefusedAsOutput) {
  for (const char* device : {"/dev/null", "/dev/full"}) ExpectOutputRefused(device);
}

TEST_F(UsersFiles, TheInputItselfIsRefusedAsOutputUnderAnyName) {
  const std::vector<unsigned char> before = ReadFile(mp3);
  ASSERT_GT(before.size(), 1000u);
  const std::string link = dir / "link.wav";
  const std::string hardLink = dir / "hard.wav";
  ASSERT_EQ(symlink(mp3.c_str(), link.c_str()), 0);
  ASSERT_EQ(::link(mp3.c_str(), hardLink.c_str()), 0);
  std::string folder = dir.Path();
  folder.pop_back();
  for (const std::string& out : {mp3, folder + "/./in.mp3", folder + "//in.mp3", link, hardLink}) {
    ExpectOutputRefused(out);
    EXPECT_TRUE(ReadFile(mp3) == before) << out;
  }
  // Opened through a link, the file is still the one read.
  lib.OpenFile(link);
  ASSERT_EQ(lib.LastError(), 0);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, mp3.c_str());
  uint8_t flag = 0;
  EXPECT_NE(lib.Play(0, 0, &flag), 0);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT);
  lib.Close();
  EXPECT_TRUE(ReadFile(mp3) == before);
}

TEST_F(UsersFiles, ReadOnlyOutputIsRefusedEvenForRoot) {
  const std::string out = dir / "old.wav";
  const std::vector<unsigned char> old(5000, 0x5a);
  for (mode_t mode : {0444, 0400, 0}) {
    { std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(old.data()), 5000); }
    ASSERT_EQ(chmod(out.c_str(), mode), 0);
    ExpectOutputRefused(out);
    EXPECT_TRUE(ReadFile(out) == old) << std::oct << mode;
    ASSERT_EQ(unlink(out.c_str()), 0);
  }
}

// The same library built for the tests, whose WAV limit is set from the
// environment instead of the format's 4 GiB.
class WavLimit : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.Loaded()) << MPEGDLL_TEST_HOOKS_PATH;
    ASSERT_EQ(lib.init(), 1);
    mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 1.0, "-b 128");
    ASSERT_FALSE(mp3.empty());
    reference = ReferenceDecode(dir, mp3);
    ASSERT_TRUE(reference.valid);
  }
  void TearDown() override {
    unsetenv("MPEGDLL_TEST_WAV_DATA_LIMIT");
    if (lib.Loaded()) lib.deinit();
  }
  DecoderLibrary lib{MPEGDLL_TEST_HOOKS_PATH};
  TempDir dir;
  std::string mp3;
  WavFile reference;
};

TEST_F(WavLimit, OutputPastTheLimitIsAnOutputErrorAndOutputUpToItIsNot) {
  const size_t size = reference.data.size();
  struct Case {
    size_t limit;
    int32_t error;
  };
  for (const Case c : {Case{size, 0}, Case{size - 4, MPEGDLL_ERR_OUTPUT}, Case{size / 2, MPEGDLL_ERR_OUTPUT}}) {
    ASSERT_EQ(setenv("MPEGDLL_TEST_WAV_DATA_LIMIT", std::to_string(c.limit).c_str(), 1), 0);
    const std::string out = dir / "out.wav";
    const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
    EXPECT_EQ(r.openError, 0);
    EXPECT_EQ(r.playResult, 0);
    EXPECT_EQ(r.firstError, c.error) << "limit " << c.limit;
    EXPECT_TRUE(r.flagSet);
    if (c.error == 0) {
      EXPECT_TRUE(ReadWav(out).data == reference.data);
    }
  }
}

}  // namespace
