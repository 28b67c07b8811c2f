// A whole sound pack through the command line against the bare header strip,
// side by side in one run: 50 five-second 16-bit stereo WAVs (half 44100 Hz,
// which the program halves, half 22050 Hz) converted by one
// `vantrel --to-game` call, and a shell loop of `tail -c +45 IN > OUT` over the
// same files, which does less work. Each is the median of several runs, on a
// warm page cache, with the outputs removed before each run so every run
// makes the same files.
//
//   cli_bench [work-folder]

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Processes.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 7;
constexpr int kFiles = 50;
constexpr int kSeconds = 5;

void MakeWav(const std::string& name, uint32_t rate, unsigned seed) {
  const uint32_t dataSize = kSeconds * rate * 4;
  std::vector<unsigned char> bytes(44 + dataSize);
  const unsigned char head[] = {'R', 'I', 'F', 'F', 0, 0, 0,  0, 'W', 'A', 'V', 'E', 'f', 'm',
                                't', ' ', 16,  0,   0, 0, 1,  0, 2,   0,   0,   0,   0,   0,
                                0,   0,   0,   0,   4, 0, 16, 0, 'd', 'a', 't', 'a'};
  std::copy(std::begin(head), std::end(head), bytes.begin());
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(4, 36 + dataSize);
  put32(24, rate);
  put32(28, rate * 4);
  put32(40, dataSize);
  uint32_t x = seed;
  for (size_t i = 44; i < bytes.size(); ++i) {
    x = x * 1664525u + 1013904223u;
    bytes[i] = static_cast<unsigned char>(x >> 24);
  }
  std::ofstream(name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Clear(const std::string& folder) {
  fs::remove_all(folder);
  fs::create_directories(folder);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string work = argc > 1 ? argv[1] : (fs::temp_directory_path() / "vantrel-cli-bench").string();
  const std::string wavs = work + "/wavs/", game = work + "/game/", peer = work + "/peer/";
  Clear(work);
  Clear(wavs);

  std::vector<std::string> pack{VANTREL_PROGRAM, "--to-game"};
  std::string loop = "for n in";
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "s" + std::to_string(i);
    MakeWav(wavs + name + ".wav", i % 2 == 0 ? 44100 : 22050, static_cast<unsigned>(i + 1));
    pack.push_back(wavs + name + ".wav");
    pack.push_back(game + "bsound" + std::to_string(i) + ".16");
    loop += " " + name;
  }
  loop += "; do tail -c +45 '" + wavs + "'$n.wav > '" + peer + "'$n.16 || exit 1; done";
  // Warm the page cache.
  for (int i = 0; i < kFiles; ++i) RunProgram({"cat", wavs + "s" + std::to_string(i) + ".wav"}, "/dev/null");

  std::vector<double> programTimes, peerTimes;
  for (int run = 0; run < kRuns; ++run) {
    Clear(game);
    const ProgramRun p = RunProgram(pack, "/dev/null");
    Clear(peer);
    const ProgramRun t = RunProgram({"sh", "-c", loop});
    if (!p.ok || !t.ok) {
      std::fprintf(stderr, "%s failed\n", p.ok ? "the tail loop" : "vantrel --to-game");
      return 1;
    }
    programTimes.push_back(p.wall);
    peerTimes.push_back(t.wall);
  }
  const double program = Median(programTimes), tail = Median(peerTimes);
  std::printf("pack of %d five-second WAVs (half 44100 Hz, half 22050 Hz), median of %d runs\n", kFiles, kRuns);
  std::printf("  vantrel --to-game (one call)   %8.3f s\n", program);
  std::printf("  sh loop of tail -c +45         %8.3f s\n", tail);
  std::printf("  ratio vantrel / tail loop      %8.2f x\n", program / tail);
  fs::remove_all(work);
  return 0;
}
