// Whole processes side by side, start-up included, on a warm page cache:
//   - the header strip: `vantrel --yes --to-game` of a 5-minute 22050 Hz WAV
//     (26 MB) against `dd bs=2048 skip=44 iflag=skip_bytes`;
//   - the whole conversion of a 5-minute 44100 Hz WAV (53 MB) against
//     halving_loop, the least a program can do for it.
// Each game file exists and has its backup, as on every conversion after the
// first, so each run replaces it. Where the rest of the time goes is shown by
// the program's start-up alone (`vantrel --version`) and by a conversion into
// a new game file name, which replaces nothing and so skips the flush that
// ext4 makes when a file is renamed over another.
//
//   conversion_process_bench [work-folder]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Processes.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

constexpr int kRuns = 7;

double MedianWall(
    const Args& args, const std::function<void()>& before = [] {}) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    before();
    const ProgramRun r = RunProgram(args, "/dev/null");
    if (!r.ok) {
      std::fprintf(stderr, "%s failed\n", args[0].c_str());
      std::exit(1);
    }
    times.push_back(r.wall);
  }
  return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string work = argc > 1 ? argv[1] : (fs::temp_directory_path() / "vantrel-process-bench").string();
  fs::remove_all(work);
  fs::create_directories(work);
  const std::string w22 = work + "/w22.wav", w44 = work + "/w44.wav";
  for (const auto& [wav, rate] : {std::pair{w22, "22050"}, std::pair{w44, "44100"}}) {
    if (!RunProgram({"sox", "-n", "-r", rate, "-c", "2", "-b", "16", wav, "synth", "300", "whitenoise", "vol", "0.5"})
             .ok) {
      std::fprintf(stderr, "sox could not make the WAVs\n");
      return 1;
    }
  }
  RunProgram({"cat", w22, w44}, "/dev/null");
  const std::string g22 = work + "/bsound22.16", g44 = work + "/bsound44.16", fresh = work + "/fresh.16";
  const Args strip = {VANTREL_PROGRAM, "--yes", "--to-game", w22, g22};
  const Args whole = {VANTREL_PROGRAM, "--yes", "--to-game", w44, g44};
  // The first conversions make the game files and their backups.
  RunProgram(strip, "/dev/null");
  RunProgram(whole, "/dev/null");

  const double program22 = MedianWall(strip);
  const double dd = MedianWall(
      {"dd", "if=" + w22, "of=" + work + "/dd.out", "bs=2048", "skip=44", "iflag=skip_bytes", "status=none"});
  const double program44 = MedianWall(whole);
  const double floor = MedianWall({HALVING_LOOP_PROGRAM, w44, work + "/loop.out"});
  const double startUp = MedianWall({VANTREL_PROGRAM, "--version"});
  const double fresh22 = MedianWall({VANTREL_PROGRAM, "--yes", "--to-game", w22, fresh}, [&] { fs::remove(fresh); });

  std::printf("whole processes, median of %d runs, warm page cache\n", kRuns);
  std::printf("  header strip, 26 MB at 22050 Hz\n");
  std::printf("    vantrel --yes --to-game            %8.4f s\n", program22);
  std::printf("    dd bs=2048 skip=44                 %8.4f s\n", dd);
  std::printf("    ratio vantrel / dd                 %8.2f x\n", program22 / dd);
  std::printf("  whole conversion, 53 MB at 44100 Hz\n");
  std::printf("    vantrel --yes --to-game            %8.4f s\n", program44);
  std::printf("    plain 64 KiB halving loop          %8.4f s\n", floor);
  std::printf("    ratio vantrel / halving loop       %8.2f x\n", program44 / floor);
  std::printf("  where the time goes\n");
  std::printf("    start-up alone (--version)         %8.4f s\n", startUp);
  std::printf("    strip into a new game file name    %8.4f s (no rename over a file, no flush)\n", fresh22);
  fs::remove_all(work);
  return 0;
}
