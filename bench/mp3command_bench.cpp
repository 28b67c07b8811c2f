// "Convert Mp3 as Wav" against mpg123 -w on a 5-minute 44100 Hz stereo MP3
// (128 kbps CBR, made with sox and lame), side by side in one run: the runs
// alternate and each measure is the median. The command is timed from the
// moment its open dialog returns the file to the moment "Saved as: " is set;
// it runs with the real player, the real decoder library and a real gauge on
// a shown window, as in the program. A third column drives the same player
// with a waiter that sleeps between polls, to tell the library's own speed
// from the cost of the command's busy polling. On a machine whose other core
// is busy, the polling thread takes the decoder's processor time.
//
//   mp3command_bench [work-folder [lame-arguments]]
//     lame-arguments: how the MP3 is encoded, "--cbr -b 128" by default;
//     "-t -V 2" gives a VBR stream without an info frame, whose exact length
//     takes the library a pass over the frames before decoding.
//   mp3command_bench --child run|idle MP3 WORK-FOLDER   (peak memory)

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "CommandFakes.h"
#include "Gauges.h"
#include "MPEGPlay.h"
#include "Ticker.h"
#include "Mp3ToWavCommand.h"
#include "Processes.h"
#include "SharedState.h"
#include "SoundFiles.h"

namespace {

constexpr int kRuns = 7;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double CpuSeconds(int who) {
  rusage ru{};
  getrusage(who, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

std::string ExeDir() {
  const std::string path = ExecutablePath();
  return path.empty() ? "./" : path.substr(0, path.rfind('/') + 1);
}

// The window of the program in the parts the command touches.
struct Bench {
  explicit Bench(const std::string& mp3) : dialog(mp3) {
    dialog.onExecute = [this] { chosenAt = Clock::now(); };
    status.onStatusText = [this] {
      if (status.text.rfind("Saved as: ", 0) == 0) savedAt = Clock::now();
    };
    // Paints the window at once, as the program's status bar does.
    status.onRepaint = [this] { window.repaint(); };
    window.resize(346, 155);
    gauge.setGeometry(2, 112, 343, 18);
    window.show();
    // Shown and exposed, as the program's window is when its button is pressed.
    QApplication::processEvents();
    player.SetPathToDLL(ExeDir());
    player.LoadDLL();
    state.AppDir = ExeDir();
  }
  ~Bench() { player.UnloadDLL(); }

  // Seconds from the dialog's answer to "Saved as: ".
  double RunCommand() {
    TMp3ToWavCommand(parts, state, "/nonexistent", [](const std::string&) { return false; }).Run();
    for (const std::string& text : messages.plain) std::fprintf(stderr, "message: %s\n", text.c_str());
    messages.plain.clear();
    return Seconds(savedAt - chosenAt);
  }

  // The command's own steps and loops, with a millisecond's sleep in each
  // poll: what the decoding costs when the waiting thread leaves the
  // processor to the decoder.
  double RunSleepingWaiter(const std::string& mp3, const std::string& wav) {
    const auto start = Clock::now();
    player.SetOutFilename(wav);
    player.SetOutputDevice(TOutputDevice::pcmfile);
    player.SetStreamName(mp3);
    window.repaint();
    player.Open();
    gauge.SetMaxValue(player.StreamLength());
    gauge.SetProgress(0);
    while (player.GetCurrentPos() == -1) player.Play();
    while (!player.ResetPlayerMode()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      player.Play();
      gauge.SetProgress(player.GetCurrentPos());
    }
    player.Close();
    gauge.SetProgress(0);
    window.repaint();
    return Seconds(Clock::now() - start);
  }

  QWidget window;
  TGauge gauge{&window};
  FakeFileDialog dialog;
  FakeMessages messages;
  FakeStatusLine status;
  FakeControl b1, b2, b4, mp;
  Clock::time_point chosenAt, savedAt;
  TMPEGPlayer player;
  TSharedState state;
  TMp3ToWavParts parts{dialog, messages, status, gauge, player, b1, b2, b4, mp};
};

std::vector<char> DataOf(const std::string& wav) {
  std::ifstream f(wav, std::ios::binary);
  std::vector<char> all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (all.size() < 44) return {};
  return std::vector<char>(all.begin() + 44, all.end());
}

int Child(int argc, char** argv) {
  if (argc < 5) return 2;
  const std::string mode = argv[2], mp3 = argv[3];
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  SetTickerMaker(MakeEventLoopTicker);
  Bench bench(mp3);
  if (mode == "run") bench.RunCommand();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--child") return Child(argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const std::string work = argc > 1 ? std::string(argv[1]) + "/" : "/tmp/vantrel-mp3command-bench/";
  mkdir(work.c_str(), 0755);
  const std::string lameArgs = argc > 2 ? argv[2] : "--cbr -b 128";
  std::string mp3Name = "long";
  for (char c : lameArgs) mp3Name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  const std::string mp3 = work + mp3Name + ".mp3";
  struct stat st {};
  if (stat(mp3.c_str(), &st) != 0) {
    std::printf("making a 5-minute 44100 Hz stereo MP3 (lame %s) with sox and lame...\n", lameArgs.c_str());
    if (!MakeMp3(mp3, 300, "sine 440 sine 660", lameArgs)) {
      std::fprintf(stderr, "could not make the MP3\n");
      return 1;
    }
  }
  const std::string peerWav = work + "peer.wav";
  const std::string ourWav = work + mp3Name + ".wav";
  const std::string waiterWav = work + "waiter.wav";

  // Peak memory first, while this process is still small: a spawned child's
  // peak counts from its parent's at the moment it starts.
  const std::string self = ExeDir() + "mp3command_bench";
  const ProgramRun runMem = RunProgram({self, "--child", "run", mp3, work});
  const ProgramRun idleMem = RunProgram({self, "--child", "idle", mp3, work});
  const ProgramRun peerMem = RunProgram({"mpg123", "-q", "-w", peerWav, mp3});

  QApplication app(argc, argv);
  SetTickerMaker(MakeEventLoopTicker);
  Bench bench(mp3);
  // Warm the page cache and both programs once.
  RunProgram({"mpg123", "-q", "-w", peerWav, mp3});
  bench.RunCommand();
  if (DataOf(ourWav) != DataOf(peerWav) || DataOf(ourWav).empty()) {
    std::fprintf(stderr, "the command's samples differ from mpg123's\n");
    return 1;
  }

  std::vector<double> ourWall, ourCpu, peerWall, peerCpu, waiterWall, waiterCpu;
  for (int i = 0; i < kRuns; ++i) {
    double cpu0 = CpuSeconds(RUSAGE_SELF);
    ourWall.push_back(bench.RunCommand());
    ourCpu.push_back(CpuSeconds(RUSAGE_SELF) - cpu0);

    const ProgramRun peer = RunProgram({"mpg123", "-q", "-w", peerWav, mp3});
    if (!peer.ok) {
      std::fprintf(stderr, "mpg123 failed\n");
      return 1;
    }
    peerWall.push_back(peer.wall);
    peerCpu.push_back(peer.cpu);

    cpu0 = CpuSeconds(RUSAGE_SELF);
    waiterWall.push_back(bench.RunSleepingWaiter(mp3, waiterWav));
    waiterCpu.push_back(CpuSeconds(RUSAGE_SELF) - cpu0);
  }

  const double ours = Median(ourWall), peer = Median(peerWall), waiter = Median(waiterWall);
  std::printf("5-minute MP3 (lame %s), %d alternating runs, medians\n", lameArgs.c_str(), kRuns);
  std::printf("%-34s %9s %9s %9s\n", "", "wall s", "cpu s", "ratio");
  std::printf("%-34s %9.3f %9.3f %9.2f\n", "command (dialog to Saved as)", ours, Median(ourCpu), ours / peer);
  std::printf("%-34s %9.3f %9.3f %9.2f\n", "mpg123 -q -w", peer, Median(peerCpu), 1.0);
  std::printf("%-34s %9.3f %9.3f %9.2f\n", "same loops, 1 ms sleep per poll", waiter, Median(waiterCpu), waiter / peer);
  std::printf("peak memory: command process %ld KiB (%ld KiB of it before decoding), mpg123 %ld KiB\n",
              runMem.maxRssKiB, idleMem.maxRssKiB, peerMem.maxRssKiB);
  std::printf("cpu of the memory runs: command process %.3f s, mpg123 %.3f s\n", runMem.cpu, peerMem.cpu);
  std::printf("gauge paints over all runs: %d\n", bench.gauge.PaintCount());
  std::printf("target: command at most 1.0 x mpg123: %s\n", ours <= peer ? "met" : "MISSED");
  return 0;
}
