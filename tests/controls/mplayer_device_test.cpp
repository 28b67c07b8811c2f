// The player's device side against a recording service: the commands, flags
// and parameter blocks it sends, its errors, and the completion report.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <functional>
#include <memory>
#include <ostream>

#include "Application.h"
#include "MPlayer.h"
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

  std::vector<uint32_t> ActionFlags() const {
    std::vector<uint32_t> out;
    for (const auto& c : service.Actions()) out.push_back(c.flags);
    return out;
  }
  std::vector<uint32_t> ActionMessages() const {
    std::vector<uint32_t> out;
    for (const auto& c : service.Actions()) out.push_back(c.message);
    return out;
  }

  RecordingMciService service;
  std::unique_ptr<TMediaPlayer> player;
};

// --- The open-device guard ---

struct GuardedCase {
  const char* name;
  std::function<void(TMediaPlayer&)> call;
};
void PrintTo(const GuardedCase& c, std::ostream* os) { *os << c.name; }

class OpenDeviceGuard : public PlayerTest, public ::testing::WithParamInterface<GuardedCase> {};

TEST_P(OpenDeviceGuard, RaisesAndSendsNothingWithoutAnOpenDevice) {
  try {
    GetParam().call(*player);
    FAIL() << "no exception";
  } catch (const EMCIDeviceError& e) {
    EXPECT_EQ(e.Message(), "Aucun périphérique MCI ouvert");
  }
  EXPECT_TRUE(service.log.empty());
}

INSTANTIATE_TEST_SUITE_P(Operations, OpenDeviceGuard,
                         ::testing::Values(GuardedCase{"Play", [](TMediaPlayer& p) { p.Play(); }},
                                           GuardedCase{"Stop", [](TMediaPlayer& p) { p.Stop(); }},
                                           GuardedCase{"Pause", [](TMediaPlayer& p) { p.Pause(); }},
                                           GuardedCase{"Next", [](TMediaPlayer& p) { p.Next(); }},
                                           GuardedCase{"Prev", [](TMediaPlayer& p) { p.Prev(); }},
                                           GuardedCase{"Step", [](TMediaPlayer& p) { p.Step(); }},
                                           GuardedCase{"Back", [](TMediaPlayer& p) { p.Back(); }},
                                           GuardedCase{"Record", [](TMediaPlayer& p) { p.Record(); }},
                                           GuardedCase{"Eject", [](TMediaPlayer& p) { p.Eject(); }},
                                           GuardedCase{"Rewind", [](TMediaPlayer& p) { p.Rewind(); }},
                                           GuardedCase{"Length", [](TMediaPlayer& p) { p.Length(); }},
                                           GuardedCase{"TrackCount", [](TMediaPlayer& p) { p.TrackCount(); }},
                                           GuardedCase{"TimeFormat", [](TMediaPlayer& p) { p.TimeFormat(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, CloseWithoutDeviceSendsNothing) {
  player->Close();
  EXPECT_TRUE(service.log.empty());
}

// --- Open ---

TEST_F(PlayerTest, OpenOfAWaveFileLetsTheServicePickTheDevice) {
  service.status[MCI_STATUS_LENGTH] = 2345;
  player->Open();
  ASSERT_FALSE(service.log.empty());
  const RecordedCommand& open = service.log.front();
  EXPECT_EQ(open.message, MCI_OPEN);
  EXPECT_EQ(open.device, 0u);
  EXPECT_EQ(open.flags, MCI_WAIT | MCI_OPEN_ELEMENT);
  EXPECT_FALSE(open.deviceType.has_value());
  EXPECT_EQ(open.element, "/tmp/sound.wav");
  EXPECT_EQ(open.callback, reinterpret_cast<uintptr_t>(static_cast<QObject*>(player.get())));

  EXPECT_EQ(player->DeviceId(), 7);
  EXPECT_EQ(player->StepFrames(), 234);
  std::vector<uint32_t> caps;
  for (const auto& c : service.Sent(MCI_GETDEVCAPS)) {
    EXPECT_EQ(c.flags, MCI_WAIT | MCI_GETDEVCAPS_ITEM);
    caps.push_back(c.item);
  }
  EXPECT_THAT(caps, ElementsAre(MCI_GETDEVCAPS_CAN_PLAY, MCI_GETDEVCAPS_CAN_RECORD, MCI_GETDEVCAPS_CAN_EJECT,
                                MCI_GETDEVCAPS_HAS_VIDEO, MCI_GETDEVCAPS_DEVICE_TYPE));
  ASSERT_EQ(service.Sent(MCI_WHERE).size(), 1u);
  EXPECT_EQ(service.Sent(MCI_WHERE)[0].flags, MCI_WAIT | MCI_ANIM_WHERE_SOURCE);
  EXPECT_TRUE(service.Sent(MCI_SET).empty());
  EXPECT_EQ(player->Capabilities(), TMPDevCapsSet{capCanPlay});
  EXPECT_EQ(player->AutoButtons(), (TButtonSet{btPlay, btNext, btPrev}));
}

struct DeviceTypeCase {
  TMPDeviceTypes type;
  const char* name;
};
void PrintTo(const DeviceTypeCase& c, std::ostream* os) { *os << c.name; }

class OpenDeviceType : public PlayerTest, public ::testing::WithParamInterface<DeviceTypeCase> {};

TEST_P(OpenDeviceType, SendsTheTypeName) {
  player->SetDeviceType(GetParam().type);
  player->Open();
  const RecordedCommand& open = service.log.front();
  EXPECT_EQ(open.flags, MCI_WAIT | MCI_OPEN_ELEMENT | MCI_OPEN_TYPE);
  ASSERT_TRUE(open.deviceType.has_value());
  EXPECT_EQ(*open.deviceType, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Types, OpenDeviceType,
                         ::testing::Values(DeviceTypeCase{dtAVIVideo, "AVIVideo"}, DeviceTypeCase{dtCDAudio, "CDAudio"},
                                           DeviceTypeCase{dtDAT, "DAT"}, DeviceTypeCase{dtDigitalVideo, "DigitalVideo"},
                                           DeviceTypeCase{dtMMMovie, "MMMovie"}, DeviceTypeCase{dtOther, "Other"},
                                           DeviceTypeCase{dtOverlay, "Overlay"}, DeviceTypeCase{dtScanner, "Scanner"},
                                           DeviceTypeCase{dtSequencer, "Sequencer"}, DeviceTypeCase{dtVCR, "VCR"},
                                           DeviceTypeCase{dtVideodisc, "Videodisc"},
                                           DeviceTypeCase{dtWaveAudio, "WaveAudio"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, ShareableOpenAndCdTimeFormat) {
  player->SetShareable(true);
  player->SetDeviceType(dtCDAudio);
  player->Open();
  EXPECT_EQ(service.log.front().flags, MCI_WAIT | MCI_OPEN_ELEMENT | MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE);
  const auto sets = service.Sent(MCI_SET);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].flags, MCI_NOTIFY | MCI_SET_TIME_FORMAT);
  EXPECT_EQ(sets[0].timeFormat, MCI_FORMAT_TMSF);
  EXPECT_EQ(sets[0].callback, 0u);
}

TEST_F(PlayerTest, CapabilitiesDecideTheAutomaticButtons) {
  service.devcaps[MCI_GETDEVCAPS_CAN_RECORD] = 1;
  service.devcaps[MCI_GETDEVCAPS_CAN_EJECT] = 1;
  service.devcaps[MCI_GETDEVCAPS_HAS_VIDEO] = 1;
  service.devcaps[MCI_GETDEVCAPS_DEVICE_TYPE] = MCI_DEVTYPE_DIGITAL_VIDEO;
  service.sourceRect = {10, 20, 330, 260};
  player->Open();
  EXPECT_EQ(player->Capabilities(), (TMPDevCapsSet{capCanStep, capCanEject, capCanPlay, capCanRecord, capUsesWindow}));
  EXPECT_EQ(player->AutoButtons(), (TMediaPlayer::AllButtons - TButtonSet{btPause, btStop}));
  EXPECT_EQ(player->DisplayWidth(), 320);
  EXPECT_EQ(player->DisplayHeight(), 240);
  // With video the destination rectangle is asked for as well.
  const auto wheres = service.Sent(MCI_WHERE);
  ASSERT_EQ(wheres.size(), 2u);
  EXPECT_EQ(wheres[1].flags, MCI_WAIT | MCI_ANIM_WHERE_DESTINATION);
}

TEST_F(PlayerTest, ReopenDescribesTheNewDeviceOnly) {
  service.devcaps[MCI_GETDEVCAPS_CAN_EJECT] = 1;
  player->Open();
  ASSERT_TRUE(player->Capabilities().Contains(capCanEject));
  service.devcaps[MCI_GETDEVCAPS_CAN_EJECT] = 0;
  player->Open();
  EXPECT_EQ(player->Capabilities(), TMPDevCapsSet{capCanPlay});
  EXPECT_FALSE(player->AutoButtons().Contains(btEject));
  service.log.clear();
  player->Eject();
  EXPECT_TRUE(service.log.empty());
}

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

TEST_F(PlayerTest, OpenOfAPlayingDeviceLightsStop) {
  service.status[MCI_STATUS_MODE] = MCI_MODE_PLAY;
  player->Open();
  EXPECT_EQ(player->AutoButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));
}

TEST_F(PlayerTest, RefusedOpenRaisesTheServiceText) {
  service.failures[MCI_OPEN] = MCIERR_FILE_NOT_FOUND;
  service.errorTexts[MCIERR_FILE_NOT_FOUND] = "Le fichier est introuvable.";
  try {
    player->Open();
    FAIL() << "no exception";
  } catch (const EMCIDeviceError& e) {
    EXPECT_EQ(e.Message(), "Le fichier est introuvable.");
  }
  EXPECT_EQ(player->LastError(), MCIERR_FILE_NOT_FOUND);
  EXPECT_EQ(player->DeviceId(), 0);
  EXPECT_EQ(service.lastErrorBufferLength, 4096u);
  EXPECT_THROW(player->Play(), EMCIDeviceError);
}

TEST_F(PlayerTest, RefusedOpenWithoutTextSaysUnknownCode) {
  service.failures[MCI_OPEN] = 999;
  try {
    player->Open();
    FAIL() << "no exception";
  } catch (const EMCIDeviceError& e) {
    EXPECT_EQ(e.Message(), "Code d'erreur inconnu");
  }
  EXPECT_EQ(player->ErrorText(), "Code d'erreur inconnu");
}

TEST_F(PlayerTest, OpenWhileOpenClosesFirstAndAFailedReopenLeavesNoneOpen) {
  OpenDevice();
  service.failures[MCI_OPEN] = MCIERR_INVALID_FILE;
  EXPECT_THROW(player->Open(), EMCIDeviceError);
  ASSERT_THAT(ActionMessages(), ElementsAre(MCI_CLOSE, MCI_OPEN));
  EXPECT_EQ(service.log.front().device, 7u);
  EXPECT_EQ(player->DeviceId(), 0);
  EXPECT_TRUE(player->AutoButtons().Empty());
  EXPECT_THROW(player->Stop(), EMCIDeviceError);
}

TEST_F(PlayerTest, RefusedCloseKeepsTheDevice) {
  OpenDevice();
  service.failures[MCI_CLOSE] = MCIERR_DEVICE_LOCKED;
  player->Close();
  EXPECT_EQ(player->DeviceId(), 7);
  EXPECT_EQ(player->LastError(), MCIERR_DEVICE_LOCKED);
  EXPECT_FALSE(player->AutoButtons().Empty());
}

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

// --- The one-shot requests ---

struct FlagsCase {
  const char* name;
  std::function<void(TMediaPlayer&)> steps;
  std::vector<uint32_t> expected;  // flags of each command sent, in order
};
void PrintTo(const FlagsCase& c, std::ostream* os) { *os << c.name; }

class OneShotRequests : public PlayerTest, public ::testing::WithParamInterface<FlagsCase> {};

TEST_P(OneShotRequests, DecideTheFlags) {
  OpenDevice();
  GetParam().steps(*player);
  EXPECT_EQ(ActionFlags(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sequences, OneShotRequests,
                         ::testing::Values(FlagsCase{"NoRequest",
                                                     [](TMediaPlayer& p) {
                                                       p.Play();
                                                       p.Stop();
                                                     },
                                                     {MCI_NOTIFY, MCI_WAIT}},
                                           FlagsCase{"NotifyGoesWithStopThenPlayDefaults",
                                                     [](TMediaPlayer& p) {
                                                       p.SetNotify(true);
                                                       p.Stop();
                                                       p.Play();
                                                     },
                                                     {MCI_WAIT | MCI_NOTIFY, MCI_NOTIFY}},
                                           FlagsCase{"NotifyFalsePlaysWithNoFlagsOnce",
                                                     [](TMediaPlayer& p) {
                                                       p.SetNotify(false);
                                                       p.Play();
                                                       p.Play();
                                                       p.Stop();
                                                     },
                                                     {0, MCI_NOTIFY, MCI_WAIT}},
                                           FlagsCase{"NotifyTrueOnPlay",
                                                     [](TMediaPlayer& p) {
                                                       p.SetNotify(true);
                                                       p.Play();
                                                       p.Stop();
                                                     },
                                                     {MCI_NOTIFY, MCI_WAIT}},
                                           FlagsCase{"RequestSurvivesQueries",
                                                     [](TMediaPlayer& p) {
                                                       p.SetNotify(true);
                                                       p.Mode();
                                                       p.Length();
                                                       p.Rewind();
                                                       p.Stop();
                                                     },
                                                     {MCI_WAIT | MCI_SEEK_TO_START, MCI_WAIT | MCI_NOTIFY}},
                                           FlagsCase{"StartFromOnRecord",
                                                     [](TMediaPlayer& p) {
                                                       p.SetStartFrom(5);
                                                       p.Record();
                                                       p.Record();
                                                     },
                                                     {MCI_NOTIFY | MCI_FROM, MCI_NOTIFY}},
                                           FlagsCase{"CloseConsumesTheRequest",
                                                     [](TMediaPlayer& p) {
                                                       p.SetNotify(true);
                                                       p.Close();
                                                     },
                                                     {MCI_WAIT | MCI_NOTIFY}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, PlayAtTheEndRewindsFirst) {
  OpenDevice();
  service.status[MCI_STATUS_POSITION] = 1000;
  player->Play();
  const auto actions = service.Actions();
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0].message, MCI_SEEK);
  EXPECT_EQ(actions[0].flags, MCI_WAIT | MCI_SEEK_TO_START);
  EXPECT_EQ(actions[1].message, MCI_PLAY);
  EXPECT_EQ(actions[1].flags, MCI_NOTIFY);
}

TEST_F(PlayerTest, PlayWithStartFromDoesNotRewind) {
  OpenDevice();
  service.status[MCI_STATUS_POSITION] = 1000;
  player->SetStartFrom(250);
  player->Play();
  const auto actions = service.Actions();
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0].flags, MCI_NOTIFY | MCI_FROM);
  EXPECT_EQ(actions[0].from, 250u);
}

TEST_F(PlayerTest, PlayWithoutAutoRewindOrBeforeTheEndDoesNotSeek) {
  OpenDevice();
  service.status[MCI_STATUS_POSITION] = 999;
  player->Play();
  service.status[MCI_STATUS_POSITION] = 1000;
  player->SetAutoRewind(false);
  player->Play();
  EXPECT_THAT(ActionMessages(), ElementsAre(MCI_PLAY, MCI_PLAY));
}

TEST_F(PlayerTest, RewindKeepsLastError) {
  OpenDevice();
  service.failures[MCI_STOP] = MCIERR_HARDWARE;
  player->Stop();
  service.failures[MCI_SEEK] = MCIERR_OUTOFRANGE;
  player->Rewind();
  EXPECT_EQ(player->LastError(), MCIERR_HARDWARE);
}

// --- Pause ---

TEST_F(PlayerTest, PauseWhilePlayingPauses) {
  OpenDevice();
  service.status[MCI_STATUS_MODE] = MCI_MODE_PLAY;
  player->Pause();
  ASSERT_THAT(ActionMessages(), ElementsAre(MCI_PAUSE));
  EXPECT_EQ(service.Actions()[0].flags, MCI_WAIT);
}

TEST_F(PlayerTest, PauseWhilePausedResumes) {
  OpenDevice();
  service.status[MCI_STATUS_MODE] = MCI_MODE_PAUSE;
  player->SetNotify(false);
  player->Pause();
  player->Stop();
  EXPECT_THAT(ActionMessages(), ElementsAre(MCI_RESUME, MCI_STOP));
  EXPECT_THAT(ActionFlags(), ElementsAre(0u, MCI_WAIT));
}

TEST_F(PlayerTest, RefusedResumeFallsBackToPlayWithTheRequest) {
  OpenDevice();
  service.status[MCI_STATUS_MODE] = MCI_MODE_PAUSE;
  service.failures[MCI_RESUME] = MCIERR_UNSUPPORTED_FUNCTION;
  player->SetNotify(false);
  player->Pause();
  EXPECT_THAT(ActionMessages(), ElementsAre(MCI_RESUME, MCI_PLAY));
  EXPECT_THAT(ActionFlags(), ElementsAre(0u, 0u));
  EXPECT_EQ(player->LastError(), 0u);
}

TEST_F(PlayerTest, PauseWhileStoppedDoesNothing) {
  OpenDevice();
  player->Pause();
  EXPECT_TRUE(service.Actions().empty());
}

// --- Seeking, stepping, ejecting ---

TEST_F(PlayerTest, NextAndPrevSeekToTheEndsOutsideTracks) {
  OpenDevice();
  player->Next();
  player->Prev();
  EXPECT_THAT(ActionMessages(), ElementsAre(MCI_SEEK, MCI_SEEK));
  EXPECT_THAT(ActionFlags(), ElementsAre(MCI_WAIT | MCI_SEEK_TO_END, MCI_WAIT | MCI_SEEK_TO_START));
}

class TrackTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    service.status[MCI_STATUS_TIME_FORMAT] = MCI_FORMAT_TMSF;
    service.status[MCI_STATUS_NUMBER_OF_TRACKS] = 3;
    service.trackStart = {{1, 0x00000001}, {2, 0x00020302}, {3, 0x00100803}};
    OpenDevice();
  }
  static uint32_t Tmsf(uint32_t track, uint32_t minute, uint32_t second) { return track | minute << 8 | second << 16; }
};

TEST_F(TrackTest, NextSeeksToTheFollowingTrackAndStopsAtTheLast) {
  service.status[MCI_STATUS_POSITION] = Tmsf(1, 1, 0);
  player->Next();
  service.status[MCI_STATUS_POSITION] = Tmsf(3, 9, 0);
  player->Next();
  const auto seeks = service.Sent(MCI_SEEK);
  ASSERT_EQ(seeks.size(), 2u);
  EXPECT_EQ(seeks[0].flags, MCI_WAIT | MCI_TO);
  EXPECT_EQ(seeks[0].to, 0x00020302u);
  EXPECT_EQ(seeks[1].to, 0x00100803u);
}

TEST_F(TrackTest, NextWhilePlayingPlaysTheNextTrackAsPlay) {
  service.status[MCI_STATUS_POSITION] = Tmsf(1, 1, 0);
  service.status[MCI_STATUS_MODE] = MCI_MODE_PLAY;
  player->Next();
  ASSERT_THAT(ActionMessages(), ElementsAre(MCI_PLAY));
  EXPECT_EQ(service.Actions()[0].flags, MCI_NOTIFY | MCI_FROM);
  EXPECT_EQ(service.Actions()[0].from, 0x00020302u);
  EXPECT_EQ(player->PressedButton(), btPlay);
}

TEST_F(TrackTest, PrevGoesBackOneTrackOnlyInTheFirstSecond) {
  service.status[MCI_STATUS_POSITION] = Tmsf(2, 3, 2) | 40u << 24;  // same second as the start
  player->Prev();
  service.status[MCI_STATUS_POSITION] = Tmsf(2, 3, 5);
  player->Prev();
  service.status[MCI_STATUS_POSITION] = Tmsf(1, 0, 0);
  player->Prev();
  const auto seeks = service.Sent(MCI_SEEK);
  ASSERT_EQ(seeks.size(), 3u);
  EXPECT_EQ(seeks[0].to, 0x00000001u);
  EXPECT_EQ(seeks[1].to, 0x00020302u);
  EXPECT_EQ(seeks[2].to, 0x00000001u);
}

TEST_F(PlayerTest, StepBackAndEjectAreSkippedWithoutVideoOrDoor) {
  OpenDevice();
  player->Step();
  player->Back();
  player->Eject();
  EXPECT_TRUE(service.log.empty());
}

TEST_F(PlayerTest, StepBackAndEjectOnACapableDevice) {
  service.devcaps[MCI_GETDEVCAPS_HAS_VIDEO] = 1;
  service.devcaps[MCI_GETDEVCAPS_CAN_EJECT] = 1;
  service.status[MCI_STATUS_LENGTH] = 500;
  OpenDevice();
  player->Step();
  player->Back();
  player->Eject();
  const auto a = service.Actions();
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0].message, MCI_STEP);
  EXPECT_EQ(a[0].flags, MCI_WAIT | MCI_ANIM_STEP_FRAMES);
  EXPECT_EQ(a[0].frames, 50u);
  EXPECT_EQ(a[1].flags, MCI_WAIT | MCI_ANIM_STEP_REVERSE | MCI_ANIM_STEP_FRAMES);
  EXPECT_EQ(a[2].message, MCI_SET);
  EXPECT_EQ(a[2].flags, MCI_WAIT | MCI_SET_DOOR_OPEN);
}

// --- Status ---

TEST_F(PlayerTest, ModeIsTheLowByteLessTwelve) {
  OpenDevice();
  const std::pair<uint32_t, TMPModes> cases[] = {{MCI_MODE_NOT_READY, mdNotReady}, {MCI_MODE_STOP, mdStopped},
                                                 {MCI_MODE_PLAY, mdPlaying},       {MCI_MODE_RECORD, mdRecording},
                                                 {MCI_MODE_SEEK, mdSeeking},       {MCI_MODE_PAUSE, mdPaused},
                                                 {MCI_MODE_OPEN, mdOpen}};
  for (const auto& [value, mode] : cases) {
    service.status[MCI_STATUS_MODE] = value;
    EXPECT_EQ(player->Mode(), mode) << value;
  }
  const RecordedCommand& query = service.log.back();
  EXPECT_EQ(query.flags, MCI_WAIT | MCI_STATUS_ITEM);
  EXPECT_EQ(query.item, MCI_STATUS_MODE);
}

TEST_F(PlayerTest, TrackStartAsksForTheTrackWithoutTouchingLastError) {
  OpenDevice();
  service.trackStart[4] = 1234;
  service.failures[MCI_STATUS] = MCIERR_OUTOFRANGE;
  player->TrackStart(4);
  EXPECT_EQ(player->LastError(), 0u);
  service.failures.clear();
  EXPECT_EQ(player->TrackStart(4), 1234);
  EXPECT_EQ(service.log.back().flags, MCI_WAIT | MCI_STATUS_ITEM | MCI_TRACK);
  EXPECT_EQ(service.log.back().track, 4u);
  EXPECT_EQ(service.log.back().item, MCI_STATUS_POSITION);
}

TEST_F(PlayerTest, FailedCommandsOnlySetLastError) {
  OpenDevice();
  service.failures[MCI_PLAY] = MCIERR_WAVE_OUTPUTSINUSE;
  service.errorTexts[MCIERR_WAVE_OUTPUTSINUSE] = std::string(5000, 'x');
  EXPECT_NO_THROW(player->Play());
  EXPECT_EQ(player->LastError(), MCIERR_WAVE_OUTPUTSINUSE);
  EXPECT_EQ(player->ErrorText(), std::string(4095, 'x'));
}

// --- Completion report ---

struct NotifyCase {
  const char* name;
  uint32_t code;
  TMPNotifyValues result;
};
void PrintTo(const NotifyCase& c, std::ostream* os) { *os << c.name; }

class NotifyCodes : public PlayerTest, public ::testing::WithParamInterface<NotifyCase> {};

TEST_P(NotifyCodes, MapToNotifyResult) {
  OpenDevice();
  int calls = 0;
  player->OnNotify = [&](TMediaPlayer* sender) {
    EXPECT_EQ(sender, player.get());
    ++calls;
  };
  DeliverNotify(MCI_NOTIFY_FAILURE);
  DeliverNotify(GetParam().code);
  EXPECT_EQ(player->NotifyResult(), GetParam().result);
  EXPECT_EQ(calls, 2);
}

INSTANTIATE_TEST_SUITE_P(Codes, NotifyCodes,
                         ::testing::Values(NotifyCase{"Successful", MCI_NOTIFY_SUCCESSFUL, nrSuccessful},
                                           NotifyCase{"Superseded", MCI_NOTIFY_SUPERSEDED, nrSuperseded},
                                           NotifyCase{"Aborted", MCI_NOTIFY_ABORTED, nrAborted},
                                           NotifyCase{"Failure", MCI_NOTIFY_FAILURE, nrFailure},
                                           // Unknown codes keep the previous result.
                                           NotifyCase{"Unknown0x20", 0x20, nrFailure},
                                           NotifyCase{"Zero", 0, nrFailure}),
                         [](const auto& info) { return std::string(info.param.name); });

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
