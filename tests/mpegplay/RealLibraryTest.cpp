// Real decoding through the decoder library of mpegdll/, on an MP3 made by
// sox and lame inside the test, checked against mpg123 -w.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "MPEGPlay.h"
#include "SoundFiles.h"
#include "WavImages.h"

namespace fs = std::filesystem;

namespace {

std::vector<char> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32(const std::vector<char>& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return v;
}

class MpegRealLibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("mpegplay-real-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Three seconds of stereo with different tones left and right.
    made_ = MakeMp3((dir_ / "song.mp3").string(), 3, "sine 440 sine 660") &&
            DecodeWithMpg123((dir_ / "song.mp3").string(), (dir_ / "reference.wav").string());
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  void SetUp() override {
    ASSERT_TRUE(made_) << "could not make the MP3 and its reference decoding with sox, lame and mpg123";
    player.SetPathToDLL(REAL_DLL_DIR);
    player.LoadDLL();
    ASSERT_TRUE(player.Loaded());
  }

  void TearDown() override { player.UnloadDLL(); }

  // Decodes the open-to-be stream into `out` the way the MP3 command drives
  // the player; returns the positions seen.
  std::vector<int32_t> DecodeTo(const fs::path& out) {
    player.SetOutFilename(out.string());
    player.SetOutputDevice(TOutputDevice::pcmfile);
    player.Open();
    EXPECT_GT(player.StreamLength(), 0);
    QDeadlineTimer deadline(60000);
    while (player.GetCurrentPos() == -1 && !deadline.hasExpired()) player.Play();
    std::vector<int32_t> positions;
    while (!player.ResetPlayerMode() && !deadline.hasExpired()) {
      player.Play();
      positions.push_back(player.GetCurrentPos());
    }
    EXPECT_FALSE(deadline.hasExpired()) << "decoding did not end";
    player.Close();
    return positions;
  }

  static fs::path dir_;
  static bool made_;
  TMPEGPlayer player;
};

fs::path MpegRealLibraryTest::dir_;
bool MpegRealLibraryTest::made_ = false;

TEST_F(MpegRealLibraryTest, PcmFileDecodingEqualsMpg123) {
  player.SetStreamName((dir_ / "song.mp3").string());
  const std::vector<int32_t> positions = DecodeTo(dir_ / "out.wav");
  for (size_t i = 1; i < positions.size(); ++i) EXPECT_LE(positions[i - 1], positions[i]);
  EXPECT_EQ(player.PlayedXTimes(), 0);

  const std::vector<char> wav = ReadFile(dir_ / "out.wav");
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(std::string(wav.data() + 36, 4), "data");
  EXPECT_EQ(Le32(wav, 40), wav.size() - 44);
  const WavFile reference = ReadWav((dir_ / "reference.wav").string());
  ASSERT_TRUE(reference.valid);
  EXPECT_EQ(wav.size() - 44, reference.data.size());
  EXPECT_TRUE(Bytes(wav.begin() + 44, wav.end()) == reference.data) << "samples differ from mpg123 -w";
}

struct MemorySource {
  std::vector<char> bytes;
  int32_t pos = 0;
  int reads = 0;
};

TEST_F(MpegRealLibraryTest, StreamEventsFromMemoryGiveTheSameSamplesAsTheFile) {
  player.SetStreamName((dir_ / "song.mp3").string());
  DecodeTo(dir_ / "by-name.wav");

  MemorySource source;
  source.bytes = ReadFile(dir_ / "song.mp3");
  ASSERT_FALSE(source.bytes.empty());
  const auto size = static_cast<int32_t>(source.bytes.size());
  player.OnOpenStream = [&](bool&, void*& context) { context = &source; };
  player.OnReadStream = [size](void* context, void* buffer, int32_t toRead, int32_t& read, bool& res) {
    auto* s = static_cast<MemorySource*>(context);
    read = std::max(0, std::min(toRead, size - s->pos));
    std::memcpy(buffer, s->bytes.data() + s->pos, static_cast<size_t>(read));
    s->pos += read;
    ++s->reads;
    res = true;
  };
  player.OnSeekStream = [size](void* context, int32_t numbytes, int32_t moveMethod, int32_t& res) {
    auto* s = static_cast<MemorySource*>(context);
    const int32_t base = moveMethod == 0 ? 0 : moveMethod == 1 ? s->pos : size;
    const int32_t target = base + numbytes;
    if (target < 0 || target > size) {
      res = -1;
      return;
    }
    s->pos = target;
    res = target;
  };
  player.OnGetStreamSize = [size](void*, int32_t& res) { res = size; };
  player.SetFromStream(true);
  DecodeTo(dir_ / "from-stream.wav");

  EXPECT_GT(source.reads, 0);
  const std::vector<char> byName = ReadFile(dir_ / "by-name.wav");
  ASSERT_GT(byName.size(), 44u);
  EXPECT_TRUE(ReadFile(dir_ / "from-stream.wav") == byName);
}

TEST_F(MpegRealLibraryTest, UnloadingWithAStreamOpenClosesIt) {
  player.SetStreamName((dir_ / "song.mp3").string());
  player.SetOutFilename((dir_ / "unload.wav").string());
  player.SetOutputDevice(TOutputDevice::pcmfile);
  player.Open();
  player.Play();
  player.UnloadDLL();
  EXPECT_FALSE(player.Loaded());
  EXPECT_FALSE(player.Opened());
  // Loading again gives a library without a stream.
  player.LoadDLL();
  EXPECT_EQ(player.StreamLength(), 0);
  player.Close();
}

TEST_F(MpegRealLibraryTest, MissingFileRaisesTheLibrarysInputError) {
  player.SetStreamName((dir_ / "no-such.mp3").string());
  try {
    player.Open();
    FAIL() << "no error for a missing file";
  } catch (const TMPEGError& e) {
    EXPECT_EQ(e.Message(), "Input stream error");
    EXPECT_EQ(e.ErrorCode, 3);
  }
  EXPECT_FALSE(player.Opened());
}

TEST_F(MpegRealLibraryTest, FifoPlayedAsAnMp3IsAnInputErrorWithoutWaitingForAWriter) {
  const fs::path fifo = dir_ / "fifo.mp3";
  fs::remove(fifo);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  player.SetStreamName(fifo.string());
  player.SetOutputDevice(TOutputDevice::wavemapper);
  // Should opening wait for a writer, one comes and goes after 10 s, so the
  // test fails instead of hanging.
  std::mutex m;
  std::condition_variable cv;
  bool returned = false;
  bool waited = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> lock(m);
    if (cv.wait_for(lock, std::chrono::seconds(10), [&] { return returned; })) return;
    waited = true;
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  });
  std::string message;
  try {
    player.Play();
  } catch (const TMPEGError& e) {
    message = e.Message();
  }
  {
    std::lock_guard<std::mutex> lock(m);
    returned = true;
  }
  cv.notify_all();
  watchdog.join();
  fs::remove(fifo);
  EXPECT_FALSE(waited) << "playing waited for a writer of the FIFO";
  EXPECT_EQ(message, "Input stream error");
  EXPECT_FALSE(player.Opened());
}

}  // namespace
