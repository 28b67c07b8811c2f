#pragma once
// The real program run as a child from a test: a bare environment (no
// DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM; HOME, XDG_CONFIG_HOME and
// TMPDIR in a scratch folder), a scratch working folder, real files.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"
#include "SoundFiles.h"
#include "convert_support.h"

namespace cli_test {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// Data of whole 8-byte frame pairs, so that every reading of the WAV (from
// byte 44, or by its data chunk) sees the same samples.
constexpr size_t kDataSize = 8 * 1000;

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  return names;
}

// Frames 1, 3, 5 ... of the data: what a 44100 Hz WAV becomes.
inline Bytes OddFrames(const Bytes& data) {
  Bytes out;
  for (size_t i = 4; i + 4 <= data.size(); i += 8) out.insert(out.end(), data.begin() + i, data.begin() + i + 4);
  return out;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& d : {home, config, work, temp}) ASSERT_EQ(mkdir(d.c_str(), 0755), 0) << d;
  }

  // A run of the program (or of 'program') in the scratch folders.
  CliRun RunOf(const Args& args, const std::string& program = VANTREL_PROGRAM, bool keepLibraryPath = true) {
    CliRun run{program, args, work, {}, ""};
    run.env = {{"PATH", "/usr/bin:/bin"}, {"HOME", home}, {"XDG_CONFIG_HOME", config}, {"TMPDIR", temp}};
    // Sanitizer builds name the program's folder for the library loader, and
    // their own options pass through.
    for (const char* name : {"LD_LIBRARY_PATH", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
      if (const char* value = std::getenv(name); value && (keepLibraryPath || name[0] != 'L' || name[1] != 'D'))
        run.env[name] = value;
    return run;
  }

  CliResult Start(const CliRun& run) {
    CliResult result = RunChild(run);
    EXPECT_TRUE(result.started);
    return result;
  }

  CliResult Vantrel(const Args& args, const std::string& program = VANTREL_PROGRAM, bool keepLibraryPath = true) {
    return Start(RunOf(args, program, keepLibraryPath));
  }

  // A canonical WAV of the given rate with patterned data; returns the data.
  Bytes MakeWav(const std::string& name, uint32_t rate, unsigned seed = 1) {
    const Bytes data = Pattern(kDataSize, seed);
    WriteFile(name, WavBytes(rate, data));
    return data;
  }

  TempDir dir;
  const std::string home = dir / "home";
  const std::string config = dir / "config";
  const std::string work = dir / "work";
  const std::string temp = dir / "tmp";
  const std::string files = dir.Path();
};

}  // namespace cli_test
