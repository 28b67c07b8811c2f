#pragma once
// The program's arguments. Without any, the program opens its window; with
// some, it runs one of the window's commands over the files named, with no
// display:
//
//   vantrel [-q] [--yes | --no | --resample] --to-game WAV GAMEFILE [WAV GAMEFILE ...]
//   vantrel [-q] --mp3-to-wav MP3 [MP3 ...] [--out-dir DIR]
//   vantrel [-q] --restore GAMEFILE [GAMEFILE ...]
//   vantrel -h | --help | -V | --version
//
// Options and operands may come in any order; short options may be bundled
// ("-qV"); "--" ends the options, so that a file whose name begins with "-"
// can be named.

#include <string>
#include <utility>
#include <vector>

enum class TCliAction { ToGame, Mp3ToWav, Restore, Help, Version };

// How the question about an unusual sample rate is answered.
enum class TRateAnswer { Ask, Yes, No };

struct TCommandLine {
  TCliAction Action = TCliAction::Help;
  // No status lines; errors are still written.
  bool Quiet = false;
  // ToGame: the (WAV, game sound file) pairs, in the order given.
  std::vector<std::pair<std::string, std::string>> Pairs;
  TRateAnswer Answer = TRateAnswer::Ask;
  // ToGame: every WAV that is not at 22050 Hz goes through the low-pass
  // resampler, whatever its rate; no question is asked.
  bool Resample = false;
  // Mp3ToWav: the MP3 files, and the folder for every WAV (empty: beside its MP3).
  std::vector<std::string> Mp3s;
  std::string OutDir;
  // Restore: the game sound files whose backups are put back.
  std::vector<std::string> GameFiles;
};

struct TParsedCommandLine {
  bool Ok = false;
  TCommandLine Line;
  std::string Error;  // what is wrong, when not Ok
};

// args: the arguments after the program's name.
TParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text, ending in a newline.
extern const char* const kUsage;
// The line that follows the error about wrong arguments.
extern const char* const kTryHelp;
