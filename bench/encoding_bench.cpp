// A WAV of another encoding than 16-bit PCM to a game file, as whole
// processes side by side in one run: a 5-minute 24-bit stereo WAV at 44100 Hz
// through `vantrel --yes --to-game` (decoded to 16 bits, then halved) against
// `sox IN -b 16 -r 22050 OUT.raw`, which does the same with a real resampler.
// Each is the median of several runs on a warm page cache. The program's peak
// memory is given for a 1- and a 5-minute WAV, to show it does not grow with
// the file.
//
//   encoding_bench [work-folder]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Processes.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 7;

bool MakeWav(const std::string& name, int seconds) {
  // Noise, so that no encoder or cache has it easy.
  const std::string command =
      "sox -R -D -n -r 44100 -c 2 -b 24 '" + name + "' synth " + std::to_string(seconds) + " whitenoise vol 0.5";
  return std::system(command.c_str()) == 0;
}

ProgramRun Convert(const std::string& wav, const std::string& game) {
  fs::remove(game);
  fs::remove(game + ".bak");
  return RunProgram({VANTREL_PROGRAM, "--yes", "--to-game", wav, game}, "/dev/null");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string work = argc > 1 ? argv[1] : (fs::temp_directory_path() / "vantrel-encoding-bench").string();
  fs::remove_all(work);
  fs::create_directories(work);
  const std::string longWav = work + "/five-minutes-24bit.wav", shortWav = work + "/one-minute-24bit.wav";
  if (!MakeWav(longWav, 300) || !MakeWav(shortWav, 60)) {
    std::fprintf(stderr, "sox could not make the WAVs\n");
    return 1;
  }
  const std::string game = work + "/bsound01.16", raw = work + "/sox.raw";
  RunProgram({"cat", longWav}, "/dev/null");

  std::vector<double> programTimes, programCpu, soxTimes, soxCpu;
  long programRss = 0, soxRss = 0;
  for (int run = 0; run < kRuns; ++run) {
    const ProgramRun p = Convert(longWav, game);
    fs::remove(raw);
    const ProgramRun s = RunProgram({"sox", longWav, "-b", "16", "-r", "22050", raw});
    if (!p.ok || !s.ok) {
      std::fprintf(stderr, "%s failed\n", p.ok ? "sox" : "vantrel --yes --to-game");
      return 1;
    }
    programTimes.push_back(p.wall);
    programCpu.push_back(p.cpu);
    soxTimes.push_back(s.wall);
    soxCpu.push_back(s.cpu);
    programRss = std::max(programRss, p.maxRssKiB);
    soxRss = std::max(soxRss, s.maxRssKiB);
  }
  const ProgramRun shortRun = Convert(shortWav, game);
  if (!shortRun.ok) return 1;
  const uintmax_t gameBytes = fs::file_size(game);

  const double program = Median(programTimes), sox = Median(soxTimes);
  std::printf("5-minute 24-bit stereo WAV at 44100 Hz (%.1f MB) to 16-bit 22050 Hz, median of %d runs\n",
              double(fs::file_size(longWav)) / 1e6, kRuns);
  std::printf("  vantrel --yes --to-game        %8.3f s wall %8.3f s cpu  peak %6ld KiB\n", program, Median(programCpu),
              programRss);
  std::printf("  sox -b 16 -r 22050 out.raw     %8.3f s wall %8.3f s cpu  peak %6ld KiB\n", sox, Median(soxCpu),
              soxRss);
  std::printf("  ratio vantrel / sox            %8.2f x\n", program / sox);
  std::printf(
      "  vantrel peak memory, 1-minute WAV %ld KiB, 5-minute WAV %ld KiB (game file of the 1-minute: %ju bytes)\n",
      shortRun.maxRssKiB, programRss, gameBytes);
  fs::remove_all(work);
  return 0;
}
