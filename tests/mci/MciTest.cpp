// The media control service on real WAV files, played through the test sound
// server (a PulseAudio null sink that paces sound in real time).
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Mci.h"
#include "QtInput.h"
#include "SoundOutputModules.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Notification {
  uintptr_t code;
  intptr_t device;
};

class NotifyRecorder : public QObject {
 public:
  std::vector<Notification> received;

  bool event(QEvent* e) override {
    if (e->type() == MciNotifyEventType()) {
      auto* n = static_cast<TMciNotifyEvent*>(e);
      EXPECT_EQ(n->message(), MM_MCINOTIFY);
      received.push_back({n->wParam(), n->lParam()});
      return true;
    }
    return QObject::event(e);
  }
  uintptr_t handle() { return reinterpret_cast<uintptr_t>(static_cast<QObject*>(this)); }
};

// A 16-bit PCM WAV of a 440 Hz tone.
std::string WriteWav(const QTemporaryDir& dir, const std::string& name, int ms, int rate = 22050, int channels = 2) {
  const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
  if (!f) return path;
  const int64_t frames = int64_t(rate) * ms / 1000;
  std::vector<short> samples(size_t(frames * channels));
  for (int64_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      samples[size_t(i * channels + c)] = short(8000 * std::sin(2 * M_PI * 440 * double(i) / rate));
  EXPECT_EQ(sf_writef_short(f, samples.data(), frames), frames);
  sf_close(f);
  return path;
}

std::string WriteText(const QTemporaryDir& dir, const std::string& name, const std::string& text) {
  const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
  std::ofstream(path) << text;
  return path;
}

MCIERROR OpenElement(const std::string& path, MCIDEVICEID& id, uintptr_t extraFlags = 0, const char* type = nullptr,
                     uintptr_t callback = 0) {
  MCI_OPEN_PARMS op{};
  op.dwCallback = callback;
  op.lpstrElementName = path.c_str();
  op.lpstrDeviceType = type;
  const MCIERROR err = mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT | extraFlags, uintptr_t(&op));
  id = err == 0 ? op.wDeviceID : 0;
  return err;
}

std::optional<uintptr_t> Status(MCIDEVICEID id, uint32_t item, uintptr_t extra = 0, uint32_t track = 0) {
  MCI_STATUS_PARMS sp{};
  sp.dwItem = item;
  sp.dwTrack = track;
  if (mciSendCommand(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM | extra, uintptr_t(&sp)) != 0) return std::nullopt;
  return sp.dwReturn;
}

uintptr_t Mode(MCIDEVICEID id) { return Status(id, MCI_STATUS_MODE).value_or(0); }
uintptr_t Position(MCIDEVICEID id) { return Status(id, MCI_STATUS_POSITION).value_or(~uintptr_t(0)); }

MCIERROR Send(MCIDEVICEID id, uint32_t message, uintptr_t flags, uintptr_t callback = 0) {
  MCI_GENERIC_PARMS gp{};
  gp.dwCallback = callback;
  return mciSendCommand(id, message, flags, uintptr_t(&gp));
}

MCIERROR Play(MCIDEVICEID id, uintptr_t flags, uintptr_t callback = 0, uint32_t from = 0, uint32_t to = 0) {
  MCI_PLAY_PARMS pp{};
  pp.dwCallback = callback;
  pp.dwFrom = from;
  pp.dwTo = to;
  return mciSendCommand(id, MCI_PLAY, flags, uintptr_t(&pp));
}

MCIERROR SeekTo(MCIDEVICEID id, uintptr_t flags, uint32_t to = 0, uintptr_t callback = 0) {
  MCI_SEEK_PARMS sp{};
  sp.dwCallback = callback;
  sp.dwTo = to;
  return mciSendCommand(id, MCI_SEEK, flags, uintptr_t(&sp));
}

class MciWave : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  void TearDown() override {
    for (MCIDEVICEID id : opened_) Send(id, MCI_CLOSE, MCI_WAIT);
  }
  MCIDEVICEID OpenWav(int ms, int rate = 22050, int channels = 2) {
    const std::string path = WriteWav(dir_, "tone" + std::to_string(opened_.size()) + ".wav", ms, rate, channels);
    MCIDEVICEID id = 0;
    EXPECT_EQ(OpenElement(path, id), 0u);
    if (id) opened_.push_back(id);
    return id;
  }

  QTemporaryDir dir_;
  std::vector<MCIDEVICEID> opened_;
};

TEST_F(MciWave, OpenedDeviceReportsItsStatusAndCapabilities) {
  const MCIDEVICEID id = OpenWav(700);
  ASSERT_NE(id, 0u);
  EXPECT_LT(id, 0xFFFFu);
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 700u);
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH, MCI_TRACK, 1), 700u);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_NUMBER_OF_TRACKS), 1u);
  EXPECT_EQ(Status(id, MCI_STATUS_CURRENT_TRACK), 1u);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), MCI_MODE_STOP);
  EXPECT_EQ(Status(id, MCI_STATUS_TIME_FORMAT), MCI_FORMAT_MILLISECONDS);
  EXPECT_EQ(Status(id, MCI_STATUS_MEDIA_PRESENT), 1u);
  EXPECT_EQ(Status(id, MCI_STATUS_READY), 1u);
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH, MCI_TRACK, 2), std::nullopt);

  const struct {
    uint32_t item;
    uint32_t value;
  } caps[] = {
      {MCI_GETDEVCAPS_CAN_PLAY, 1},  {MCI_GETDEVCAPS_CAN_RECORD, 0},
      {MCI_GETDEVCAPS_CAN_EJECT, 0}, {MCI_GETDEVCAPS_HAS_VIDEO, 0},
      {MCI_GETDEVCAPS_HAS_AUDIO, 1}, {MCI_GETDEVCAPS_USES_FILES, 1},
      {MCI_GETDEVCAPS_CAN_SAVE, 0},  {MCI_GETDEVCAPS_DEVICE_TYPE, MCI_DEVTYPE_WAVEFORM_AUDIO},
  };
  for (const auto& cap : caps) {
    MCI_GETDEVCAPS_PARMS gp{};
    gp.dwItem = cap.item;
    gp.dwReturn = 12345;
    EXPECT_EQ(mciSendCommand(id, MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM, uintptr_t(&gp)), 0u) << cap.item;
    EXPECT_EQ(gp.dwReturn, cap.value) << "item " << cap.item;
  }
}

TEST_F(MciWave, OpensByExtensionInAnyCaseOrByWaveAudioType) {
  const std::string upper = WriteWav(dir_, "LOUD.WAV", 300);
  const std::string odd = WriteWav(dir_, "tone.sound", 300);
  MCIDEVICEID a = 0, b = 0, c = 0;
  EXPECT_EQ(OpenElement(upper, a), 0u);
  EXPECT_EQ(OpenElement(odd, b, MCI_OPEN_TYPE, "waveaudio"), 0u);
  MCI_OPEN_PARMS op{};
  op.lpstrDeviceType = reinterpret_cast<const char*>(uintptr_t(MCI_DEVTYPE_WAVEFORM_AUDIO));
  op.lpstrElementName = odd.c_str();
  EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT | MCI_OPEN_TYPE_ID, uintptr_t(&op)), 0u);
  c = op.wDeviceID;
  for (MCIDEVICEID id : {a, b, c}) {
    ASSERT_NE(id, 0u);
    opened_.push_back(id);
    EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 300u);
  }
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
}

TEST_F(MciWave, PlayToTheEndNotifiesSuccessAfterTheCommandReturns) {
  const MCIDEVICEID id = OpenWav(500);
  ASSERT_NE(id, 0u);
  NotifyRecorder window;
  ASSERT_EQ(Play(id, MCI_NOTIFY, window.handle()), 0u);
  EXPECT_EQ(Mode(id), MCI_MODE_PLAY);
  EXPECT_TRUE(window.received.empty());
  ASSERT_TRUE(PumpUntil([&] { return !window.received.empty(); }));
  ASSERT_EQ(window.received.size(), 1u);
  EXPECT_EQ(window.received[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(window.received[0].device, intptr_t(id));
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  EXPECT_EQ(Position(id), 500u);
}

TEST_F(MciWave, ImmediateCommandsNotifyThroughTheEventLoopOnly) {
  const MCIDEVICEID id = OpenWav(300);
  ASSERT_NE(id, 0u);
  NotifyRecorder window;
  MCI_STATUS_PARMS sp{};
  sp.dwCallback = window.handle();
  sp.dwItem = MCI_STATUS_LENGTH;
  ASSERT_EQ(mciSendCommand(id, MCI_STATUS, MCI_NOTIFY | MCI_STATUS_ITEM, uintptr_t(&sp)), 0u);
  ASSERT_EQ(SeekTo(id, MCI_NOTIFY | MCI_SEEK_TO_END, 0, window.handle()), 0u);
  ASSERT_EQ(Send(id, MCI_STOP, MCI_NOTIFY | MCI_WAIT, window.handle()), 0u);
  EXPECT_TRUE(window.received.empty());
  ASSERT_TRUE(PumpUntil([&] { return window.received.size() == 3; }));
  for (const Notification& n : window.received) {
    EXPECT_EQ(n.code, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(n.device, intptr_t(id));
  }
  // A failing command posts nothing.
  sp.dwItem = 99;
  EXPECT_EQ(mciSendCommand(id, MCI_STATUS, MCI_NOTIFY | MCI_STATUS_ITEM, uintptr_t(&sp)), MCIERR_UNSUPPORTED_FUNCTION);
  PumpFor(50);
  EXPECT_EQ(window.received.size(), 3u);
}

TEST_F(MciWave, StopInTheMiddleAbortsThePlayAndKeepsThePosition) {
  const MCIDEVICEID id = OpenWav(1200);
  ASSERT_NE(id, 0u);
  NotifyRecorder window;
  ASSERT_EQ(Play(id, MCI_NOTIFY, window.handle()), 0u);
  ASSERT_TRUE(PumpUntil([&] { return Position(id) >= 200; }));
  ASSERT_EQ(Send(id, MCI_STOP, MCI_WAIT), 0u);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  const uintptr_t stoppedAt = Position(id);
  EXPECT_GE(stoppedAt, 200u);
  EXPECT_LT(stoppedAt, 1200u);
  ASSERT_TRUE(PumpUntil([&] { return !window.received.empty(); }));
  EXPECT_EQ(window.received[0].code, MCI_NOTIFY_ABORTED);
  // Past the sound's original end: no second report, and the position stays.
  PumpFor(1200);
  EXPECT_EQ(window.received.size(), 1u);
  EXPECT_EQ(Position(id), stoppedAt);
}

TEST_F(MciWave, SecondPlaySupersedesTheFirst) {
  const MCIDEVICEID id = OpenWav(600);
  ASSERT_NE(id, 0u);
  NotifyRecorder first, second;
  ASSERT_EQ(Play(id, MCI_NOTIFY, first.handle()), 0u);
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, second.handle(), 0), 0u);
  ASSERT_TRUE(PumpUntil([&] { return !first.received.empty() && !second.received.empty(); }));
  EXPECT_EQ(first.received[0].code, MCI_NOTIFY_SUPERSEDED);
  EXPECT_EQ(second.received[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(first.received.size(), 1u);
  EXPECT_EQ(second.received.size(), 1u);
}

TEST_F(MciWave, SeekWhilePlayingStopsAndSupersedes) {
  const MCIDEVICEID id = OpenWav(1000);
  ASSERT_NE(id, 0u);
  NotifyRecorder window;
  ASSERT_EQ(Play(id, MCI_NOTIFY, window.handle()), 0u);
  ASSERT_EQ(SeekTo(id, MCI_WAIT | MCI_TO, 250), 0u);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  EXPECT_EQ(Position(id), 250u);
  ASSERT_TRUE(PumpUntil([&] { return !window.received.empty(); }));
  EXPECT_EQ(window.received[0].code, MCI_NOTIFY_SUPERSEDED);
}

TEST_F(MciWave, SeekMovesToStartEndOrAPosition) {
  const MCIDEVICEID id = OpenWav(800, 44100, 1);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(SeekTo(id, MCI_WAIT | MCI_SEEK_TO_END), 0u);
  EXPECT_EQ(Position(id), 800u);
  EXPECT_EQ(SeekTo(id, MCI_WAIT | MCI_SEEK_TO_START), 0u);
  EXPECT_EQ(Position(id), 0u);
  for (uint32_t ms : {1u, 333u, 799u, 800u}) {
    EXPECT_EQ(SeekTo(id, MCI_WAIT | MCI_TO, ms), 0u);
    EXPECT_EQ(Position(id), ms);
  }
  EXPECT_EQ(SeekTo(id, MCI_WAIT | MCI_TO, 801), MCIERR_OUTOFRANGE);
  EXPECT_EQ(SeekTo(id, MCI_WAIT), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(SeekTo(id, MCI_WAIT | MCI_SEEK_TO_START | MCI_TO, 5), MCIERR_FLAGS_NOT_COMPATIBLE);
  EXPECT_EQ(Position(id), 800u);
}

TEST_F(MciWave, PlayWithWaitReturnsAtTheEndOfTheSound) {
  const MCIDEVICEID id = OpenWav(600);
  ASSERT_NE(id, 0u);
  NotifyRecorder window;
  const auto start = Clock::now();
  ASSERT_EQ(Play(id, MCI_WAIT | MCI_NOTIFY, window.handle()), 0u);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_GE(took, 550);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  EXPECT_EQ(Position(id), 600u);
  EXPECT_TRUE(window.received.empty());
  ASSERT_TRUE(PumpUntil([&] { return !window.received.empty(); }));
  EXPECT_EQ(window.received[0].code, MCI_NOTIFY_SUCCESSFUL);
}

TEST_F(MciWave, PlayWithWaitEndsWhenAnotherThreadStops) {
  const MCIDEVICEID id = OpenWav(1500);
  ASSERT_NE(id, 0u);
  std::atomic<MCIERROR> stopResult{~0u};
  std::thread stopper([&] {
    while (Position(id) < 150 || Mode(id) != MCI_MODE_PLAY) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stopResult = Send(id, MCI_STOP, MCI_WAIT);
  });
  EXPECT_EQ(Play(id, MCI_WAIT), 0u);
  stopper.join();
  EXPECT_EQ(stopResult.load(), 0u);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  EXPECT_LT(Position(id), 1500u);
}

TEST_F(MciWave, PlaysTheRequestedRange) {
  const MCIDEVICEID id = OpenWav(900);
  ASSERT_NE(id, 0u);
  ASSERT_EQ(Play(id, MCI_WAIT | MCI_FROM | MCI_TO, 0, 200, 450), 0u);
  EXPECT_EQ(Position(id), 450u);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  // Without MCI_FROM a play goes on from the current position.
  ASSERT_EQ(Play(id, MCI_WAIT | MCI_TO, 0, 0, 600), 0u);
  EXPECT_EQ(Position(id), 600u);
  EXPECT_EQ(Play(id, MCI_WAIT | MCI_FROM | MCI_TO, 0, 500, 400), MCIERR_OUTOFRANGE);
  EXPECT_EQ(Play(id, MCI_WAIT | MCI_FROM, 0, 901), MCIERR_OUTOFRANGE);
  EXPECT_EQ(Position(id), 600u);
  // At the end, a play ends at once and successfully.
  NotifyRecorder window;
  ASSERT_EQ(SeekTo(id, MCI_WAIT | MCI_SEEK_TO_END), 0u);
  ASSERT_EQ(Play(id, MCI_NOTIFY, window.handle()), 0u);
  ASSERT_TRUE(PumpUntil([&] { return !window.received.empty(); }));
  EXPECT_EQ(window.received[0].code, MCI_NOTIFY_SUCCESSFUL);
}

TEST_F(MciWave, PauseHoldsThePositionAndResumeFinishesThePlay) {
  const MCIDEVICEID id = OpenWav(800);
  ASSERT_NE(id, 0u);
  NotifyRecorder window;
  ASSERT_EQ(Play(id, MCI_NOTIFY, window.handle()), 0u);
  ASSERT_TRUE(PumpUntil([&] { return Position(id) >= 150; }));
  ASSERT_EQ(Send(id, MCI_PAUSE, MCI_WAIT), 0u);
  EXPECT_EQ(Mode(id), MCI_MODE_PAUSE);
  const uintptr_t pausedAt = Position(id);
  EXPECT_LT(pausedAt, 800u);
  PumpFor(900);
  EXPECT_EQ(Position(id), pausedAt);
  EXPECT_TRUE(window.received.empty());
  ASSERT_EQ(Send(id, MCI_RESUME, 0), 0u);
  EXPECT_EQ(Mode(id), MCI_MODE_PLAY);
  ASSERT_TRUE(PumpUntil([&] { return !window.received.empty(); }));
  EXPECT_EQ(window.received[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(Position(id), 800u);
  EXPECT_EQ(Send(id, MCI_RESUME, MCI_WAIT), MCIERR_NONAPPLICABLE_FUNCTION);
}

TEST_F(MciWave, CloseAbortsAPendingPlayAndFreesTheId) {
  const MCIDEVICEID id = OpenWav(1000);
  ASSERT_NE(id, 0u);
  NotifyRecorder window, closer;
  ASSERT_EQ(Play(id, MCI_NOTIFY, window.handle()), 0u);
  ASSERT_EQ(Send(id, MCI_CLOSE, MCI_WAIT | MCI_NOTIFY, closer.handle()), 0u);
  opened_.clear();
  ASSERT_TRUE(PumpUntil([&] { return !window.received.empty() && !closer.received.empty(); }));
  EXPECT_EQ(window.received[0].code, MCI_NOTIFY_ABORTED);
  EXPECT_EQ(closer.received[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(closer.received[0].device, intptr_t(id));
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), std::nullopt);
  EXPECT_EQ(Play(id, 0), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(Send(id, MCI_CLOSE, MCI_WAIT), MCIERR_INVALID_DEVICE_ID);
  // The lowest free id is given again.
  EXPECT_EQ(OpenWav(200), id);
}

TEST_F(MciWave, EmptySoundPlaysToItsEndAtOnce) {
  const MCIDEVICEID id = OpenWav(0);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 0u);
  EXPECT_EQ(Play(id, MCI_WAIT), 0u);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
}

TEST_F(MciWave, RefusedCommandsAndSettings) {
  const MCIDEVICEID id = OpenWav(300);
  ASSERT_NE(id, 0u);
  for (uint32_t message : {MCI_RECORD, MCI_SAVE, MCI_STEP, MCI_WINDOW, MCI_WHERE, MCI_PUT, MCI_CUE}) {
    MCI_ANIM_RECT_PARMS rp{};
    EXPECT_EQ(mciSendCommand(id, message, MCI_WAIT, uintptr_t(&rp)), MCIERR_UNSUPPORTED_FUNCTION) << message;
  }
  EXPECT_EQ(Send(id, 0x0999, MCI_WAIT), MCIERR_UNRECOGNIZED_COMMAND);
  MCI_SET_PARMS set{};
  set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
  EXPECT_EQ(mciSendCommand(id, MCI_SET, MCI_WAIT | MCI_SET_TIME_FORMAT, uintptr_t(&set)), 0u);
  set.dwTimeFormat = MCI_FORMAT_BYTES;
  EXPECT_EQ(mciSendCommand(id, MCI_SET, MCI_WAIT | MCI_SET_TIME_FORMAT, uintptr_t(&set)), MCIERR_BAD_TIME_FORMAT);
  EXPECT_EQ(mciSendCommand(id, MCI_SET, MCI_WAIT | MCI_SET_DOOR_OPEN, uintptr_t(&set)), MCIERR_UNSUPPORTED_FUNCTION);
  EXPECT_EQ(Status(id, MCI_STATUS_TIME_FORMAT), MCI_FORMAT_MILLISECONDS);
  EXPECT_EQ(mciSendCommand(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, 0), MCIERR_NULL_PARAMETER_BLOCK);
  MCI_STATUS_PARMS sp{};
  sp.dwItem = MCI_STATUS_LENGTH;
  EXPECT_EQ(mciSendCommand(id, MCI_STATUS, MCI_WAIT, uintptr_t(&sp)), MCIERR_MISSING_PARAMETER);
  for (MCIDEVICEID bad : {0u, id + 1000, 0xFFFEu})
    EXPECT_EQ(mciSendCommand(bad, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, uintptr_t(&sp)), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(mciSendCommand(MCI_ALL_DEVICE_ID, MCI_PLAY, 0, 0), MCIERR_CANNOT_USE_ALL);
}

struct OpenFailure {
  const char* name;
  std::function<std::string(const QTemporaryDir&)> element;
  uintptr_t flags;
  const char* type;
  MCIERROR expected;
};

void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.name; }

class MciOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(MciOpenFailure, FailsWithThePlatformCodeAndItsText) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const OpenFailure& c = GetParam();
  const std::string element = c.element(dir);
  NotifyRecorder window;
  MCI_OPEN_PARMS op{};
  op.dwCallback = window.handle();
  op.lpstrElementName = element.c_str();
  op.lpstrDeviceType = c.type;
  op.wDeviceID = 77;
  EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_NOTIFY | c.flags, uintptr_t(&op)), c.expected);
  EXPECT_EQ(op.wDeviceID, 77u);
  char text[256];
  EXPECT_TRUE(mciGetErrorString(c.expected, text, sizeof text));
  EXPECT_GT(std::string(text).size(), 10u);
  PumpFor(20);
  EXPECT_TRUE(window.received.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Elements, MciOpenFailure,
    ::testing::Values(
        OpenFailure{"MissingFile", [](const QTemporaryDir& d) { return d.filePath("absent.wav").toStdString(); },
                    MCI_OPEN_ELEMENT, nullptr, MCIERR_FILE_NOT_FOUND},
        OpenFailure{"Folder", [](const QTemporaryDir& d) { return d.path().toStdString() + "/"; },
                    MCI_OPEN_ELEMENT | MCI_OPEN_TYPE, "WaveAudio", MCIERR_FILE_NOT_FOUND},
        OpenFailure{"Mp3Element", [](const QTemporaryDir& d) { return WriteWav(d, "tune.mp3", 200); }, MCI_OPEN_ELEMENT,
                    nullptr, MCIERR_EXTENSION_NOT_FOUND},
        OpenFailure{"NoExtension", [](const QTemporaryDir& d) { return WriteWav(d, "tune", 200); }, MCI_OPEN_ELEMENT,
                    nullptr, MCIERR_EXTENSION_NOT_FOUND},
        OpenFailure{"TextNamedWav", [](const QTemporaryDir& d) { return WriteText(d, "fake.wav", "not a sound\n"); },
                    MCI_OPEN_ELEMENT, nullptr, MCIERR_INVALID_FILE},
        OpenFailure{"EmptyFileNamedWav", [](const QTemporaryDir& d) { return WriteText(d, "empty.wav", ""); },
                    MCI_OPEN_ELEMENT, nullptr, MCIERR_INVALID_FILE},
        OpenFailure{"AiffNamedWav",
                    [](const QTemporaryDir& d) {
                      const std::string path = d.filePath("aiff.wav").toStdString();
                      SF_INFO info{};
                      info.samplerate = 22050;
                      info.channels = 1;
                      info.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
                      SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
                      short s[100] = {};
                      if (f) sf_writef_short(f, s, 100), sf_close(f);
                      return path;
                    },
                    MCI_OPEN_ELEMENT, nullptr, MCIERR_INVALID_FILE},
        OpenFailure{"UnknownType", [](const QTemporaryDir& d) { return WriteWav(d, "t.wav", 200); },
                    MCI_OPEN_ELEMENT | MCI_OPEN_TYPE, "CDAudio", MCIERR_INVALID_DEVICE_NAME},
        OpenFailure{"WaveAudioWithoutFile", [](const QTemporaryDir&) { return std::string(); }, MCI_OPEN_TYPE,
                    "WaveAudio", MCIERR_FILENAME_REQUIRED},
        OpenFailure{"EmptyElement", [](const QTemporaryDir&) { return std::string(); }, MCI_OPEN_ELEMENT, nullptr,
                    MCIERR_FILENAME_REQUIRED}),
    [](const ::testing::TestParamInfo<OpenFailure>& info) { return std::string(info.param.name); });

TEST(MciErrorText, KnownCodesHaveTextsUnknownOnesNone) {
  char text[4096];
  ASSERT_TRUE(mciGetErrorString(MCIERR_FILE_NOT_FOUND, text, sizeof text));
  EXPECT_EQ(std::string(text), "Cannot find the specified file. Make sure the path and filename are correct.");
  for (MCIERROR code : {MCIERR_INVALID_DEVICE_ID, MCIERR_UNSUPPORTED_FUNCTION, MCIERR_HARDWARE,
                        MCIERR_WAVE_OUTPUTSUNSUITABLE, MCIERR_INVALID_FILE, MCIERR_EXTENSION_NOT_FOUND}) {
    text[0] = '\0';
    EXPECT_TRUE(mciGetErrorString(code, text, sizeof text)) << code;
    EXPECT_GT(std::string(text).size(), 10u) << code;
  }
  std::strcpy(text, "stale");
  EXPECT_FALSE(mciGetErrorString(9999, text, sizeof text));
  EXPECT_STREQ(text, "");
  char small[8];
  ASSERT_TRUE(mciGetErrorString(MCIERR_FILE_NOT_FOUND, small, sizeof small));
  EXPECT_STREQ(small, "Cannot ");
  EXPECT_FALSE(mciGetErrorString(MCIERR_FILE_NOT_FOUND, nullptr, 100));
}

// With no sound server and no other output, opening fails at once instead of
// pretending to play.
TEST(MciNoSoundOutput, OpenFailsWithAHardwareError) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = WriteWav(dir, "tone.wav", 300);
  MCIDEVICEID id = 0;
  MCIERROR err = 0;
  {
    NoSoundOutput none(dir.path().toStdString() + "/");
    ASSERT_TRUE(none.Ok());
    err = OpenElement(path, id);
  }
  EXPECT_EQ(err, MCIERR_HARDWARE);
  EXPECT_EQ(id, 0u);
}

}  // namespace

namespace {

TEST_F(MciWave, OpenWithNotifyReportsItsCompletionOnceThroughTheEventLoop) {
  const std::string path = WriteWav(dir_, "notified.wav", 200);
  NotifyRecorder window;
  MCIDEVICEID id = 0;
  ASSERT_EQ(OpenElement(path, id, MCI_NOTIFY, nullptr, window.handle()), 0u);
  opened_.push_back(id);
  EXPECT_TRUE(window.received.empty()) << "reported inside the command";
  ASSERT_TRUE(PumpUntil([&] { return !window.received.empty(); }));
  PumpFor(50);
  ASSERT_EQ(window.received.size(), 1u);
  EXPECT_EQ(window.received[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(window.received[0].device, intptr_t(id));
}

}  // namespace
