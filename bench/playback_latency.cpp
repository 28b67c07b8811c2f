// How long after the user presses Play the first sound reaches the output:
// the real media-control player on the real media service (WAV, Play pressed
// on the button row) and the real MPEG player on the decoder library (MP3,
// "Play Wav /Mp3" with the dialog answering at once). The sound server's null
// sink is recorded from its monitor with parec; the first block holding a loud
// sample marks the moment the sound came out. Needs PULSE_SERVER (see
// playback_latency.sh, which starts a private server).
//
//   playback_latency DLL_DIR [RUNS]
#include <QApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CommandFakes.h"
#include "MPEGPlay.h"
#include "Ticker.h"
#include "MPlayer.h"
#include "PlaybackCommand.h"
#include "Processes.h"
#include "QtInput.h"
#include "SharedState.h"
#include "SoundFiles.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMonitorRate = 44100;
constexpr int kLoud = 1000;

// Reads the null sink's monitor on a thread of its own and notes when the
// first loud sample arrives after Arm().
class MonitorWatch {
 public:
  MonitorWatch() {
    pipe_ = popen(
        "exec parec -d vantrel_null.monitor --raw --format=s16le --rate=44100 --channels=2 "
        "--latency-msec=2 2>/dev/null",
        "r");
    if (pipe_) reader_ = std::thread([this] { Read(); });
  }
  ~MonitorWatch() {
    stop_ = true;
    if (pipe_) pclose(pipe_);  // ends parec; the reader sees end of file
    if (reader_.joinable()) reader_.join();
  }
  bool Ok() const { return pipe_ != nullptr; }
  void Arm() {
    found_ = false;
    armed_ = true;
  }
  bool Found() const { return found_; }
  Clock::time_point LoudAt() const { return loudAt_; }
  Clock::time_point LastLoud() const { return Clock::time_point(Clock::duration(lastLoud_.load())); }

 private:
  void Read() {
    int16_t block[64 * 2];
    while (!stop_) {
      const size_t got = std::fread(block, sizeof(int16_t) * 2, 64, pipe_);
      if (got == 0) return;
      const auto now = Clock::now();
      for (size_t i = 0; i < got * 2; ++i) {
        if (std::abs(block[i]) < kLoud) continue;
        lastLoud_ = now.time_since_epoch().count();
        if (armed_ && !found_) {
          // The block's last frame arrived now; the loud one came earlier.
          const size_t framesAfter = got - 1 - i / 2;
          loudAt_ = now - std::chrono::microseconds(framesAfter * 1000000 / kMonitorRate);
          armed_ = false;
          found_ = true;
        }
        break;
      }
    }
  }

  FILE* pipe_ = nullptr;
  std::thread reader_;
  std::atomic<bool> stop_{false}, armed_{false}, found_{false};
  Clock::time_point loudAt_;
  std::atomic<Clock::rep> lastLoud_{0};
};

void Pump(const std::function<bool()>& done, int limitMs) {
  QDeadlineTimer limit(limitMs);
  while (!done() && !limit.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 1);
}

// Quiet for a while, so the next run starts from silence.
void WaitForSilence(MonitorWatch& watch) {
  Pump([&] { return Clock::now() - watch.LastLoud() > std::chrono::milliseconds(300); }, 5000);
}

void Report(const char* what, const std::vector<double>& ms) {
  std::printf("%-44s runs %zu  median %.1f ms  min %.1f  max %.1f\n", what, ms.size(), Median(ms),
              ms.empty() ? NAN : *std::min_element(ms.begin(), ms.end()),
              ms.empty() ? NAN : *std::max_element(ms.begin(), ms.end()));
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  SetTickerMaker(MakeEventLoopTicker);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DLL_DIR [RUNS]\n", argv[0]);
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 9;
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  WriteToneWav(folder + "tone.wav", 1.0, 12000);
  if (!MakeMp3(folder + "tone.mp3", 1.0)) {
    std::fprintf(stderr, "could not make the MP3 with sox and lame\n");
    return 1;
  }

  TSharedState state;
  state.WavDir = folder;  // no settings write on the way
  FakeFileDialog dialog;
  FakeStatusLine status;
  QWidget window;
  auto* player = new TMediaPlayer(&window);
  player->Updating();
  player->SetBounds(7, 81, 57, 23);
  player->SetColoredButtons(TButtonSet{btPlay, btEject});
  player->SetVisibleButtons(TButtonSet{btPlay, btStop});
  player->Updated();
  player->Loaded();
  TMPEGPlayer mpeg;
  mpeg.SetPathToDLL(argv[1]);
  mpeg.LoadDLL();
  // The window's buttons play no part in the latency.
  FakeControl none;
  TPlaybackCommand command({dialog, status, *player, mpeg, none, none, none, none}, state);
  player->OnClick = [&](TMediaPlayer*, TMPBtnType b, bool& d) { command.MediaPlayer1Click(b, d); };
  player->OnNotify = [&](TMediaPlayer*) { command.MediaPlayer1Notify(); };

  MonitorWatch watch;
  if (!watch.Ok()) {
    std::fprintf(stderr, "parec did not start\n");
    return 1;
  }
  // The monitor's recording stream delivers its first blocks late (over a
  // second on a fresh server); a run started earlier would time that instead.
  Pump([] { return false; }, 3000);

  std::vector<double> wavMs, mp3Ms;
  for (int r = 0; r < runs; ++r) {
    dialog.choice = folder + "tone.wav";
    command.BitBtn4Click();
    WaitForSilence(watch);
    watch.Arm();
    const auto t0 = Clock::now();
    ClickAt(player, 10);  // Play
    Pump([&] { return watch.Found(); }, 3000);
    if (watch.Found()) wavMs.push_back(std::chrono::duration<double, std::milli>(watch.LoudAt() - t0).count());
    ClickAt(player, 40);  // Stop
    WaitForSilence(watch);

    dialog.choice = folder + "tone.mp3";
    watch.Arm();
    const auto t1 = Clock::now();
    command.BitBtn4Click();
    Pump([&] { return watch.Found(); }, 3000);
    if (watch.Found()) mp3Ms.push_back(std::chrono::duration<double, std::milli>(watch.LoudAt() - t1).count());
    command.BitBtn6Click();
    std::fprintf(stderr, "run %d: WAV %.1f ms, MP3 %.1f ms\n", r + 1, wavMs.empty() ? NAN : wavMs.back(),
                 mp3Ms.empty() ? NAN : mp3Ms.back());
  }
  Report("WAV: Play pressed -> first sound at the sink", wavMs);
  Report("MP3: Play Wav /Mp3 -> first sound at the sink", mp3Ms);
  mpeg.UnloadDLL();
  return wavMs.size() == size_t(runs) && mp3Ms.size() == size_t(runs) ? 0 : 1;
}
