// The player's Qt face against a recording service: the widget as the
// service's callback, the completion report arriving as an event, the display
// widget, the component life, and the row's key press through the button
// command dispatch to the error display. The device's own rules are tested
// without any toolkit in media_player_device_test.cpp.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "MPlayer.h"
#include "Mci.h"
#include "mplayer_fake_service.h"

using ::testing::ElementsAre;

namespace {

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    player = std::make_unique<TMediaPlayer>();
    player->SetMciService(&service);
    player->SetFileName("/tmp/sound.wav");
  }
  void TearDown() override {
    player.reset();  // closes through the fake while it still exists
  }

  void OpenDevice() {
    player->Open();
    service.log.clear();
  }

  void DeliverNotify(uint32_t code) {
    PostMciNotify(reinterpret_cast<uintptr_t>(static_cast<QObject*>(player.get())), code, service.openId);
    QCoreApplication::sendPostedEvents(player.get(), MciNotifyEventType());
  }

  void PressSpace() {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(player.get(), &press);
  }

  RecordingMciService service;
  std::unique_ptr<TMediaPlayer> player;
};

// --- The widget as the service's callback ---

TEST_F(PlayerTest, CommandsNameTheWidgetForTheirReports) {
  player->Open();
  player->Play();
  const uintptr_t widget = reinterpret_cast<uintptr_t>(static_cast<QObject*>(player.get()));
  EXPECT_EQ(service.Sent(MCI_OPEN).at(0).callback, widget);
  EXPECT_EQ(service.Sent(MCI_PLAY).at(0).callback, widget);
}

TEST_F(PlayerTest, ReportEventReachesOnNotifyWithTheResult) {
  OpenDevice();
  std::vector<TMPNotifyValues> results;
  player->OnNotify = [&](TMediaPlayer* sender) {
    EXPECT_EQ(sender, player.get());
    results.push_back(sender->NotifyResult());
  };
  DeliverNotify(MCI_NOTIFY_ABORTED);
  DeliverNotify(0x20);
  EXPECT_THAT(results, ElementsAre(nrAborted, nrAborted));
}

// --- Display widget ---

TEST_F(PlayerTest, DisplayWindowIsGivenToAVideoDeviceAndTakenBackWhenFreed) {
  service.devcaps[MCI_GETDEVCAPS_HAS_VIDEO] = 1;
  auto display = std::make_unique<QWidget>();
  player->SetDisplay(display.get());  // stored for the next Open
  EXPECT_TRUE(service.log.empty());
  player->Open();
  auto windows = service.Sent(MCI_WINDOW);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].flags, MCI_WAIT | MCI_ANIM_WINDOW_HWND);
  EXPECT_EQ(windows[0].window, static_cast<uintptr_t>(display->winId()));
  display.reset();
  windows = service.Sent(MCI_WINDOW);
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[1].window, 0u);
  EXPECT_EQ(player->Display(), nullptr);
}

TEST_F(PlayerTest, RefusedDisplayWindowIsDropped) {
  service.devcaps[MCI_GETDEVCAPS_HAS_VIDEO] = 1;
  player->Open();
  service.failures[MCI_WINDOW] = MCIERR_NO_WINDOW;
  QWidget display;
  player->SetDisplay(&display);
  EXPECT_EQ(player->Display(), nullptr);
  EXPECT_EQ(player->LastError(), MCIERR_NO_WINDOW);
}

TEST_F(PlayerTest, FreedDisplayStoredBeforeOpenIsForgotten) {
  auto display = std::make_unique<QWidget>();
  player->SetDisplay(display.get());
  display.reset();
  EXPECT_EQ(player->Display(), nullptr);
  EXPECT_TRUE(service.log.empty());
}

// --- Component life ---

TEST_F(PlayerTest, DestructionClosesTheOpenDevice) {
  OpenDevice();
  player.reset();
  ASSERT_EQ(service.log.size(), 1u);
  EXPECT_EQ(service.log[0].message, MCI_CLOSE);
  EXPECT_EQ(service.log[0].device, 7u);
  EXPECT_EQ(service.log[0].flags, MCI_WAIT);
}

TEST_F(PlayerTest, LoadedOpensOnlyWithAutoOpen) {
  player->Loaded();
  EXPECT_TRUE(service.log.empty());
  player->SetAutoOpen(true);
  player->Loaded();
  EXPECT_EQ(player->DeviceId(), 7);
}

// --- Completion report and the row ---

TEST_F(PlayerTest, NotifyOnAStoppedDeviceLightsPlayAgain) {
  OpenDevice();
  PressSpace();  // Play
  ASSERT_EQ(player->AutoButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));
  DeliverNotify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(player->AutoButtons(), (TButtonSet{btPlay, btNext, btPrev}));
}

TEST_F(PlayerTest, NotifyWhilePlayingLeavesTheButtons) {
  OpenDevice();
  PressSpace();
  service.status[MCI_STATUS_MODE] = MCI_MODE_PLAY;
  DeliverNotify(MCI_NOTIFY_SUPERSEDED);
  EXPECT_EQ(player->AutoButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));
}

TEST_F(PlayerTest, WithoutAutoEnableOnlyOpenAndCloseChangeAutoButtons) {
  player->SetAutoEnable(false);
  player->Open();
  const TButtonSet afterOpen = player->AutoButtons();
  EXPECT_EQ(afterOpen, (TButtonSet{btPlay, btNext, btPrev}));
  PressSpace();  // Play
  EXPECT_EQ(service.Sent(MCI_PLAY).size(), 1u);
  EXPECT_EQ(player->AutoButtons(), afterOpen);
  DeliverNotify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(player->AutoButtons(), afterOpen);
  player->Close();
  EXPECT_TRUE(player->AutoButtons().Empty());
}

// --- Button command dispatch ---

TEST_F(PlayerTest, OnClickCanCancelTheCommandAndThePostClick) {
  OpenDevice();
  std::vector<std::string> events;
  player->OnClick = [&](TMediaPlayer*, TMPBtnType b, bool& doDefault) {
    events.push_back("click " + std::to_string(b));
    doDefault = false;
  };
  player->OnPostClick = [&](TMediaPlayer*, TMPBtnType b) { events.push_back("post " + std::to_string(b)); };
  PressSpace();
  EXPECT_THAT(events, ElementsAre("click 0"));
  EXPECT_TRUE(service.Actions().empty());
}

TEST_F(PlayerTest, DispatchRunsClickCommandThenPostClick) {
  OpenDevice();
  std::vector<std::string> events;
  player->OnClick = [&](TMediaPlayer*, TMPBtnType, bool&) {
    events.push_back("click, sent " + std::to_string(service.Actions().size()));
  };
  player->OnPostClick = [&](TMediaPlayer*, TMPBtnType b) {
    events.push_back("post " + std::to_string(b) + ", sent " + std::to_string(service.Actions().size()));
  };
  PressSpace();
  EXPECT_THAT(events, ElementsAre("click, sent 0", "post 0, sent 1"));
}

TEST_F(PlayerTest, GuardErrorOfAButtonGoesToTheErrorDisplay) {
  std::string shown;
  Application().SetErrorBoxHook([&](const std::string&, const std::string& text) { shown = text; });
  bool posted = false;
  player->OnPostClick = [&](TMediaPlayer*, TMPBtnType) { posted = true; };
  PressSpace();  // Play with no device
  Application().SetErrorBoxHook(nullptr);
  EXPECT_EQ(shown, "Aucun périphérique MCI ouvert.");
  EXPECT_FALSE(posted);
}

}  // namespace
