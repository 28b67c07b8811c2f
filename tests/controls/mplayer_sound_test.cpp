// The main window's sequence on the real media service: a short WAV played
// through the test's sound server, its end reported as a notification; and
// what reaches the server's null sink, recorded from its monitor.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "MPlayer.h"
#include "QtInput.h"
#include "SoundFiles.h"
#include "mplayer_pixels.h"

using ::testing::ElementsAre;

extern char** environ;

namespace {

// Records what the test server's null sink plays, from its monitor, at the
// sink's own format (16-bit stereo at 44100 Hz), into a file.
class MonitorRecording {
 public:
  explicit MonitorRecording(std::string path) : path_(std::move(path)) {
    const char* args[] = {"parec",        "-d",           "vantrel_null.monitor", "--raw",       "--format=s16le",
                          "--rate=44100", "--channels=2", "--latency-msec=20",    path_.c_str(), nullptr};
    started_ = posix_spawnp(&pid_, "parec", nullptr, nullptr, const_cast<char**>(args), environ) == 0;
  }
  ~MonitorRecording() { Stop(); }
  bool Started() const { return started_; }
  // Ends the recording; the samples recorded, interleaved.
  std::vector<int16_t> Stop() {
    if (started_) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      started_ = false;
    }
    std::ifstream in(path_, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
  }

 private:
  std::string path_;
  pid_t pid_ = 0;
  bool started_ = false;
};

int Peak(const std::vector<int16_t>& samples) {
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(int{s}));
  return peak;
}

bool Sh(const std::string& command) { return std::system(command.c_str()) == 0; }

class RealServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    window = std::make_unique<QWidget>();
    window->resize(200, 120);
    player = new TMediaPlayer(window.get());
    player->Updating();
    player->SetBounds(7, 81, 57, 23);
    player->SetVisible(false);
    player->SetVisibleButtons({btPlay, btStop});
    player->SetColoredButtons({btPlay, btEject});
    player->OnClick = [&](TMediaPlayer*, TMPBtnType b, bool&) { clicks.push_back(b); };
    player->OnNotify = [&](TMediaPlayer* sender) {
      results.push_back(sender->NotifyResult());
      sender->SetNotify(true);
      modesInNotify.push_back(sender->Mode());
    };
    player->Updated();
    player->Loaded();
  }
  void TearDown() override { window.reset(); }

  // Runs the event loop until a notification arrived; the limit only keeps a
  // lost notification from hanging the run.
  bool WaitForNotify() {
    const size_t before = results.size();
    return PumpUntil([&] { return results.size() > before; }, 20000);
  }

  std::string QuietWav(const char* name, double seconds) {
    const std::string path = dir.filePath(name).toStdString();
    WriteToneWav(path, seconds, 2000);
    return path;
  }

  void OpenForPlayback(const std::string& path) {
    player->SetFileName(path);
    player->Open();
    player->SetNotify(true);
    player->SetVisible(true);
  }

  QTemporaryDir dir;
  std::unique_ptr<QWidget> window;
  TMediaPlayer* player = nullptr;
  std::vector<TMPBtnType> clicks;
  std::vector<TMPNotifyValues> results;
  std::vector<TMPModes> modesInNotify;
};

TEST_F(RealServiceTest, PlayToTheEndReportsSuccessAndLightsPlayAgain) {
  OpenForPlayback(QuietWav("short.wav", 0.4));
  ASSERT_NE(player->DeviceId(), 0);
  QImage image = Pixels(*player);
  EXPECT_TRUE(HasGlyph(*player, image, btPlay, kColored, 6, 3));
  EXPECT_TRUE(HasGlyph(*player, image, btStop, kDisabled, 34, 3));

  ClickAt(player, 10);
  EXPECT_THAT(clicks, ElementsAre(btPlay));
  EXPECT_EQ(player->LastError(), 0u);
  image = Pixels(*player);
  EXPECT_TRUE(HasGlyph(*player, image, btPlay, kDisabled, 6, 3));
  EXPECT_TRUE(HasGlyph(*player, image, btStop, kEnabled, 34, 3));

  ASSERT_TRUE(WaitForNotify());
  EXPECT_THAT(results, ElementsAre(nrSuccessful));
  EXPECT_THAT(modesInNotify, ElementsAre(mdStopped));
  image = Pixels(*player);
  EXPECT_TRUE(HasGlyph(*player, image, btPlay, kColored, 6, 3));
  EXPECT_TRUE(HasGlyph(*player, image, btStop, kDisabled, 34, 3));
}

TEST_F(RealServiceTest, StopInTheMiddleEndsThePlay) {
  OpenForPlayback(QuietWav("long.wav", 5.0));
  ClickAt(player, 10);
  ASSERT_EQ(player->Mode(), mdPlaying);
  ClickAt(player, 40);
  EXPECT_THAT(clicks, ElementsAre(btPlay, btStop));
  EXPECT_EQ(player->LastError(), 0u);
  EXPECT_EQ(player->Mode(), mdStopped);
  QImage image = Pixels(*player);
  EXPECT_TRUE(HasGlyph(*player, image, btPlay, kColored, 6, 3));
  EXPECT_TRUE(HasGlyph(*player, image, btStop, kDisabled, 34, 3));
  // The interrupted play still reports, as aborted.
  ASSERT_TRUE(WaitForNotify());
  EXPECT_THAT(results, ElementsAre(nrAborted));
  EXPECT_TRUE(HasGlyph(*player, Pixels(*player), btPlay, kColored, 6, 3));
}

TEST_F(RealServiceTest, FileThatIsNoSoundRaisesTheServiceText) {
  const std::string path = dir.filePath("not-a-sound.wav").toStdString();
  std::ofstream(path) << "plain text";
  player->SetFileName(path);
  try {
    player->Open();
    FAIL() << "no exception";
  } catch (const EMCIDeviceError& e) {
    EXPECT_FALSE(e.Message().empty());
    EXPECT_NE(e.Message(), "Code d'erreur inconnu");
  }
  EXPECT_NE(player->LastError(), 0u);
  EXPECT_EQ(player->DeviceId(), 0);
}

// A tone at half of full scale, in the forms that broadcast tools, editors and
// ffmpeg write: it reaches the sound server at that level, not silent (float
// read as integers) and not raised to full scale (float scaled by its peak).
struct LevelCase {
  const char* name;
  const char* soxEncoding;
  const char* wideForm;  // "RF64" or "BW64", or null for RIFF
};

void PrintTo(const LevelCase& c, std::ostream* os) { *os << c.name; }

class RecordedLevel : public RealServiceTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(RecordedLevel, PlaysAtTheLevelItWasRecorded) {
  const LevelCase& c = GetParam();
  const std::string path = dir.filePath("level.wav").toStdString();
  ASSERT_TRUE(
      Sh("sox -R -D -n -r 44100 -c 2 " + std::string(c.soxEncoding) + " '" + path + "' synth 1 sine 440 vol 0.5"));
  if (c.wideForm != nullptr) {
    ASSERT_TRUE(RewriteAsWideWav(path, c.wideForm));
  }
  MonitorRecording monitor(dir.filePath("monitor.raw").toStdString());
  ASSERT_TRUE(monitor.Started());
  // The monitor's stream delivers its first blocks late on a fresh server.
  PumpFor(1500);
  OpenForPlayback(path);
  ASSERT_NE(player->DeviceId(), 0);
  ClickAt(player, 10);
  ASSERT_TRUE(WaitForNotify());
  EXPECT_THAT(results, ElementsAre(nrSuccessful));
  PumpFor(300);
  const std::vector<int16_t> recorded = monitor.Stop();
  ASSERT_GT(recorded.size(), 44100u) << "a second of sound was recorded";
  EXPECT_NEAR(Peak(recorded), 16384, 16384 * 0.03);
}

INSTANTIATE_TEST_SUITE_P(Forms, RecordedLevel,
                         ::testing::Values(LevelCase{"Float32", "-e floating-point -b 32", nullptr},
                                           LevelCase{"Float64", "-e floating-point -b 64", nullptr},
                                           LevelCase{"Pcm24", "-e signed-integer -b 24", nullptr},
                                           LevelCase{"Float32InRf64", "-e floating-point -b 32", "RF64"},
                                           LevelCase{"Float32InBw64", "-e floating-point -b 32", "BW64"}),
                         [](const ::testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

}  // namespace
