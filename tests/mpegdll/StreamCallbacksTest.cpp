// Input through the six stream callbacks (source flag 1), from memory, and
// the playing thread's priority seen from inside a read callback.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "DecoderLibrary.h"

namespace {

// An MP3 held in memory, read through the callbacks. With a gate, reads on
// the playing thread block at `gateAt` until the test opens the gate.
struct MemoryStream {
  std::vector<unsigned char> data;
  bool nonseekable = false;
  size_t pos = 0;
  int opens = 0;
  int closes = 0;
  int restarts = 0;
  bool restartAnswer = true;
  bool failAfterGate = false;
  void* contextSeen = nullptr;
  bool contextMismatch = false;

  size_t gateAt = SIZE_MAX;
  std::mutex m;
  std::condition_variable cv;
  bool gateOpen = false;
  bool waitingAtGate = false;
  std::thread::id testThread = std::this_thread::get_id();
  int playingNice = 0;
  int playingPolicy = -1;
  bool sawPlayingThread = false;

  void openGate() {
    std::lock_guard<std::mutex> lock(m);
    gateOpen = true;
    cv.notify_all();
  }
  void waitUntilAtGate() {
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [this] { return waitingAtGate; });
  }
};

MemoryStream* self(void* user) { return static_cast<MemoryStream*>(user); }

void checkContext(MemoryStream* s, void* context) {
  if (context != &s->data) s->contextMismatch = true;
}

void onOpen(void* user, MpegBool* nonseekable, void** context) {
  self(user)->opens++;
  *nonseekable = self(user)->nonseekable ? 1 : 0;
  *context = &self(user)->data;
  self(user)->pos = 0;
}

void onClose(void* user, void* context) {
  checkContext(self(user), context);
  self(user)->closes++;
}

void onRestart(void* user, void* context, MpegBool* res) {
  checkContext(self(user), context);
  self(user)->restarts++;
  if (self(user)->restartAnswer) self(user)->pos = 0;
  *res = self(user)->restartAnswer ? 1 : 0;
}

void onRead(void* user, void* context, void* buffer, int32_t bytesToRead, int32_t* bytesRead, MpegBool* res) {
  MemoryStream* s = self(user);
  checkContext(s, context);
  if (std::this_thread::get_id() != s->testThread) {
    std::unique_lock<std::mutex> lock(s->m);
    if (!s->sawPlayingThread) {
      s->sawPlayingThread = true;
      errno = 0;
      s->playingNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
      s->playingPolicy = sched_getscheduler(0);
    }
    if (s->pos >= s->gateAt && !s->gateOpen) {
      s->waitingAtGate = true;
      s->cv.notify_all();
      s->cv.wait(lock, [s] { return s->gateOpen; });
      if (s->failAfterGate) {
        *res = 0;
        return;
      }
    }
  }
  const size_t n = std::min(static_cast<size_t>(bytesToRead), s->data.size() - s->pos);
  std::memcpy(buffer, s->data.data() + s->pos, n);
  s->pos += n;
  *bytesRead = static_cast<int32_t>(n);
  *res = 1;
}

void onSeek(void* user, void* context, int32_t numbytes, int32_t moveMethod, int32_t* res) {
  MemoryStream* s = self(user);
  checkContext(s, context);
  const int64_t base = moveMethod == 0   ? 0
                       : moveMethod == 1 ? static_cast<int64_t>(s->pos)
                                         : static_cast<int64_t>(s->data.size());
  const int64_t target = base + numbytes;
  if (target < 0 || target > static_cast<int64_t>(s->data.size())) {
    *res = -1;
    return;
  }
  s->pos = static_cast<size_t>(target);
  *res = static_cast<int32_t>(target);
}

void onSize(void* user, void* context, int32_t* res) {
  checkContext(self(user), context);
  *res = static_cast<int32_t>(self(user)->data.size());
}

// What the player forwards when no handler is assigned.
void unassignedOpen(void*, MpegBool*, void** context) { *context = nullptr; }
void unassignedClose(void*, void*) {}
void unassignedRestart(void*, void*, MpegBool* res) { *res = 0; }
void unassignedRead(void*, void*, void*, int32_t, int32_t*, MpegBool* res) { *res = 0; }
void unassignedSeek(void*, void*, int32_t, int32_t, int32_t* res) { *res = -1; }
void unassignedSize(void*, void*, int32_t* res) { *res = -1; }

class StreamCallbacks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.Loaded());
    ASSERT_EQ(lib.init(), 1);
    mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 2.0, "-b 128");
    ASSERT_FALSE(mp3.empty());
    stream.data = ReadFile(mp3);
    ASSERT_GT(stream.data.size(), 1000u);
  }
  void TearDown() override {
    if (lib.Loaded()) lib.deinit();
  }
  void openStream() { lib.Open(nullptr, 1, onOpen, onClose, onRestart, onRead, onSeek, onSize, &stream); }
  // Plays to the PCM file and waits for the end.
  void playToFile(const std::string& out, uint8_t& flag) {
    lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
    ASSERT_EQ(lib.Play(0, 0, &flag), 0);
    ASSERT_EQ(lib.LastError(), 0);
    while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
    }
    ASSERT_EQ(lib.ResetPlayerMode(), 1);
    ASSERT_EQ(lib.LastError(), 0);
  }

  DecoderLibrary lib;
  TempDir dir;
  std::string mp3;
  MemoryStream stream;
};

class StreamCallbacksSeekable : public StreamCallbacks, public ::testing::WithParamInterface<bool> {};

TEST_P(StreamCallbacksSeekable, MemoryStreamDecodesToTheSameSamplesAsTheFile) {
  stream.nonseekable = GetParam();
  const WavFile reference = ReferenceDecode(dir, mp3);
  ASSERT_TRUE(reference.valid);

  openStream();
  ASSERT_EQ(lib.LastError(), 0);
  EXPECT_EQ(stream.opens, 1);
  EXPECT_NEAR(lib.GetLength(), 2000, 30);
  uint8_t flag = 0;
  const std::string out = dir / "cb.wav";
  playToFile(out, flag);
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  EXPECT_TRUE(wav.data == reference.data);

  // Playing again rewinds: by seeking, or through "restart" when the stream
  // cannot seek.
  ASSERT_EQ(std::remove(out.c_str()), 0);
  lib.Restart();
  ASSERT_EQ(lib.LastError(), 0);
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
  EXPECT_EQ(lib.ResetPlayerMode(), 1);
  EXPECT_EQ(stream.restarts, stream.nonseekable ? 1 : 0);
  EXPECT_TRUE(ReadWav(out).data == reference.data);

  EXPECT_EQ(stream.closes, 0);
  lib.Close();
  EXPECT_EQ(stream.closes, 1);
  lib.Close();
  EXPECT_EQ(stream.closes, 1);
  EXPECT_FALSE(stream.contextMismatch);
}

INSTANTIATE_TEST_SUITE_P(Seekability, StreamCallbacksSeekable, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "NonSeekable" : "Seekable"; });

TEST_F(StreamCallbacks, NonSeekableStreamStartsLaterByReadingAndCannotGoBackWithoutRestart) {
  stream.nonseekable = true;
  stream.restartAnswer = false;
  const WavFile reference = ReferenceDecode(dir, mp3);
  ASSERT_TRUE(reference.valid);
  openStream();
  ASSERT_EQ(lib.LastError(), 0);
  const std::string out = dir / "later.wav";
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(500, 0, &flag), 0);
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
  ASSERT_EQ(lib.ResetPlayerMode(), 1);
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  ASSERT_EQ(wav.data.size(), reference.data.size() - 22050 * 4);
  EXPECT_TRUE(std::equal(wav.data.begin(), wav.data.end(), reference.data.begin() + 22050 * 4));

  lib.Restart();
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_NONSEEKABLE);
  EXPECT_EQ(stream.restarts, 1);
  EXPECT_NE(lib.GetPlayerMode(), MPEGDLL_MODE_PLAYING);
  lib.Close();
  EXPECT_EQ(stream.closes, 1);
}

TEST_F(StreamCallbacks, UnassignedHandlersGiveAnInputStreamErrorAndAClose) {
  lib.Open(nullptr, 1, unassignedOpen, unassignedClose, unassignedRestart, unassignedRead, unassignedSeek,
           unassignedSize, &stream);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_INPUT);
  lib.Open(nullptr, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_INPUT);
}

TEST_F(StreamCallbacks, OpenFailureClosesTheCallerStream) {
  stream.data.assign(100, 0);  // no MPEG audio in it
  openStream();
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_INPUT);
  EXPECT_EQ(stream.opens, 1);
  EXPECT_EQ(stream.closes, 1);
}

TEST_F(StreamCallbacks, ReadFailureWhilePlayingEndsWithInputStreamErrorAndKeepsTheOldWav) {
  stream.nonseekable = true;
  stream.gateAt = stream.data.size() / 2;
  stream.failAfterGate = true;
  openStream();
  ASSERT_EQ(lib.LastError(), 0);
  uint8_t flag = 0;
  const std::string out = dir / "half.wav";
  const std::vector<unsigned char> old = {'o', 'l', 'd'};
  std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(old.data()), 3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  stream.waitUntilAtGate();
  stream.openGate();
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
  // The next entry reports why the playback ended, once.
  EXPECT_EQ(lib.GetCurrentPos() >= 0, true);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_INPUT);
  EXPECT_EQ(lib.ResetPlayerMode(), 1);
  EXPECT_EQ(lib.LastError(), 0);
  // A WAV of the sound up to the failure would pass for the whole decode.
  EXPECT_TRUE(ReadFile(out) == old) << "the old WAV is kept";
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    EXPECT_NE(entry.path().filename().string()[0], '.') << "a hidden file is left";
  lib.Close();
}

// Pause and Stop on the PCM-file device, made deterministic by holding the
// playing thread at the gate.
TEST_F(StreamCallbacks, PauseHoldsAndStopEndsAFileDecodeWithAValidWav) {
  stream.nonseekable = true;
  stream.gateAt = stream.data.size() / 3;
  openStream();
  uint8_t flag = 0;
  const std::string out = dir / "stopped.wav";
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_PLAYING);
  stream.waitUntilAtGate();
  lib.Pause(0);
  ASSERT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_PAUSED);
  stream.openGate();
  EXPECT_EQ(lib.ResetPlayerMode(), 0) << "a paused playback has not ended";
  const int32_t pausedAt = lib.GetCurrentPos();
  EXPECT_GE(pausedAt, 0);
  EXPECT_LT(pausedAt, 2000);
  lib.Stop();
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_STOPPED);
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  EXPECT_GT(wav.dataSize, 0u);
  EXPECT_LT(wav.dataSize, 2u * 44100 * 4);
  EXPECT_EQ(wav.dataSize, wav.fileSize - 44);
  lib.Close();
}

// The playing thread's niceness is the test thread's (which may start under
// `nice`) moved by niceOffset and kept within -20..19; TimeCritical goes to
// the top whatever the start.
struct PriorityCase {
  const char* name;
  int32_t level;
  int policy;
  int niceOffset;
};

void PrintTo(const PriorityCase& c, std::ostream* os) { *os << c.name; }

class PlayingThreadPriority : public StreamCallbacks, public ::testing::WithParamInterface<PriorityCase> {};

TEST_P(PlayingThreadPriority, ReadCallbackRunsAtTheMappedPriority) {
  const PriorityCase c = GetParam();
  if (c.niceOffset < 0 && geteuid() != 0) GTEST_SKIP() << "raising a priority needs privileges";
  stream.nonseekable = true;
  stream.gateAt = stream.data.size() / 2;
  errno = 0;
  const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  ASSERT_EQ(errno, 0);
  openStream();
  lib.SetPriority(c.level);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (dir / "prio.wav").c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  stream.waitUntilAtGate();
  stream.openGate();
  lib.Close();
  ASSERT_TRUE(stream.sawPlayingThread);
  EXPECT_EQ(stream.playingPolicy, c.policy);
  if (c.policy == SCHED_OTHER) {
    EXPECT_EQ(stream.playingNice, std::clamp(base + c.niceOffset, -20, 19));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Levels, PlayingThreadPriority,
    ::testing::Values(PriorityCase{"Idle", -15, SCHED_IDLE, 0}, PriorityCase{"Lowest", -2, SCHED_OTHER, 10},
                      PriorityCase{"BelowNormal", -1, SCHED_OTHER, 5}, PriorityCase{"Normal", 0, SCHED_OTHER, 0},
                      PriorityCase{"Highest", 2, SCHED_OTHER, -10}, PriorityCase{"TimeCritical", 15, SCHED_OTHER, -40}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
