// --resample against sox, side by side in one run: a five-minute 48000 Hz
// 16-bit stereo WAV (two tones and noise) brought to 22050 Hz by
// `vantrel -q --resample --to-game IN OUT` and by
// `sox IN -r 22050 -b 16 OUT.raw` (sox's own rate effect, at its default
// high quality, the engine libsoxr grew from). Each is the median of several
// runs on a warm page cache. The program's peak memory is also taken on a
// one-minute WAV, to show that it does not grow with the sound's length.
//
//   resample_bench [work-folder]

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Processes.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 5;
constexpr uint32_t kRate = 48000;

// Written a block at a time: a child's peak memory counts the bench's own
// from before it starts the program, so the bench keeps little.
void MakeWav(const std::string& name, int seconds) {
  const uint32_t frames = static_cast<uint32_t>(seconds) * kRate;
  const uint32_t dataSize = frames * 4;
  unsigned char head[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16,  0,   0, 0, 1, 0,
                          2,   0,   0,   0,   0, 0, 0, 0, 0,   0,   4,   0,   16,  0,   'd', 'a', 't', 'a', 0, 0, 0, 0};
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) head[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(4, 36 + dataSize);
  put32(24, kRate);
  put32(28, kRate * 4);
  put32(40, dataSize);
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(head), sizeof head);
  std::vector<unsigned char> block;
  uint32_t x = 1;
  for (uint32_t i = 0; i < frames; ++i) {
    for (int c = 0; c < 2; ++c) {
      x = x * 1664525u + 1013904223u;
      const double noise = (static_cast<double>(x >> 16) / 65536.0 - 0.5) * 0.05;
      const double tone = 0.3 * std::sin(2 * 3.14159265358979 * (c == 0 ? 440.0 : 13000.0) * i / kRate);
      const auto v = static_cast<uint16_t>(static_cast<int16_t>(std::lround((tone + noise) * 32767)));
      block.push_back(static_cast<unsigned char>(v));
      block.push_back(static_cast<unsigned char>(v >> 8));
    }
    if (block.size() >= 65536 || i + 1 == frames) {
      out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
      block.clear();
    }
  }
}

ProgramRun Vantrel(const std::string& wav, const std::string& game) {
  fs::remove(game);
  fs::remove(game + ".bak");
  return RunProgram({VANTREL_PROGRAM, "-q", "--resample", "--to-game", wav, game});
}

}  // namespace

int main(int argc, char** argv) {
  const std::string work = argc > 1 ? argv[1] : (fs::temp_directory_path() / "vantrel-resample-bench").string();
  fs::remove_all(work);
  fs::create_directories(work);
  const std::string wav = work + "/five-minutes.wav", shortWav = work + "/one-minute.wav";
  MakeWav(wav, 300);
  MakeWav(shortWav, 60);
  // Warm the page cache.
  RunProgram({"cat", wav}, "/dev/null");

  std::vector<double> programTimes, soxTimes;
  long programRss = 0, soxRss = 0;
  for (int run = 0; run < kRuns; ++run) {
    const ProgramRun p = Vantrel(wav, work + "/bsound01.16");
    fs::remove(work + "/sox.raw");
    const ProgramRun s = RunProgram({"sox", wav, "-r", "22050", "-b", "16", work + "/sox.raw"});
    if (!p.ok || !s.ok) {
      std::fprintf(stderr, "%s failed\n", p.ok ? "sox" : "vantrel --resample");
      return 1;
    }
    programTimes.push_back(p.wall);
    soxTimes.push_back(s.wall);
    programRss = std::max(programRss, p.maxRssKiB);
    soxRss = std::max(soxRss, s.maxRssKiB);
  }
  const ProgramRun shortRun = Vantrel(shortWav, work + "/tk1.st1");
  const double program = Median(programTimes), sox = Median(soxTimes);
  std::printf("5-minute 48000 Hz 16-bit stereo WAV to 22050 Hz, median of %d runs\n", kRuns);
  std::printf("  vantrel -q --resample --to-game    %8.3f s  peak %6ld KiB\n", program, programRss);
  std::printf("  sox in.wav -r 22050 -b 16 out.raw  %8.3f s  peak %6ld KiB\n", sox, soxRss);
  std::printf("  ratio vantrel / sox                %8.2f x\n", program / sox);
  std::printf("  vantrel on a 1-minute WAV: peak %ld KiB (5 minutes: %ld KiB)\n", shortRun.maxRssKiB, programRss);
  fs::remove_all(work);
  return 0;
}
