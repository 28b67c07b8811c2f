#pragma once
// The program's arguments. Without any, the program opens its window; with
// some, it runs one of the window's commands over the files named, with no
// display:
//
//   vantrel [--yes | --no] --to-game WAV GAMEFILE [WAV GAMEFILE ...]
//   vantrel --mp3-to-wav MP3 [MP3 ...] [--out-dir DIR]
//   vantrel --help | --version
//
// Options and operands may come in any order; "--" ends the options, so that
// a file whose name begins with "-" can be named.

#include <string>
#include <utility>
#include <vector>

enum class TCliAction { ToGame, Mp3ToWav, Help, Version };

// How the question about an unusual sample rate is answered.
enum class TRateAnswer { Ask, Yes, No };

struct TCommandLine {
  TCliAction Action = TCliAction::Help;
  // ToGame: the (WAV, game sound file) pairs, in the order given.
  std::vector<std::pair<std::string, std::string>> Pairs;
  TRateAnswer Answer = TRateAnswer::Ask;
  // Mp3ToWav: the MP3 files, and the folder for every WAV (empty: beside its MP3).
  std::vector<std::string> Mp3s;
  std::string OutDir;
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
