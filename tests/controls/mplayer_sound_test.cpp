// The main window's sequence on the real media service: a short WAV played
// through the test's sound server, its end reported as a notification.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "MPlayer.h"
#include "QtInput.h"
#include "SoundFiles.h"
#include "mplayer_pixels.h"

using ::testing::ElementsAre;

namespace {

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

}  // namespace
