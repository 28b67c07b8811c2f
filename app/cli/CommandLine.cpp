#include "CommandLine.h"

#include "Resampler.h"

const char* const kUsage =
    "Usage: vantrel [-q] [--yes | --no | --resample] --to-game WAV GAMEFILE ...\n"
    "       vantrel [-q] --mp3-to-wav MP3 [MP3 ...] [--out-dir DIR]\n"
    "       vantrel [-q] --restore GAMEFILE [GAMEFILE ...]\n"
    "       vantrel -h | --help | -V | --version\n"
    "\n"
    "Without arguments vantrel opens its window.\n"
    "\n"
    "      --to-game     turn each WAV into the game sound file after it (GP3/GP4\n"
    "                    bsound*.16, tk*.st1); 44100 Hz data is halved to 22050 Hz,\n"
    "                    and the game file is backed up once as GAMEFILE.bak\n"
    "      --yes, --no   convert, or skip, a WAV whose rate is neither 22050 Hz nor\n"
    "                    44100 Hz; without either the question is asked on the\n"
    "                    terminal, and without a terminal the file is skipped\n"
    "      --resample    with --to-game: bring a WAV of any rate from 8000 to\n"
    "                    192000 Hz to 22050 Hz through a low-pass resampler\n"
    "                    (16-bit, channels kept), with no question asked\n"
    "      --mp3-to-wav  decode each MP3 into a WAV of the same name beside it\n"
    "      --out-dir DIR put the WAVs into DIR instead (needed for MP3s on a disc)\n"
    "      --restore     put each game file's backup GAMEFILE.bak back over it;\n"
    "                    the backup stays\n"
    "  -q, --quiet       write no status lines, only errors\n"
    "  -h, --help        show this text\n"
    "  -V, --version     show the program's version\n"
    "\n"
    "Status texts go to standard output, errors to standard error. Exit status:\n"
    "0 every file was done, 1 a file failed or was skipped (or standard output\n"
    "failed), 2 wrong arguments.\n";

const char* const kTryHelp = "Try 'vantrel --help' for more information.";

namespace {

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

TParsedCommandLine Wrong(std::string error) {
  TParsedCommandLine parsed;
  parsed.Error = std::move(error);
  return parsed;
}

// The flags and commands as the arguments give them, before they are checked
// against each other.
struct TGiven {
  bool toGame = false, mp3ToWav = false, restore = false;
  bool help = false, version = false, quiet = false;
  bool yes = false, no = false, resample = false;
  bool outDirGiven = false;
  std::string outDir;
  std::vector<std::string> operands;
};

// A long option without argument; false when there is none of that name.
bool TakeLongFlag(const std::string& arg, TGiven& g) {
  const std::pair<const char*, bool TGiven::*> flags[] = {
      {"--to-game", &TGiven::toGame},   {"--mp3-to-wav", &TGiven::mp3ToWav},
      {"--restore", &TGiven::restore},  {"--help", &TGiven::help},
      {"--version", &TGiven::version},  {"--quiet", &TGiven::quiet},
      {"--yes", &TGiven::yes},          {"--no", &TGiven::no},
      {"--resample", &TGiven::resample}};
  for (const auto& [name, member] : flags) {
    if (arg == name) {
      g.*member = true;
      return true;
    }
  }
  return false;
}

// "-qV": each letter a flag of its own. Returns the error, or empty.
std::string TakeShortFlags(const std::string& arg, TGiven& g) {
  for (size_t i = 1; i < arg.size(); ++i) {
    switch (arg[i]) {
      case 'h':
        g.help = true;
        break;
      case 'V':
        g.version = true;
        break;
      case 'q':
        g.quiet = true;
        break;
      default:
        return std::string("invalid option -- '") + arg[i] + "'";
    }
  }
  return "";
}

}  // namespace

TParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TGiven g;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !IsOption(arg)) {
      g.operands.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (TakeLongFlag(arg, g)) {
    } else if (arg == "--out-dir" || arg.rfind("--out-dir=", 0) == 0) {
      if (g.outDirGiven) return Wrong("--out-dir given twice");
      if (arg == "--out-dir") {
        if (i + 1 == args.size()) return Wrong("option '--out-dir' requires an argument");
        g.outDir = args[++i];
      } else {
        g.outDir = arg.substr(sizeof "--out-dir=" - 1);
      }
      if (g.outDir.empty()) return Wrong("--out-dir needs a folder");
      g.outDirGiven = true;
    } else if (arg.rfind("--", 0) == 0) {
      const size_t equals = arg.find('=');
      if (equals != std::string::npos && TakeLongFlag(arg.substr(0, equals), g))
        return Wrong("option '" + arg.substr(0, equals) + "' doesn't allow an argument");
      return Wrong("unrecognized option '" + arg + "'");
    } else if (std::string error = TakeShortFlags(arg, g); !error.empty()) {
      return Wrong(error);
    }
  }

  TParsedCommandLine parsed;
  TCommandLine& line = parsed.Line;
  line.Quiet = g.quiet;
  // Asking for help or the version is never wrong, whatever else is given.
  if (g.help || g.version) {
    parsed.Ok = true;
    line.Action = g.help ? TCliAction::Help : TCliAction::Version;
    return parsed;
  }
  const int commands = int(g.toGame) + int(g.mp3ToWav) + int(g.restore);
  if (commands == 0) return Wrong("give --to-game, --mp3-to-wav or --restore");
  if (commands > 1) {
    const char* first = g.toGame ? "--to-game" : "--mp3-to-wav";
    const char* second = g.restore ? "--restore" : "--mp3-to-wav";
    return Wrong(std::string(first) + " and " + second + " cannot be combined");
  }
  if (g.yes && g.no) return Wrong("--yes and --no cannot be combined");
  if (g.resample && (g.yes || g.no)) return Wrong("--resample asks no question: leave out --yes and --no");
  if (!g.toGame && (g.yes || g.no)) return Wrong("--yes and --no belong to --to-game");
  if (!g.toGame && g.resample) return Wrong("--resample belongs to --to-game");
  if (g.resample && !kResamplerBuiltIn) return Wrong("--resample is not part of this build");
  if (!g.mp3ToWav && g.outDirGiven) return Wrong("--out-dir belongs to --mp3-to-wav");

  if (g.toGame) {
    if (g.operands.empty()) return Wrong("--to-game needs a WAV and a game sound file");
    if (g.operands.size() % 2 != 0) return Wrong("--to-game needs pairs: the last WAV has no game sound file");
    line.Action = TCliAction::ToGame;
    line.Answer = g.yes ? TRateAnswer::Yes : g.no ? TRateAnswer::No : TRateAnswer::Ask;
    line.Resample = g.resample;
    for (size_t i = 0; i < g.operands.size(); i += 2) line.Pairs.emplace_back(g.operands[i], g.operands[i + 1]);
  } else if (g.mp3ToWav) {
    if (g.operands.empty()) return Wrong("--mp3-to-wav needs an MP3 file");
    line.Action = TCliAction::Mp3ToWav;
    line.Mp3s = g.operands;
    line.OutDir = g.outDir;
  } else {
    if (g.operands.empty()) return Wrong("--restore needs a game sound file");
    line.Action = TCliAction::Restore;
    line.GameFiles = g.operands;
  }
  parsed.Ok = true;
  return parsed;
}
