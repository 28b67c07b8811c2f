#pragma once
// Test helpers: the built decoder library loaded through the player's own
// binding (every entry resolved by name), MP3 data made with sox and lame,
// and a reader of the WAV files the library and mpg123 write.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "MpegLibrary.h"
#include "TempDir.h"
#include "WavImages.h"
#include "mpegdll.h"

// The player's own binding, loaded on construction from `path`.
struct DecoderLibrary : TMpegLibrary {
  explicit DecoderLibrary(const char* path = MPEGDLL_PATH) { Load(path); }

  void OpenFile(const std::string& name) {
    Open(name.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
};

// A test on the built library, initialised for the test and released after
// it, with a scratch folder of its own.
class DecoderLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.Loaded()) << MPEGDLL_PATH;
    ASSERT_TRUE(dir.Ok());
    ASSERT_EQ(lib.init(), 1);
  }
  void TearDown() override {
    if (lib.Loaded()) lib.deinit();
  }
  DecoderLibrary lib;
  TempDir dir;
};

// The 21 entry names the library exports.
extern const char* const kEntryNames[21];

// Runs `work` on a thread of its own and waits for it up to 10 s: false when
// it is still blocked then. `unblock` is called in that case to release it
// (opening the other end of a FIFO, say), so the test ends with a failure
// instead of hanging.
bool FinishesPromptly(const std::function<void()>& work, const std::function<void()>& unblock);

// Runs a shell command; true when it exits with 0.
bool RunShell(const std::string& command);

// Makes an MP3 of `seconds` of sound (a tone, plus noise on the second
// channel when stereo) with lame; `lameArgs` chooses the bit rate mode.
// Returns the MP3's path, empty on failure.
std::string MakeMp3(const TempDir& dir, const std::string& name, int rate, int channels, double seconds,
                    const std::string& lameArgs);

std::vector<unsigned char> ReadFile(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);


// Decodes with the reference player: `mpg123 -q -w`.
WavFile ReferenceDecode(const TempDir& dir, const std::string& mp3);

// The MP3s that make-mp3-table.sh made in the folder VANTREL_MP3_TABLE
// names, as real tools make them, and mpg123's decoding of each: the same
// files in both builds (under wine neither lame nor mpg123 can run).
// A copy of NAME.mp3 in `dir`, named `as`; empty when the table lacks it.
std::string CopyOfTableMp3(const TempDir& dir, const std::string& name, const std::string& as = "in.mp3");
// mpg123's decoding of NAME.mp3 (NAME.ref.wav).
WavFile TableReference(const std::string& name);

// Stereo 16-bit data made from mono 16-bit data by doubling every sample.
std::vector<unsigned char> Doubled(const std::vector<unsigned char>& mono);

// Drives the library exactly as the MP3-to-WAV command does: Open, GetLength,
// Play while GetCurrentPos is -1, then Play and GetCurrentPos until the end
// flag is set and ResetPlayerMode answers true, Close. Stops at the first
// error that LastError reports.
struct CommandRun {
  int32_t openError = 0;
  int32_t length = 0;
  int32_t playResult = 0;
  int32_t firstError = 0;  // first non-zero LastError after Open
  int32_t lastPos = -1;    // after the loops, before Close
  bool flagSet = false;
};
CommandRun DecodeLikeMp3Command(DecoderLibrary& lib, const std::string& mp3, const std::string& wav);
