// The main window as built: its controls, its start-up and its close.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../controls/mplayer_fake_service.h"
#include "../framework/DialogDriver.h"
#include "Application.h"
#include "FileDialogs.h"
#include "Unit1.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;

namespace {

// No error box may block a test: every message the window would show is
// recorded instead, and a test that did not expect one fails.
class NoErrorBoxes : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    Application().SetErrorBoxHook(
        [](const std::string&, const std::string& text) { ADD_FAILURE() << "unexpected error box: " << text; });
  }
};
const bool kHookInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new NoErrorBoxes);
  return true;
}();

// Runs a test body with the process's working directory set to a new folder,
// and the user's settings in a folder of the test's (dir_/config).
class InFreshFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vantrel-window-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    old_ = fs::current_path();
    fs::current_path(dir_);
    setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  fs::path Settings() const { return dir_ / "config/vantrel/S16c.ini"; }
  fs::path dir_, old_;
};

std::string ExecutableFolder() {
  const std::string exe = fs::read_symlink("/proc/self/exe").string();
  return exe.substr(0, exe.rfind('/') + 1);
}

TEST_F(InFreshFolder, WithoutSettingsFileBothFoldersAreEmpty) {
  TForm1 form;
  EXPECT_EQ(form.State.AppDir, ExecutableFolder());
  ASSERT_NE(form.State.Settings, nullptr);
  EXPECT_EQ(form.State.Settings->FileName(), Settings().string());
  EXPECT_EQ(form.State.Gp3Dir, "");
  EXPECT_EQ(form.State.WavDir, "");
  EXPECT_FALSE(fs::exists(dir_ / "config")) << "starting creates no settings folder";
  EXPECT_FALSE(fs::exists(dir_ / "S16c.ini"));
}

TEST_F(InFreshFolder, ReadsBothRememberedFolders) {
  fs::create_directories(Settings().parent_path());
  std::ofstream(Settings()) << "[Directory]\nGp3=/games/gp3/sound/\nWav=/home/me/sounds/\n";
  TForm1 form;
  EXPECT_EQ(form.State.Gp3Dir, "/games/gp3/sound/");
  EXPECT_EQ(form.State.WavDir, "/home/me/sounds/");
}

TEST_F(InFreshFolder, StartedFromTwoFoldersTheWindowsShareOneSettingsFile) {
  const fs::path first = dir_ / "first", second = dir_ / "second";
  ASSERT_TRUE(fs::create_directory(first));
  ASSERT_TRUE(fs::create_directory(second));
  fs::current_path(first);
  {
    TForm1 form;
    form.State.Settings->WriteText("Directory", "Wav", "/home/me/sounds/");
  }
  fs::current_path(second);
  TForm1 form;
  EXPECT_EQ(form.State.AppDir, ExecutableFolder());
  EXPECT_EQ(form.State.WavDir, "/home/me/sounds/");
  form.State.Settings->WriteText("Directory", "Gp3", "/games/");
  EXPECT_EQ(TIniFile(Settings()).ReadText("Directory", "Gp3", ""), "/games/");
  for (const fs::path& folder : {first, second, fs::path(ExecutableFolder())}) {
    EXPECT_FALSE(fs::exists(folder / "S16c.ini")) << folder;
  }
}

TEST_F(InFreshFolder, WindowIsAFixedDialogWithItsControls) {
  TForm1 form;
  form.show();
  EXPECT_EQ(form.windowTitle(), "Vantrel  V2.0");
  EXPECT_EQ(form.size(), QSize(346, 155));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  struct Expected {
    QPushButton* button;
    QRect geometry;
    const char* text;
    const char* hint;
    bool visible;
  };
  const Expected buttons[] = {
      {form.BitBtn2, QRect(170, 54, 121, 22), "Convert Mp3 as Wav", "If Mp3 is choosed, need to decode first", true},
      {form.BitBtn4, QRect(54, 54, 103, 22), "Play Wav /Mp3", "Play  WAV or MP3", true},
      {form.BitBtn6, QRect(8, 81, 25, 23), "", "", false},
      {form.BitBtn1, QRect(54, 81, 238, 22), "Convert Wav as GP3 / GP4 sound format", "", true},
  };
  for (const Expected& e : buttons) {
    SCOPED_TRACE(e.text);
    EXPECT_EQ(e.button->geometry(), e.geometry);
    EXPECT_EQ(e.button->text(), e.text);
    EXPECT_EQ(e.button->toolTip(), e.hint);
    EXPECT_EQ(e.button->isVisible(), e.visible);
    EXPECT_TRUE(e.button->isEnabled());
  }
  EXPECT_FALSE(form.BitBtn6->icon().isNull());
  EXPECT_EQ(form.Label1->text(), "Serafon");
  EXPECT_EQ(form.Label1->geometry(), QRect(8, 8, 330, 19));
  EXPECT_TRUE(form.Label1->font().bold());
  EXPECT_EQ(form.Label1->font().pixelSize(), 16);
  EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, 136, 346, 19));
  EXPECT_FALSE(form.StatusText().empty());
  EXPECT_FALSE(form.windowIcon().isNull());
  // Desktops match the window to the desktop entry the program installs.
  const std::string entry = QGuiApplication::desktopFileName().toStdString() + ".desktop";
  EXPECT_TRUE(fs::exists(fs::path(VANTREL_RESOURCES_DIR) / entry)) << entry;
}

TEST_F(InFreshFolder, CloseFreesTheSettingsObject) {
  TForm1 form;
  form.show();
  ASSERT_NE(form.State.Settings, nullptr);
  form.close();
  EXPECT_EQ(form.State.Settings, nullptr);
}

TEST_F(InFreshFolder, SaveDialogAndMediaPlayerAreSetUpAsTheWindowDescribesThem) {
  TForm1 form;
  EXPECT_EQ(form.SaveDialog1->Title(), "Select your Grand Prix 3\\Sound  Directory");
  EXPECT_EQ(form.SaveDialog1->Filter(), "GP3/GP4 Sounds|bsound*.16;tk*.st1");

  const TMediaPlayer& player = *form.MediaPlayer1;
  EXPECT_EQ(player.VisibleButtons(), (TButtonSet{btPlay, btStop}));
  EXPECT_EQ(player.ColoredButtons(), (TButtonSet{btPlay, btEject}));
  EXPECT_EQ(player.EnabledButtons(), TMediaPlayer::AllButtons);
  EXPECT_TRUE(player.AutoEnable());
  EXPECT_FALSE(player.AutoOpen());
  EXPECT_TRUE(player.AutoRewind());
  EXPECT_EQ(player.DeviceType(), dtAutoSelect);
  EXPECT_FALSE(player.Shareable());
  EXPECT_TRUE(player.TabStop());
  EXPECT_EQ(player.geometry(), QRect(7, 81, 57, 23));
  EXPECT_EQ(player.ButtonWidth(), 29);
  EXPECT_FALSE(player.Visible());
  EXPECT_TRUE(player.OnClick);
  EXPECT_TRUE(player.OnNotify);
}

// Tab order: BitBtn2, BitBtn4, MediaPlayer1, BitBtn6, BitBtn1, with every one
// of them shown, pressed from the keyboard as a user does.
TEST_F(InFreshFolder, TabVisitsTheControlsInTheirTabOrder) {
  TForm1 form;
  form.show();
  form.MediaPlayer1->SetVisible(true);
  form.BitBtn6->show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.BitBtn2->setFocus();
  ASSERT_TRUE(form.BitBtn2->hasFocus());
  std::vector<QWidget*> visited{QApplication::focusWidget()};
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(form.windowHandle(), Qt::Key_Tab);
    visited.push_back(QApplication::focusWidget());
  }
  EXPECT_THAT(visited,
              ElementsAre(form.BitBtn2, form.BitBtn4, form.MediaPlayer1, form.BitBtn6, form.BitBtn1, form.BitBtn2));
}

// The user presses "Play Wav /Mp3" from the keyboard and picks a WAV: the
// button is disabled while it has the focus, and the media player that has
// just been shown must not take it over (Space would play at once).
TEST_F(InFreshFolder, ChoosingAWavLeavesTheKeyboardFocusOffTheMediaPlayer) {
  RecordingMciService service;  // the window test has no sound server
  TForm1 form;
  form.MediaPlayer1->SetMciService(&service);
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.BitBtn4->setFocus();
  ASSERT_TRUE(form.BitBtn4->hasFocus());
  const QString wav = QString::fromStdString((dir_ / "tone.wav").string());
  std::ofstream(wav.toStdString()) << "RIFF";

  DialogDriver driver([&](QWidget* dialog) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(wav);
    Key(dialog, Qt::Key_Return);
  });
  QTest::keyClick(form.windowHandle(), Qt::Key_Space);
  ASSERT_TRUE(driver.Ran());
  ASSERT_EQ(form.MediaPlayer1->FileName(), wav.toStdString());
  ASSERT_TRUE(form.MediaPlayer1->isVisible());
  EXPECT_FALSE(form.BitBtn4->isEnabled());
  EXPECT_FALSE(form.MediaPlayer1->hasFocus());

  QTest::keyClick(form.windowHandle(), Qt::Key_Space);
  EXPECT_TRUE(service.Sent(MCI_PLAY).empty()) << "Space played the WAV";
}

}  // namespace
