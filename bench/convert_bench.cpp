// Speed and memory of the conversion against the peers, on the same input in
// one run, reported as ratios. Inputs: a 5-minute 44100 Hz 16-bit stereo WAV
// (52.9 MB) and its 22050 Hz twin, read once before timing so the page cache
// is warm. Each measure is the median of several runs.
//
//   convert_bench [work-folder]
//   convert_bench --child halve|convert SOURCE WORK-FOLDER   (peak memory)

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "CommandFakes.h"
#include "FileServices.h"
#include "GameSoundConversion.h"
#include "Gauges.h"
#include "HalveSampleRate.h"
#include "Processes.h"

namespace {

constexpr int kRuns = 7;
constexpr int64_t kSeconds = 300;

void MakeWav(const std::string& name, uint32_t rate) {
  const int64_t dataSize = kSeconds * rate * 4;
  unsigned char header[44] = {'R', 'I', 'F', 'F', 0,  0, 0, 0, 'W', 'A', 'V', 'E',
                              'f', 'm', 't', ' ', 16, 0, 0, 0, 1,   0,   2,   0};
  auto put32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(4, static_cast<uint32_t>(36 + dataSize));
  put32(24, rate);
  put32(28, rate * 4);
  header[32] = 4;
  header[34] = 16;
  std::memcpy(header + 36, "data", 4);
  put32(40, static_cast<uint32_t>(dataSize));
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::exit(1);
  std::fwrite(header, 1, sizeof header, f);
  std::vector<int16_t> block(rate * 2);
  uint32_t x = 1;
  for (int64_t s = 0; s < kSeconds; ++s) {
    for (auto& v : block) v = static_cast<int16_t>((x = x * 1664525u + 1013904223u) >> 16);
    std::fwrite(block.data(), sizeof(int16_t), block.size(), f);
  }
  std::fclose(f);
}

void Warm(const std::string& name) {
  std::vector<char> buf(1 << 20);
  const int fd = open(name.c_str(), O_RDONLY);
  while (read(fd, buf.data(), buf.size()) > 0) {
  }
  close(fd);
}

// A peer that cannot start leaves nothing to compare with; one that fails is
// reported and its time kept.
ProgramRun Spawn(const std::vector<std::string>& args, const std::string& out = "") {
  const ProgramRun run = RunProgram(args, out);
  if (!run.started) {
    std::fprintf(stderr, "cannot run %s\n", args[0].c_str());
    std::exit(1);
  }
  if (!run.ok) std::fprintf(stderr, "%s failed\n", args[0].c_str());
  return run;
}

double Seconds(const std::function<void()>& work) {
  const auto t0 = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Median(const std::function<void()>& work, int runs = kRuns) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) t.push_back(Seconds(work));
  return ::Median(t);
}

void ConvertOnce(const std::string& wav, const std::string& game, const std::string& workDir, IProgressGauge& gauge) {
  FakeFileDialog open(wav);
  FakeFileDialog save(game);
  FakeMessages messages;
  FakeStatusLine status;
  bool halved = false;
  const std::string folder = workDir + "/";
  TGameSoundConversion({open, save, messages, status, gauge, nullptr}, folder, folder, halved).Run();
  for (const std::string& text : messages.plain) std::fprintf(stderr, "message: %s\n", text.c_str());
}

// Reads and writes 4 bytes a system call, as the halving did frame by frame.
void NaiveHalving(const std::string& in, const std::string& out, int64_t dataBytes) {
  const int src = open(in.c_str(), O_RDONLY);
  const int dst = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  lseek(src, 44, SEEK_SET);
  unsigned char frame[4];
  for (int64_t remaining = dataBytes; remaining > 0;) {
    if (read(src, frame, 4) < 0) break;
    const ssize_t n = read(src, frame, 4);
    if (n <= 0) break;
    if (write(dst, frame, static_cast<size_t>(n)) != n) break;
    remaining -= 2 * n;
  }
  close(src);
  close(dst);
}

// The same loop through the program's own file services.
void NaiveHalvingThroughFileServices(const std::string& in, const std::string& out, int64_t dataBytes) {
  const THandle src = FileOpen(in, fmOpenRead);
  const THandle dst = FileCreate(out);
  FileSeek(src, 44, soFromBeginning);
  unsigned char frame[4];
  for (int64_t remaining = dataBytes; remaining > 0;) {
    FileRead(src, frame, 4);
    const int64_t n = FileRead(src, frame, 4);
    if (n <= 0) break;
    FileWrite(dst, frame, n);
    remaining -= 2 * n;
  }
  FileClose(src);
  FileClose(dst);
}

int Child(int argc, char** argv) {
  if (argc < 5) return 2;
  const std::string mode = argv[2];
  const std::string source = argv[3];
  const std::string work = argv[4];
  int qargc = 1;
  QApplication app(qargc, argv);
  TGauge gauge;
  gauge.resize(343, 18);
  gauge.show();
  if (mode == "halve") {
    bool ok = false;
    HalveSampleRate(source, work + "/child.raw", gauge, ok);
    return ok ? 0 : 1;
  }
  ConvertOnce(source, work + "/child.16", work, gauge);
  return 0;
}

long PeakKiB(const std::string& self, const std::string& mode, const std::string& source, const std::string& work) {
  return Spawn({self, "--child", mode, source, work}).maxRssKiB;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--child") return Child(argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string work = argc > 1 ? argv[1] : "";
  if (work.empty()) {
    char tmpl[] = "/tmp/vantrel-convert-bench-XXXXXX";
    work = mkdtemp(tmpl);
  }
  mkdir((work + "/tmp").c_str(), 0755);
  const std::string wav44 = work + "/cd.wav";
  const std::string wav22 = work + "/game.wav";
  const std::string small44 = work + "/small.wav";
  MakeWav(wav44, 44100);
  MakeWav(wav22, 22050);
  Spawn({"head", "-c", "5000044", wav44}, small44);
  for (const auto& f : {wav44, wav22, small44}) Warm(f);
  struct stat st {};
  stat(wav44.c_str(), &st);
  const int64_t data44 = st.st_size - 44;

  int qargc = 1;
  QApplication app(qargc, argv);
  TGauge gauge;
  gauge.resize(343, 18);
  gauge.show();
  // Until the platform has exposed it, a repaint draws nothing.
  for (int i = 0; i < 100 && gauge.PaintCount() == 0; ++i) {
    app.processEvents();
    usleep(10000);
  }

  // The header strip of a 22050 Hz file.
  const std::string game = work + "/bsound1.16";
  Spawn({"touch", game, game + ".bak"});
  const double convert = Median([&] { ConvertOnce(wav22, game, work, gauge); });
  const double dd = Median([&] {
    Spawn({"dd", "if=" + wav22, "of=" + work + "/dd.out", "bs=2048", "skip=44", "iflag=skip_bytes", "status=none"});
  });
  const double tail = Median([&] { Spawn({"tail", "-c", "+45", wav22}, work + "/tail.out"); });
  const double spawnCost = Median([&] { Spawn({"true"}); });

  // The halving of a 44100 Hz file.
  int paints = 0;
  const double halve = Median([&] {
    gauge.SetProgress(0);
    const int before = gauge.PaintCount();
    bool ok = false;
    HalveSampleRate(wav44, work + "/halved.raw", gauge, ok);
    paints = gauge.PaintCount() - before;
    if (!ok) std::fprintf(stderr, "halving failed\n");
  });
  const double cp = Median([&] { Spawn({"cp", wav44, work + "/cp.out"}); });
  const int64_t slice = int64_t{4} << 20;
  const double naiveSlice = Median([&] { NaiveHalving(wav44, work + "/naive.raw", slice); }, 3);
  const double naive = naiveSlice * static_cast<double>(data44) / static_cast<double>(slice);
  const double naiveRtlSlice = Median([&] { NaiveHalvingThroughFileServices(wav44, work + "/naive2.raw", slice); }, 3);
  const double naiveRtl = naiveRtlSlice * static_cast<double>(data44) / static_cast<double>(slice);
  const double sox = Median([&] { Spawn({"sox", wav44, "-r", "22050", "-t", "raw", work + "/sox.raw"}); }, 3);

  // Peak memory of a whole process doing one job, on a 5 MB and a 52.9 MB file.
  const std::string exe = ExecutablePath();
  const std::string me = exe.empty() ? std::string(argv[0]) : exe;
  const long halveSmall = PeakKiB(me, "halve", small44, work);
  const long halveBig = PeakKiB(me, "halve", wav44, work);
  Spawn({"head", "-c", "5000044", wav22}, work + "/small22.wav");
  const long convertSmall = PeakKiB(me, "convert", work + "/small22.wav", work);
  const long convertBig = PeakKiB(me, "convert", wav22, work);

  std::printf("input: %.1f MB at 44100 Hz, %.1f MB at 22050 Hz; median of %d runs (naive loop and sox: 3)\n",
              static_cast<double>(st.st_size) / 1e6, static_cast<double>(st.st_size) / 2e6, kRuns);
  std::printf("process start cost (true): %.2f ms, included in every peer's time\n", spawnCost * 1e3);
  std::printf(
      "header strip  : conversion %.1f ms | dd %.1f ms | tail %.1f ms | conversion/dd %.2f, conversion/tail %.2f\n",
      convert * 1e3, dd * 1e3, tail * 1e3, convert / dd, convert / tail);
  std::printf("halving       : HalveSampleRate %.1f ms (%d gauge paints) | cp %.1f ms | halving/cp %.2f\n", halve * 1e3,
              paints, cp * 1e3, halve / cp);
  std::printf("naive 4-byte  : %.0f ms (measured on a %lld MiB slice, scaled) | naive/halving %.0f x\n", naive * 1e3,
              static_cast<long long>(slice >> 20), naive / halve);
  std::printf("naive, file services: %.0f ms (same slice, scaled) | naive/halving %.0f x\n", naiveRtl * 1e3,
              naiveRtl / halve);
  std::printf("sox -r 22050  : %.1f ms | sox/halving %.1f x\n", sox * 1e3, sox / halve);
  std::printf(
      "peak memory   : halving %ld KiB (5 MB file) vs %ld KiB (52.9 MB); conversion %ld KiB (2.5 MB) vs %ld KiB (26.5 "
      "MB)\n",
      halveSmall, halveBig, convertSmall, convertBig);
  auto verdict = [](bool met) { return met ? "met" : "NOT met"; };
  std::printf(
      "targets: conversion <= 1.2 x dd %s; halving <= 1.5 x cp %s; >= 300 x naive syscall loop %s"
      " (file services loop %s); memory flat %s\n",
      verdict(convert <= 1.2 * dd), verdict(halve <= 1.5 * cp), verdict(naive >= 300 * halve),
      verdict(naiveRtl >= 300 * halve),
      verdict(std::labs(halveBig - halveSmall) < 2048 && std::labs(convertBig - convertSmall) < 2048));
  if (argc <= 1) {
    Spawn({"rm", "-rf", work});
  }
  return 0;
}
