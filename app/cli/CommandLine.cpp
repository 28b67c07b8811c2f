#include "CommandLine.h"

const char* const kUsage =
    "Usage: vantrel [--yes | --no] --to-game WAV GAMEFILE [WAV GAMEFILE ...]\n"
    "       vantrel --mp3-to-wav MP3 [MP3 ...] [--out-dir DIR]\n"
    "       vantrel --help | --version\n"
    "\n"
    "Without arguments vantrel opens its window.\n"
    "\n"
    "  --to-game     turn each WAV into the game sound file after it (GP3/GP4\n"
    "                bsound*.16, tk*.st1); 44100 Hz data is halved to 22050 Hz,\n"
    "                and the game file is backed up once as GAMEFILE.bak\n"
    "  --yes, --no   convert, or skip, a WAV whose rate is neither 22050 Hz nor\n"
    "                44100 Hz; without either the question is asked on the\n"
    "                terminal, and without a terminal the file is skipped\n"
    "  --mp3-to-wav  decode each MP3 into a WAV of the same name beside it\n"
    "  --out-dir DIR put the WAVs into DIR instead (needed for MP3s on a disc)\n"
    "  --help        show this text\n"
    "  --version     show the program's version\n"
    "\n"
    "Status texts go to standard output, errors to standard error. Exit status:\n"
    "0 every file was done, 1 a file failed or was skipped, 2 wrong arguments.\n";

namespace {

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

TParsedCommandLine Wrong(std::string error) {
  TParsedCommandLine parsed;
  parsed.Error = std::move(error);
  return parsed;
}

}  // namespace

TParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  bool toGame = false;
  bool mp3ToWav = false;
  bool help = false;
  bool version = false;
  bool yes = false;
  bool no = false;
  bool outDirGiven = false;
  std::string outDir;
  std::vector<std::string> operands;

  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !IsOption(arg)) {
      operands.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--to-game") {
      toGame = true;
    } else if (arg == "--mp3-to-wav") {
      mp3ToWav = true;
    } else if (arg == "--help") {
      help = true;
    } else if (arg == "--version") {
      version = true;
    } else if (arg == "--yes") {
      yes = true;
    } else if (arg == "--no") {
      no = true;
    } else if (arg == "--out-dir" || arg.rfind("--out-dir=", 0) == 0) {
      if (outDirGiven) return Wrong("--out-dir given twice");
      if (arg == "--out-dir") {
        if (i + 1 == args.size()) return Wrong("--out-dir needs a folder");
        outDir = args[++i];
      } else {
        outDir = arg.substr(sizeof "--out-dir=" - 1);
      }
      if (outDir.empty()) return Wrong("--out-dir needs a folder");
      outDirGiven = true;
    } else {
      return Wrong("unknown option " + arg);
    }
  }

  TParsedCommandLine parsed;
  // Asking for help or the version is never wrong, whatever else is given.
  if (help || version) {
    parsed.Ok = true;
    parsed.Line.Action = help ? TCliAction::Help : TCliAction::Version;
    return parsed;
  }
  if (toGame == mp3ToWav)
    return Wrong(toGame ? "--to-game and --mp3-to-wav cannot be combined" : "give --to-game or --mp3-to-wav");
  if (yes && no) return Wrong("--yes and --no cannot be combined");

  TCommandLine& line = parsed.Line;
  if (toGame) {
    if (outDirGiven) return Wrong("--out-dir belongs to --mp3-to-wav");
    if (operands.empty()) return Wrong("--to-game needs a WAV and a game sound file");
    if (operands.size() % 2 != 0) return Wrong("--to-game needs pairs: the last WAV has no game sound file");
    line.Action = TCliAction::ToGame;
    line.Answer = yes ? TRateAnswer::Yes : no ? TRateAnswer::No : TRateAnswer::Ask;
    for (size_t i = 0; i < operands.size(); i += 2) line.Pairs.emplace_back(operands[i], operands[i + 1]);
  } else {
    if (yes || no) return Wrong("--yes and --no belong to --to-game");
    if (operands.empty()) return Wrong("--mp3-to-wav needs an MP3 file");
    line.Action = TCliAction::Mp3ToWav;
    line.Mp3s = operands;
    line.OutDir = outDir;
  }
  parsed.Ok = true;
  return parsed;
}
