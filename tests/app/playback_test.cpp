// "Play Wav /Mp3" on the real parts: the media-control player on the real
// media service (or a recording service where the exact flags matter), the
// MPEG player on the real decoder library, both playing through the test's
// sound server; the dialog, status line and button states are recording
// stand-ins, so the order of every change shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "../controls/mplayer_fake_service.h"
#include "IniFiles.h"
#include "MPEGPlay.h"
#include "MPlayer.h"
#include "Mci.h"
#include "PlaybackCommand.h"
#include "QtInput.h"
#include "SharedState.h"
#include "SoundFiles.h"
#include "SoundOutputModules.h"
#include "playback_support.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const char* const kStartText = "start text";
const std::vector<std::string> kWavReadyOrder = {"BitBtn1 hidden", "MediaPlayer1 shown", "BitBtn1 disabled",
                                                 "BitBtn2 disabled", "BitBtn4 disabled"};
const std::vector<std::string> kBackFromWavOrder = {"MediaPlayer1 hidden", "BitBtn4 enabled", "BitBtn2 enabled",
                                                    "BitBtn1 enabled", "BitBtn1 shown"};
const std::vector<std::string> kMp3PlayingOrder = {"MediaPlayer1 hidden", "BitBtn1 disabled", "BitBtn2 disabled",
                                                   "BitBtn4 disabled", "BitBtn6 shown"};
const std::vector<std::string> kBackFromMp3Order = {"BitBtn6 hidden", "BitBtn4 enabled", "BitBtn2 enabled",
                                                    "BitBtn1 enabled"};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Streams the test's sound server is playing now.
int SinkInputCount() {
  FILE* p = popen("pactl list short sink-inputs 2>/dev/null", "r");
  if (!p) return -1;
  int lines = 0;
  for (int c; (c = std::fgetc(p)) != EOF;)
    if (c == '\n') ++lines;
  return pclose(p) == 0 ? lines : -1;
}

// The message of the exception of type E that `action` raises; none when it
// raises nothing.
template <class E>
std::optional<std::string> RaisedMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  }
  return std::nullopt;
}

std::string ServiceText(MCIERROR code) {
  char text[256] = "";
  mciGetErrorString(code, text, sizeof text);
  return text;
}

class PlaybackTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    mp3Dir_ = new QTemporaryDir();
    const std::string folder = mp3Dir_->path().toStdString();
    mp3Made_ = MakeMp3(folder + "/song.mp3", 3.0) && MakeMp3(folder + "/blip.mp3", 0.4);
  }
  static void TearDownTestSuite() {
    delete mp3Dir_;
    mp3Dir_ = nullptr;
  }
  static std::string Mp3(const char* name) { return mp3Dir_->filePath(name).toStdString(); }

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(mp3Made_) << "could not make the test MP3s with sox and lame";
    folder = dir.path().toStdString() + "/";
    state.AppDir = folder;
    state.Settings = std::make_unique<TIniFile>(folder + "S16c.ini");

    window.resize(346, 155);
    player = new TMediaPlayer(&window);
    player->Updating();
    player->SetBounds(7, 81, 57, 23);
    player->SetColoredButtons(TButtonSet{btPlay, btEject});
    player->SetVisibleButtons(TButtonSet{btPlay, btStop});
    player->SetVisible(false);
    player->OnClick = [this](TMediaPlayer*, TMPBtnType button, bool& doDefault) {
      command->MediaPlayer1Click(button, doDefault);
    };
    player->OnNotify = [this](TMediaPlayer*) {
      ++notifications;
      command->MediaPlayer1Notify();
    };
    player->Updated();
    player->Loaded();
    mediaPlayer1 = std::make_unique<LoggedMediaPlayer>(*player, log);

    mpeg.SetPathToDLL(REAL_DLL_DIR);
    mpeg.LoadDLL();
    ASSERT_TRUE(mpeg.Loaded());

    command = std::make_unique<TPlaybackCommand>(
        TPlaybackParts{dialog, status, *mediaPlayer1, mpeg, bitBtn1, bitBtn2, bitBtn4, bitBtn6}, state);
  }

  void TearDown() override {
    if (mpeg.Loaded()) mpeg.UnloadDLL();
  }

  void UseRecordingService() { player->SetMciService(&service); }

  std::string Wav(const char* name, double seconds) {
    const std::string path = folder + name;
    WriteToneWav(path, seconds);
    return path;
  }

  // The user chooses `path` in the open dialog and presses "Play Wav /Mp3".
  void Choose(const std::string& path) {
    dialog.answers.push_back(path);
    command->BitBtn4Click();
  }

  void ClickPlay() { ClickAt(player, 10); }
  void ClickStop() { ClickAt(player, 40); }
  void Key(Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(player, &press);
  }

  bool Idle() const {
    return bitBtn1.visible && bitBtn1.enabled && bitBtn2.enabled && bitBtn4.enabled && !bitBtn6.visible &&
           player->isHidden();
  }

  static QTemporaryDir* mp3Dir_;
  static bool mp3Made_;

  RecordingMciService service;  // outlives the player that may use it
  QTemporaryDir dir;
  std::string folder;
  TSharedState state;
  FakeFileDialog dialog;
  FakeStatusLine status{kStartText};
  CommandLog log;
  FakeControl bitBtn1{"BitBtn1", log, true};
  FakeControl bitBtn2{"BitBtn2", log, true};
  FakeControl bitBtn4{"BitBtn4", log, true};
  FakeControl bitBtn6{"BitBtn6", log, false};
  QWidget window;
  TMediaPlayer* player = nullptr;
  std::unique_ptr<LoggedMediaPlayer> mediaPlayer1;
  TMPEGPlayer mpeg;
  int notifications = 0;
  std::unique_ptr<TPlaybackCommand> command;
};

QTemporaryDir* PlaybackTest::mp3Dir_ = nullptr;
bool PlaybackTest::mp3Made_ = false;

// ---------------------------------------------------------------------------
// Which player a name goes to

struct NameCase {
  const char* label;
  const char* name;
  bool toMediaPlayer;
};

const NameCase kNameCases[] = {
    {"LowerWav", "x.wav", true},       {"UpperWav", "X.WAV", true}, {"MixedWav", "x.Wav", true},
    {"NoDotWav", "xwav", true},        {"Mp3", "x.mp3", false},     {"Raw", "x.raw", false},
    {"ThreeLetters", "wav", true},     {"TwoLetters", "av", false}, {"Empty", "", false},
    {"WavInside", "x.wav.mp3", false},
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }

class EndsInWavTable : public ::testing::TestWithParam<NameCase> {};

TEST_P(EndsInWavTable, OnlyTheLastThreeLettersCount) {
  EXPECT_EQ(EndsInWav(GetParam().name), GetParam().toMediaPlayer);
}

INSTANTIATE_TEST_SUITE_P(Names, EndsInWavTable, ::testing::ValuesIn(kNameCases),
                         [](const auto& info) { return std::string(info.param.label); });

class ChosenNameTable : public PlaybackTest, public ::testing::WithParamInterface<NameCase> {};

// The media player's service records; the MPEG-bound files hold real MP3
// data and really play, except the empty name, which names the folder itself.
TEST_P(ChosenNameTable, GoesToThePlayerItsNameSays) {
  UseRecordingService();
  const std::string path = folder + GetParam().name;
  if (GetParam().toMediaPlayer) {
    Choose(path);
    ASSERT_EQ(service.Sent(MCI_OPEN).size(), 1u);
    EXPECT_EQ(service.Sent(MCI_OPEN)[0].element, path);
    EXPECT_EQ(log, kWavReadyOrder);
    EXPECT_FALSE(player->isHidden());
    EXPECT_FALSE(mpeg.Opened());
    return;
  }
  const bool namesTheFolder = *GetParam().name == '\0';
  if (!namesTheFolder) fs::copy_file(Mp3("blip.mp3"), path);
  EXPECT_EQ(RaisedMessage<TMPEGError>([&] { Choose(path); }).has_value(), namesTheFolder)
      << "only the folder itself is refused";
  EXPECT_EQ(log, kMp3PlayingOrder);
  EXPECT_THAT(service.log, IsEmpty());
  EXPECT_EQ(mpeg.StreamName(), path);
  EXPECT_EQ(mpeg.OutputDevice(), TOutputDevice::wavemapper);
  command->BitBtn6Click();
  EXPECT_TRUE(Idle());
}

INSTANTIATE_TEST_SUITE_P(Names, ChosenNameTable, ::testing::ValuesIn(kNameCases),
                         [](const auto& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------
// The dialog and the remembered WAV folder

TEST_F(PlaybackTest, DialogGetsTitleFilterAndTheRememberedFolder) {
  state.WavDir = folder;
  command->BitBtn4Click();
  EXPECT_EQ(dialog.executed, 1);
  EXPECT_EQ(dialog.Title(), "Wav / Mp3 Player");
  EXPECT_EQ(dialog.Filter(), "Wav'z or Mp3'z|*.Wav;*.mp3;*.raw");
  EXPECT_THAT(dialog.initialDirsSet, ElementsAre(folder));
}

TEST_F(PlaybackTest, NoRememberedFolderLeavesTheDialogWhereItIs) {
  command->BitBtn4Click();
  EXPECT_EQ(dialog.executed, 1);
  EXPECT_THAT(dialog.initialDirsSet, IsEmpty());
}

TEST_F(PlaybackTest, CancelChangesNothing) {
  UseRecordingService();
  state.WavDir = "/elsewhere/";
  command->BitBtn4Click();
  EXPECT_THAT(log, IsEmpty());
  EXPECT_THAT(status.events, IsEmpty());
  EXPECT_THAT(service.log, IsEmpty());
  EXPECT_FALSE(mpeg.Opened());
  EXPECT_FALSE(fs::exists(folder + "S16c.ini"));
}

struct FolderCase {
  const char* label;
  const char* file;
  bool rememberedIsItsFolder;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.label; }

class RememberedFolderTable : public PlaybackTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(RememberedFolderTable, WritesTheFolderOnlyWhenItDiffers) {
  const std::string sub = folder + "sounds/";
  fs::create_directory(sub);
  const std::string path = sub + GetParam().file;
  if (EndsInWav(path)) {
    WriteToneWav(path, 0.3);
  } else {
    fs::copy_file(Mp3("blip.mp3"), path);
  }
  state.WavDir = GetParam().rememberedIsItsFolder ? sub : folder;
  const std::string before = state.WavDir;

  Choose(path);

  TIniFile reader(folder + "S16c.ini");
  if (GetParam().rememberedIsItsFolder) {
    EXPECT_FALSE(fs::exists(folder + "S16c.ini"));
  } else {
    EXPECT_EQ(reader.ReadText("Directory", "Wav", "none"), sub);
  }
  EXPECT_EQ(state.WavDir, before) << "the folder in memory keeps its start-up value";
  EXPECT_EQ(state.PlayedFileName, GetParam().file);
  if (bitBtn6.visible) command->BitBtn6Click();
}

INSTANTIATE_TEST_SUITE_P(Files, RememberedFolderTable,
                         ::testing::Values(FolderCase{"WavOutside", "tone.wav", false},
                                           FolderCase{"WavInside", "tone.wav", true},
                                           FolderCase{"Mp3Outside", "song.mp3", false},
                                           FolderCase{"Mp3Inside", "song.mp3", true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(PlaybackTest, FailedSettingsWriteEndsTheCommandBeforeAnythingChanges) {
  UseRecordingService();
  state.Settings = std::make_unique<TIniFile>(folder + "no-such-folder/S16c.ini");
  const std::string path = Wav("tone.wav", 0.3);
  EXPECT_THROW(Choose(path), Exception);
  EXPECT_THAT(log, IsEmpty());
  EXPECT_THAT(service.log, IsEmpty());
  EXPECT_THAT(status.events, IsEmpty());
}

// ---------------------------------------------------------------------------
// A WAV: the media player with its Play and Stop buttons

// The exact commands: the file opened without a report, Play reported, and
// after the report the next command reported again.
TEST_F(PlaybackTest, WavOpensSilentlyThenPlayAndEveryFollowingCommandAreReported) {
  UseRecordingService();
  const std::string path = Wav("tone.wav", 0.3);
  Choose(path);
  ASSERT_EQ(service.Actions().size(), 1u);
  EXPECT_EQ(service.Actions()[0].message, MCI_OPEN);
  EXPECT_EQ(service.Actions()[0].element, path);
  EXPECT_EQ(service.Actions()[0].flags, MCI_WAIT | MCI_OPEN_ELEMENT);
  EXPECT_EQ(player->FileName(), path);
  EXPECT_THAT(status.events, IsEmpty());

  ClickPlay();
  ASSERT_EQ(service.Sent(MCI_PLAY).size(), 1u);
  EXPECT_EQ(service.Sent(MCI_PLAY)[0].flags, MCI_NOTIFY);
  EXPECT_THAT(status.events, ElementsAre("Playing: tone.wav"));

  // The sound ends: the service reports the play and the device is stopped.
  service.status[MCI_STATUS_MODE] = MCI_MODE_STOP;
  PostMciNotify(service.Sent(MCI_PLAY)[0].callback, MCI_NOTIFY_SUCCESSFUL, service.openId);
  ASSERT_TRUE(PumpUntil([&] { return notifications == 1; }, 5000));
  EXPECT_THAT(status.events, ElementsAre("Playing: tone.wav", "That's right"));
  EXPECT_TRUE(Idle());

  player->Stop();
  ASSERT_EQ(service.Sent(MCI_STOP).size(), 1u);
  EXPECT_EQ(service.Sent(MCI_STOP)[0].flags, MCI_WAIT | MCI_NOTIFY);
}

struct ReportCase {
  const char* label;
  uint32_t modeAtReport;
  bool playPressed;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.label; }

class ReportWithoutEndTable : public PlaybackTest, public ::testing::WithParamInterface<ReportCase> {};

// Only a report that finds the device stopped after Play was pressed ends the
// playback; any other report leaves the window as it is.
TEST_P(ReportWithoutEndTable, LeavesTheWindowAsItIs) {
  UseRecordingService();
  Choose(Wav("tone.wav", 0.3));
  if (GetParam().playPressed) ClickPlay();
  const auto logBefore = log;
  const auto statusBefore = status.events;
  service.status[MCI_STATUS_MODE] = GetParam().modeAtReport;
  PostMciNotify(reinterpret_cast<uintptr_t>(static_cast<QObject*>(player)), MCI_NOTIFY_SUCCESSFUL, service.openId);
  ASSERT_TRUE(PumpUntil([&] { return notifications == 1; }, 5000));
  EXPECT_EQ(log, logBefore);
  EXPECT_EQ(status.events, statusBefore);
  EXPECT_FALSE(player->isHidden());
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportWithoutEndTable,
                         ::testing::Values(ReportCase{"StoppedBeforePlay", MCI_MODE_STOP, false},
                                           ReportCase{"StillPlaying", MCI_MODE_PLAY, true},
                                           ReportCase{"Paused", MCI_MODE_PAUSE, true}),
                         [](const auto& info) { return std::string(info.param.label); });

// The Stop cell is dimmed until Play, so the mouse cannot reach it; the
// keyboard can (arrow to Stop, Space), and the control dispatches it as a click.
TEST_F(PlaybackTest, WavChosenThenStoppedBeforePlayReturnsToIdle) {
  const std::string path = Wav("tone.wav", 0.5);
  Choose(path);
  EXPECT_EQ(log, kWavReadyOrder);
  ASSERT_NE(player->DeviceId(), 0);
  EXPECT_EQ(player->Mode(), mdStopped) << "nothing plays yet";
  EXPECT_EQ(status.StatusText(), kStartText);
  EXPECT_THAT(status.events, IsEmpty());
  EXPECT_FALSE(player->isHidden());
  EXPECT_FALSE(bitBtn1.visible);

  Key(Qt::Key_Right);
  Key(Qt::Key_Space);
  EXPECT_EQ(log, Concat(kWavReadyOrder, kBackFromWavOrder));
  EXPECT_THAT(status.events, ElementsAre(""));
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(state.Playing);

  // The report of the Stop arrives and changes nothing more.
  ASSERT_TRUE(PumpUntil([&] { return notifications >= 1; }, 5000));
  EXPECT_THAT(status.events, ElementsAre(""));
  EXPECT_EQ(log, Concat(kWavReadyOrder, kBackFromWavOrder));
  EXPECT_NE(player->DeviceId(), 0) << "the device stays open until the next Open";
}

TEST_F(PlaybackTest, WavPlayedToItsEndSaysThatsRight) {
  Choose(Wav("tone.wav", 0.4));
  ClickPlay();
  EXPECT_THAT(status.events, ElementsAre("Playing: tone.wav"));
  EXPECT_TRUE(state.Playing);
  EXPECT_EQ(player->Mode(), mdPlaying);
  EXPECT_FALSE(Idle());

  ASSERT_TRUE(PumpUntil([&] { return status.StatusText() == "That's right"; }, 10000));
  EXPECT_THAT(status.events, ElementsAre("Playing: tone.wav", "That's right"));
  EXPECT_EQ(log, Concat(kWavReadyOrder, kBackFromWavOrder));
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(state.Playing);
}

TEST_F(PlaybackTest, WavStoppedWhilePlayingReturnsToIdleAndTheAbortChangesNothing) {
  Choose(Wav("long.wav", 5.0));
  ClickPlay();
  ASSERT_EQ(player->Mode(), mdPlaying);
  ClickStop();
  EXPECT_EQ(player->Mode(), mdStopped);
  EXPECT_THAT(status.events, ElementsAre("Playing: long.wav", ""));
  EXPECT_TRUE(Idle());
  ASSERT_TRUE(PumpUntil([&] { return notifications >= 1; }, 5000));
  PumpFor(100);
  EXPECT_THAT(status.events, ElementsAre("Playing: long.wav", ""));
  EXPECT_EQ(log, Concat(kWavReadyOrder, kBackFromWavOrder));
}

// The file loses its sound while it plays (cut short on disk): the device
// reports a failure, which is no reason to say "That's right".
TEST_F(PlaybackTest, WavThatFailsWhilePlayingReturnsToIdleWithoutSuccess) {
  const std::string path = Wav("long.wav", 5.0);
  Choose(path);
  ClickPlay();
  ASSERT_EQ(player->Mode(), mdPlaying);
  fs::resize_file(path, 44 + 22050 * 4 / 2);
  ASSERT_TRUE(PumpUntil([&] { return notifications >= 1; }, 8000));
  EXPECT_EQ(player->NotifyResult(), nrFailure);
  EXPECT_THAT(status.events, ElementsAre("Playing: long.wav", ""));
  EXPECT_EQ(log, Concat(kWavReadyOrder, kBackFromWavOrder));
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(state.Playing);
}

TEST_F(PlaybackTest, WavThatIsNoSoundRaisesTheServiceTextWithTheWindowIdle) {
  const std::string path = folder + "text.wav";
  std::ofstream(path) << "plain text, no RIFF header";
  const auto message = RaisedMessage<EMCIDeviceError>([&] { Choose(path); });
  ASSERT_TRUE(message) << "no exception";
  ASSERT_NE(player->LastError(), 0u);
  EXPECT_EQ(*message, ServiceText(player->LastError()));
  EXPECT_FALSE(message->empty());
  EXPECT_EQ(log, Concat(kWavReadyOrder, kBackFromWavOrder));
  EXPECT_TRUE(Idle());
  EXPECT_THAT(status.events, IsEmpty());
}

TEST_F(PlaybackTest, WavWithoutSoundDeviceRaisesTheHardwareErrorWithTheWindowIdle) {
  const std::string path = Wav("tone.wav", 0.3);
  {
    NoSoundOutput none(dir.path().toStdString() + "/");
    ASSERT_TRUE(none.Ok());
    const auto message = RaisedMessage<EMCIDeviceError>([&] { Choose(path); });
    ASSERT_TRUE(message) << "no exception";
    EXPECT_EQ(player->LastError(), MCIERR_HARDWARE);
    EXPECT_EQ(*message, ServiceText(MCIERR_HARDWARE));
  }
  EXPECT_EQ(log, Concat(kWavReadyOrder, kBackFromWavOrder));
  EXPECT_TRUE(Idle());
  EXPECT_THAT(status.events, IsEmpty());

  // With the sound back the same file plays.
  log.clear();
  Choose(path);
  EXPECT_EQ(log, kWavReadyOrder);
  EXPECT_NE(player->DeviceId(), 0);
}

// ---------------------------------------------------------------------------
// Any other file: the MPEG player and the small stop button

TEST_F(PlaybackTest, Mp3PlaysAtOnceAndTheStopButtonStopsAndClosesIt) {
  Choose(Mp3("song.mp3"));
  EXPECT_EQ(log, kMp3PlayingOrder);
  EXPECT_THAT(status.events, ElementsAre("Playing: song.mp3"));
  EXPECT_EQ(mpeg.GetPlayerMode(), 3);
  EXPECT_TRUE(player->isHidden());
  EXPECT_TRUE(bitBtn6.visible);
  EXPECT_FALSE(bitBtn1.enabled || bitBtn2.enabled || bitBtn4.enabled);
  ASSERT_TRUE(PumpUntil([] { return SinkInputCount() == 1; }, 3000)) << "the sound server gets no stream";

  command->BitBtn6Click();
  EXPECT_FALSE(mpeg.Opened());
  EXPECT_FALSE(mpeg.Playing());
  EXPECT_NE(mpeg.GetPlayerMode(), 3);
  EXPECT_THAT(status.events, ElementsAre("Playing: song.mp3", ""));
  EXPECT_EQ(log, Concat(kMp3PlayingOrder, kBackFromMp3Order));
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(PumpUntil([] { return SinkInputCount() == 0; }, 3000)) << "the sound still plays";
}

TEST_F(PlaybackTest, Mp3PlayedToItsEndWaitsForTheStopButton) {
  Choose(Mp3("blip.mp3"));
  ASSERT_TRUE(PumpUntil([&] { return mpeg.PlayEnded(); }, 10000));
  PumpFor(100);
  EXPECT_EQ(log, kMp3PlayingOrder);
  EXPECT_THAT(status.events, ElementsAre("Playing: blip.mp3"));
  EXPECT_TRUE(bitBtn6.visible);
  EXPECT_NE(mpeg.GetPlayerMode(), 3);

  command->BitBtn6Click();  // a Stop now would raise "Incorrect mode"
  EXPECT_FALSE(mpeg.Opened());
  EXPECT_THAT(status.events, ElementsAre("Playing: blip.mp3", ""));
  EXPECT_EQ(log, Concat(kMp3PlayingOrder, kBackFromMp3Order));
  EXPECT_TRUE(Idle());
}

TEST_F(PlaybackTest, Mp3WithoutSoundDeviceRaisesOutputFailureAndTheStopButtonLeadsBack) {
  {
    NoSoundOutput none(dir.path().toStdString() + "/");
    ASSERT_TRUE(none.Ok());
    EXPECT_EQ(RaisedMessage<TMPEGError>([&] { Choose(Mp3("song.mp3")); }), "Output device failure");
  }
  EXPECT_EQ(log, kMp3PlayingOrder);
  EXPECT_THAT(status.events, IsEmpty());
  EXPECT_TRUE(bitBtn6.visible);
  EXPECT_NE(mpeg.GetPlayerMode(), 3);

  command->BitBtn6Click();
  EXPECT_FALSE(mpeg.Opened());
  EXPECT_THAT(status.events, ElementsAre(""));
  EXPECT_EQ(log, Concat(kMp3PlayingOrder, kBackFromMp3Order));
  EXPECT_TRUE(Idle());
}

// The library did not load at start-up: the error is shown, and the stop
// button, which has no stream to stop or close, still leads back to idle.
TEST_F(PlaybackTest, Mp3WithoutTheDecoderLibraryRaisesAndTheStopButtonLeadsBack) {
  mpeg.UnloadDLL();
  EXPECT_EQ(RaisedMessage<TMPEGError>([&] { Choose(Mp3("song.mp3")); }), "MPEG library not loaded");
  EXPECT_EQ(log, kMp3PlayingOrder);
  EXPECT_TRUE(bitBtn6.visible);

  command->BitBtn6Click();
  EXPECT_THAT(status.events, ElementsAre(""));
  EXPECT_EQ(log, Concat(kMp3PlayingOrder, kBackFromMp3Order));
  EXPECT_TRUE(Idle());
}

TEST_F(PlaybackTest, FileThatIsNoMpegAudioRaisesAndTheStopButtonLeadsBack) {
  const std::string path = folder + "noise.raw";
  std::ofstream(path) << std::string(4096, '\x55');
  const auto message = RaisedMessage<TMPEGError>([&] { Choose(path); });
  ASSERT_TRUE(message) << "no exception";
  EXPECT_FALSE(message->empty());
  EXPECT_EQ(log, kMp3PlayingOrder);
  EXPECT_TRUE(bitBtn6.visible);
  command->BitBtn6Click();
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(mpeg.Opened());
}

// A WAV after an MP3 and an MP3 after a WAV: each command starts from idle.
TEST_F(PlaybackTest, WavAfterMp3AndMp3AfterWav) {
  Choose(Mp3("blip.mp3"));
  command->BitBtn6Click();
  Choose(Wav("tone.wav", 0.3));
  ClickPlay();
  ASSERT_TRUE(PumpUntil([&] { return status.StatusText() == "That's right"; }, 10000));
  Choose(Mp3("song.mp3"));
  EXPECT_EQ(mpeg.GetPlayerMode(), 3);
  command->BitBtn6Click();
  EXPECT_EQ(log, Concat(Concat(Concat(Concat(kMp3PlayingOrder, kBackFromMp3Order), kWavReadyOrder),
                               Concat(kBackFromWavOrder, kMp3PlayingOrder)),
                        kBackFromMp3Order));
  EXPECT_THAT(status.events,
              ElementsAre("Playing: blip.mp3", "", "Playing: tone.wav", "That's right", "Playing: song.mp3", ""));
  EXPECT_TRUE(Idle());
}

}  // namespace
