// The player's device side against a recording service, with no window and
// no toolkit: the commands, flags and parameter blocks it sends, its errors,
// the completion report and the button command dispatch. The same program
// runs in the Linux and the Windows build.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "MediaPlayerDevice.h"
#include "mplayer_fake_service.h"

using ::testing::ElementsAre;

namespace {

// The control around the device, reduced to what the device asks of it.
class RecordingOwner : public IMediaPlayerOwner {
 public:
  TMediaPlayerDevice* device = nullptr;
  std::function<void(TMPBtnType, bool&)> onClick;
  std::function<void(TMPBtnType)> onPostClick;
  std::function<void()> onNotify;
  std::function<void()> onApplyDisplay;
  int redraws = 0;

  void UpdateAutoButtons(TMPBtnType button) override { device->UpdateAutoButtons(button); }
  void DoClick(TMPBtnType button, bool& doDefault) override {
    if (onClick) onClick(button, doDefault);
  }
  void DoPostClick(TMPBtnType button) override {
    if (onPostClick) onPostClick(button);
  }
  void DoNotify() override {
    if (onNotify) onNotify();
  }
  void AutoButtonsChanged() override { ++redraws; }
  void ApplyDisplay() override {
    if (onApplyDisplay) onApplyDisplay();
  }
};

class DeviceTest : public ::testing::Test {
 protected:
  static constexpr uintptr_t kCallback = 0x5A5A0;

  void SetUp() override {
    player = std::make_unique<TMediaPlayerDevice>(owner);
    owner.device = player.get();
    player->SetMciService(&service);
    player->SetNotifyCallback(kCallback);
    player->SetFileName("/tmp/sound.wav");
  }
  void TearDown() override {
    player.reset();  // closes through the fake while it still exists
  }

  void OpenDevice() {
    player->Open();
    service.log.clear();
  }

  void DeliverNotify(uint32_t code) { player->MciNotify(code); }

  // A press of the button as the row makes it: dispatch, then the automatic
  // set after the operation.
  void Press(TMPBtnType button) {
    player->SetPressedButton(button);
    player->ClickDispatch();
    owner.UpdateAutoButtons(player->PressedButton());
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
  RecordingOwner owner;
  std::unique_ptr<TMediaPlayerDevice> player;
};

// --- The open-device guard ---

struct GuardedCase {
  const char* name;
  std::function<void(TMediaPlayerDevice&)> call;
};
void PrintTo(const GuardedCase& c, std::ostream* os) { *os << c.name; }

class OpenDeviceGuard : public DeviceTest, public ::testing::WithParamInterface<GuardedCase> {};

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
                         ::testing::Values(GuardedCase{"Play", [](TMediaPlayerDevice& p) { p.Play(); }},
                                           GuardedCase{"Stop", [](TMediaPlayerDevice& p) { p.Stop(); }},
                                           GuardedCase{"Pause", [](TMediaPlayerDevice& p) { p.Pause(); }},
                                           GuardedCase{"Next", [](TMediaPlayerDevice& p) { p.Next(); }},
                                           GuardedCase{"Prev", [](TMediaPlayerDevice& p) { p.Prev(); }},
                                           GuardedCase{"Step", [](TMediaPlayerDevice& p) { p.Step(); }},
                                           GuardedCase{"Back", [](TMediaPlayerDevice& p) { p.Back(); }},
                                           GuardedCase{"Record", [](TMediaPlayerDevice& p) { p.Record(); }},
                                           GuardedCase{"Eject", [](TMediaPlayerDevice& p) { p.Eject(); }},
                                           GuardedCase{"Rewind", [](TMediaPlayerDevice& p) { p.Rewind(); }},
                                           GuardedCase{"Length", [](TMediaPlayerDevice& p) { p.Length(); }},
                                           GuardedCase{"TrackCount", [](TMediaPlayerDevice& p) { p.TrackCount(); }},
                                           GuardedCase{"TimeFormat", [](TMediaPlayerDevice& p) { p.TimeFormat(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, CloseWithoutDeviceSendsNothing) {
  player->Close();
  EXPECT_TRUE(service.log.empty());
}

// --- Open ---

TEST_F(DeviceTest, OpenOfAWaveFileLetsTheServicePickTheDevice) {
  service.status[MCI_STATUS_LENGTH] = 2345;
  player->Open();
  ASSERT_FALSE(service.log.empty());
  const RecordedCommand& open = service.log.front();
  EXPECT_EQ(open.message, MCI_OPEN);
  EXPECT_EQ(open.device, 0u);
  EXPECT_EQ(open.flags, MCI_WAIT | MCI_OPEN_ELEMENT);
  EXPECT_FALSE(open.deviceType.has_value());
  EXPECT_EQ(open.element, "/tmp/sound.wav");
  EXPECT_EQ(open.callback, kCallback);

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

class OpenDeviceType : public DeviceTest, public ::testing::WithParamInterface<DeviceTypeCase> {};

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

TEST_F(DeviceTest, ShareableOpenAndCdTimeFormat) {
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

TEST_F(DeviceTest, CapabilitiesDecideTheAutomaticButtons) {
  service.devcaps[MCI_GETDEVCAPS_CAN_RECORD] = 1;
  service.devcaps[MCI_GETDEVCAPS_CAN_EJECT] = 1;
  service.devcaps[MCI_GETDEVCAPS_HAS_VIDEO] = 1;
  service.devcaps[MCI_GETDEVCAPS_DEVICE_TYPE] = MCI_DEVTYPE_DIGITAL_VIDEO;
  service.sourceRect = {10, 20, 330, 260};
  player->Open();
  EXPECT_EQ(player->Capabilities(), (TMPDevCapsSet{capCanStep, capCanEject, capCanPlay, capCanRecord, capUsesWindow}));
  EXPECT_EQ(player->AutoButtons(), (TMediaPlayerDevice::AllButtons - TButtonSet{btPause, btStop}));
  EXPECT_EQ(player->DisplayWidth(), 320);
  EXPECT_EQ(player->DisplayHeight(), 240);
  // With video the destination rectangle is asked for as well.
  const auto wheres = service.Sent(MCI_WHERE);
  ASSERT_EQ(wheres.size(), 2u);
  EXPECT_EQ(wheres[1].flags, MCI_WAIT | MCI_ANIM_WHERE_DESTINATION);
}

TEST_F(DeviceTest, ReopenDescribesTheNewDeviceOnly) {
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

TEST_F(DeviceTest, OpenOfAPlayingDeviceLightsStop) {
  service.status[MCI_STATUS_MODE] = MCI_MODE_PLAY;
  player->Open();
  EXPECT_EQ(player->AutoButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));
}

TEST_F(DeviceTest, RefusedOpenRaisesTheServiceText) {
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

TEST_F(DeviceTest, RefusedOpenWithoutTextSaysUnknownCode) {
  service.failures[MCI_OPEN] = 999;
  try {
    player->Open();
    FAIL() << "no exception";
  } catch (const EMCIDeviceError& e) {
    EXPECT_EQ(e.Message(), "Code d'erreur inconnu");
  }
  EXPECT_EQ(player->ErrorText(), "Code d'erreur inconnu");
}

TEST_F(DeviceTest, OpenWhileOpenClosesFirstAndAFailedReopenLeavesNoneOpen) {
  OpenDevice();
  service.failures[MCI_OPEN] = MCIERR_INVALID_FILE;
  EXPECT_THROW(player->Open(), EMCIDeviceError);
  ASSERT_THAT(ActionMessages(), ElementsAre(MCI_CLOSE, MCI_OPEN));
  EXPECT_EQ(service.log.front().device, 7u);
  EXPECT_EQ(player->DeviceId(), 0);
  EXPECT_TRUE(player->AutoButtons().Empty());
  EXPECT_THROW(player->Stop(), EMCIDeviceError);
}

TEST_F(DeviceTest, RefusedCloseKeepsTheDevice) {
  OpenDevice();
  service.failures[MCI_CLOSE] = MCIERR_DEVICE_LOCKED;
  player->Close();
  EXPECT_EQ(player->DeviceId(), 7);
  EXPECT_EQ(player->LastError(), MCIERR_DEVICE_LOCKED);
  EXPECT_FALSE(player->AutoButtons().Empty());
}

TEST_F(DeviceTest, DestructionClosesTheOpenDevice) {
  OpenDevice();
  player.reset();
  ASSERT_EQ(service.log.size(), 1u);
  EXPECT_EQ(service.log[0].message, MCI_CLOSE);
  EXPECT_EQ(service.log[0].device, 7u);
  EXPECT_EQ(service.log[0].flags, MCI_WAIT);
}

// --- The one-shot requests ---

struct FlagsCase {
  const char* name;
  std::function<void(TMediaPlayerDevice&)> steps;
  std::vector<uint32_t> expected;  // flags of each command sent, in order
};
void PrintTo(const FlagsCase& c, std::ostream* os) { *os << c.name; }

class OneShotRequests : public DeviceTest, public ::testing::WithParamInterface<FlagsCase> {};

TEST_P(OneShotRequests, DecideTheFlags) {
  OpenDevice();
  GetParam().steps(*player);
  EXPECT_EQ(ActionFlags(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sequences, OneShotRequests,
                         ::testing::Values(FlagsCase{"NoRequest",
                                                     [](TMediaPlayerDevice& p) {
                                                       p.Play();
                                                       p.Stop();
                                                     },
                                                     {MCI_NOTIFY, MCI_WAIT}},
                                           FlagsCase{"NotifyGoesWithStopThenPlayDefaults",
                                                     [](TMediaPlayerDevice& p) {
                                                       p.SetNotify(true);
                                                       p.Stop();
                                                       p.Play();
                                                     },
                                                     {MCI_WAIT | MCI_NOTIFY, MCI_NOTIFY}},
                                           FlagsCase{"NotifyFalsePlaysWithNoFlagsOnce",
                                                     [](TMediaPlayerDevice& p) {
                                                       p.SetNotify(false);
                                                       p.Play();
                                                       p.Play();
                                                       p.Stop();
                                                     },
                                                     {0, MCI_NOTIFY, MCI_WAIT}},
                                           FlagsCase{"NotifyTrueOnPlay",
                                                     [](TMediaPlayerDevice& p) {
                                                       p.SetNotify(true);
                                                       p.Play();
                                                       p.Stop();
                                                     },
                                                     {MCI_NOTIFY, MCI_WAIT}},
                                           FlagsCase{"RequestSurvivesQueries",
                                                     [](TMediaPlayerDevice& p) {
                                                       p.SetNotify(true);
                                                       p.Mode();
                                                       p.Length();
                                                       p.Rewind();
                                                       p.Stop();
                                                     },
                                                     {MCI_WAIT | MCI_SEEK_TO_START, MCI_WAIT | MCI_NOTIFY}},
                                           FlagsCase{"StartFromOnRecord",
                                                     [](TMediaPlayerDevice& p) {
                                                       p.SetStartFrom(5);
                                                       p.Record();
                                                       p.Record();
                                                     },
                                                     {MCI_NOTIFY | MCI_FROM, MCI_NOTIFY}},
                                           FlagsCase{"CloseConsumesTheRequest",
                                                     [](TMediaPlayerDevice& p) {
                                                       p.SetNotify(true);
                                                       p.Close();
                                                     },
                                                     {MCI_WAIT | MCI_NOTIFY}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, PlayAtTheEndRewindsFirst) {
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

TEST_F(DeviceTest, PlayWithStartFromDoesNotRewind) {
  OpenDevice();
  service.status[MCI_STATUS_POSITION] = 1000;
  player->SetStartFrom(250);
  player->Play();
  const auto actions = service.Actions();
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0].flags, MCI_NOTIFY | MCI_FROM);
  EXPECT_EQ(actions[0].from, 250u);
}

TEST_F(DeviceTest, PlayWithoutAutoRewindOrBeforeTheEndDoesNotSeek) {
  OpenDevice();
  service.status[MCI_STATUS_POSITION] = 999;
  player->Play();
  service.status[MCI_STATUS_POSITION] = 1000;
  player->SetAutoRewind(false);
  player->Play();
  EXPECT_THAT(ActionMessages(), ElementsAre(MCI_PLAY, MCI_PLAY));
}

TEST_F(DeviceTest, RewindKeepsLastError) {
  OpenDevice();
  service.failures[MCI_STOP] = MCIERR_HARDWARE;
  player->Stop();
  service.failures[MCI_SEEK] = MCIERR_OUTOFRANGE;
  player->Rewind();
  EXPECT_EQ(player->LastError(), MCIERR_HARDWARE);
}

// --- Pause ---

TEST_F(DeviceTest, PauseWhilePlayingPauses) {
  OpenDevice();
  service.status[MCI_STATUS_MODE] = MCI_MODE_PLAY;
  player->Pause();
  ASSERT_THAT(ActionMessages(), ElementsAre(MCI_PAUSE));
  EXPECT_EQ(service.Actions()[0].flags, MCI_WAIT);
}

TEST_F(DeviceTest, PauseWhilePausedResumes) {
  OpenDevice();
  service.status[MCI_STATUS_MODE] = MCI_MODE_PAUSE;
  player->SetNotify(false);
  player->Pause();
  player->Stop();
  EXPECT_THAT(ActionMessages(), ElementsAre(MCI_RESUME, MCI_STOP));
  EXPECT_THAT(ActionFlags(), ElementsAre(0u, MCI_WAIT));
}

TEST_F(DeviceTest, RefusedResumeFallsBackToPlayWithTheRequest) {
  OpenDevice();
  service.status[MCI_STATUS_MODE] = MCI_MODE_PAUSE;
  service.failures[MCI_RESUME] = MCIERR_UNSUPPORTED_FUNCTION;
  player->SetNotify(false);
  player->Pause();
  EXPECT_THAT(ActionMessages(), ElementsAre(MCI_RESUME, MCI_PLAY));
  EXPECT_THAT(ActionFlags(), ElementsAre(0u, 0u));
  EXPECT_EQ(player->LastError(), 0u);
}

TEST_F(DeviceTest, PauseWhileStoppedDoesNothing) {
  OpenDevice();
  player->Pause();
  EXPECT_TRUE(service.Actions().empty());
}

// --- Seeking, stepping, ejecting ---

TEST_F(DeviceTest, NextAndPrevSeekToTheEndsOutsideTracks) {
  OpenDevice();
  player->Next();
  player->Prev();
  EXPECT_THAT(ActionMessages(), ElementsAre(MCI_SEEK, MCI_SEEK));
  EXPECT_THAT(ActionFlags(), ElementsAre(MCI_WAIT | MCI_SEEK_TO_END, MCI_WAIT | MCI_SEEK_TO_START));
}

class TrackTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
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

TEST_F(DeviceTest, StepBackAndEjectAreSkippedWithoutVideoOrDoor) {
  OpenDevice();
  player->Step();
  player->Back();
  player->Eject();
  EXPECT_TRUE(service.log.empty());
}

TEST_F(DeviceTest, StepBackAndEjectOnACapableDevice) {
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

TEST_F(DeviceTest, ModeIsTheLowByteLessTwelve) {
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

TEST_F(DeviceTest, TrackStartAsksForTheTrackWithoutTouchingLastError) {
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

TEST_F(DeviceTest, FailedCommandsOnlySetLastError) {
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

class NotifyCodes : public DeviceTest, public ::testing::WithParamInterface<NotifyCase> {};

TEST_P(NotifyCodes, MapToNotifyResult) {
  OpenDevice();
  int calls = 0;
  owner.onNotify = [&] { ++calls; };
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

struct ReportCase {
  const char* name;
  bool autoEnable;
  uint32_t modeAtReport;
  TButtonSet expected;
};
void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

class ReportAfterPlay : public DeviceTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportAfterPlay, LightsPlayAgainOnlyWhenStoppedAndAutomatic) {
  player->SetAutoEnable(GetParam().autoEnable);
  OpenDevice();
  player->Play();
  player->UpdateAutoButtons(btPlay);
  const TButtonSet beforeReport = player->AutoButtons();
  const int redraws = owner.redraws;
  service.status[MCI_STATUS_MODE] = GetParam().modeAtReport;
  DeliverNotify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(player->AutoButtons(), GetParam().expected);
  EXPECT_EQ(owner.redraws > redraws, player->AutoButtons() != beforeReport);
}

INSTANTIATE_TEST_SUITE_P(
    States, ReportAfterPlay,
    ::testing::Values(ReportCase{"Stopped", true, MCI_MODE_STOP, TButtonSet{btPlay, btNext, btPrev}},
                      ReportCase{"StillPlaying", true, MCI_MODE_PLAY, TButtonSet{btPause, btStop, btNext, btPrev}},
                      ReportCase{"StoppedWithoutAutoEnable", false, MCI_MODE_STOP,
                                 TButtonSet{btPause, btStop, btNext, btPrev}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, OpenAndCloseRedrawTheAutomaticSet) {
  player->Open();
  EXPECT_EQ(owner.redraws, 1);
  player->Close();
  EXPECT_EQ(owner.redraws, 2);
  EXPECT_TRUE(player->AutoButtons().Empty());
}

// --- Button command dispatch ---

TEST_F(DeviceTest, DispatchRunsTheOperationBetweenClickAndPostClick) {
  OpenDevice();
  std::vector<std::string> events;
  owner.onClick = [&](TMPBtnType b, bool&) {
    events.push_back("click " + std::to_string(b) + ", sent " + std::to_string(service.Actions().size()));
  };
  owner.onPostClick = [&](TMPBtnType b) {
    events.push_back("post " + std::to_string(b) + ", sent " + std::to_string(service.Actions().size()));
  };
  player->SetPressedButton(btStop);
  player->ClickDispatch();
  EXPECT_THAT(events, ElementsAre("click 2, sent 0", "post 2, sent 1"));
  EXPECT_THAT(ActionMessages(), ElementsAre(MCI_STOP));
}

TEST_F(DeviceTest, DoClickCanCancelTheOperationAndThePostClick) {
  OpenDevice();
  bool posted = false;
  owner.onClick = [](TMPBtnType, bool& doDefault) { doDefault = false; };
  owner.onPostClick = [&](TMPBtnType) { posted = true; };
  player->SetPressedButton(btPlay);
  player->ClickDispatch();
  EXPECT_TRUE(service.Actions().empty());
  EXPECT_FALSE(posted);
}

TEST_F(DeviceTest, GuardErrorLeavesTheDispatchBeforePostClick) {
  bool posted = false;
  owner.onPostClick = [&](TMPBtnType) { posted = true; };
  player->SetPressedButton(btPlay);
  EXPECT_THROW(player->ClickDispatch(), EMCIDeviceError);
  EXPECT_FALSE(posted);
}

TEST_F(TrackTest, NextPressedWhilePlayingIsPostedAndUpdatedAsPlay) {
  service.status[MCI_STATUS_POSITION] = Tmsf(1, 1, 0);
  service.status[MCI_STATUS_MODE] = MCI_MODE_PLAY;
  std::vector<TMPBtnType> posted;
  owner.onPostClick = [&](TMPBtnType b) { posted.push_back(b); };
  Press(btNext);
  EXPECT_THAT(posted, ElementsAre(btPlay));
  EXPECT_EQ(player->AutoButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));
}

// --- Display window ---

TEST_F(DeviceTest, VideoDeviceIsGivenTheDisplayAgainWhenOpened) {
  constexpr uintptr_t kWindow = 0x1230;
  service.devcaps[MCI_GETDEVCAPS_HAS_VIDEO] = 1;
  owner.onApplyDisplay = [&] {
    ASSERT_TRUE(player->UsesDisplay());
    player->SendDisplayWindow(kWindow);
  };
  player->Open();
  auto windows = service.Sent(MCI_WINDOW);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].flags, MCI_WAIT | MCI_ANIM_WINDOW_HWND);
  EXPECT_EQ(windows[0].window, kWindow);
  EXPECT_EQ(windows[0].callback, kCallback);

  service.failures[MCI_WINDOW] = MCIERR_NO_WINDOW;
  EXPECT_EQ(player->SendDisplayWindow(0), MCIERR_NO_WINDOW);
  EXPECT_EQ(player->LastError(), MCIERR_NO_WINDOW);
  EXPECT_EQ(service.Sent(MCI_WINDOW).back().window, 0u);
}

TEST_F(DeviceTest, DeviceWithoutVideoUsesNoDisplay) {
  bool asked = false;
  owner.onApplyDisplay = [&] { asked = true; };
  player->Open();
  EXPECT_FALSE(player->UsesDisplay());
  EXPECT_FALSE(asked);
  EXPECT_TRUE(service.Sent(MCI_WINDOW).empty());
}

}  // namespace
