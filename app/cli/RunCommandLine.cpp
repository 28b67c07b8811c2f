#include "RunCommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Batches.h"
#include "CommandLine.h"
#include "Console.h"
#include "FileChecks.h"
#include "Locations.h"
#include "MPEGPlay.h"
#include "OpticalDisc.h"
#include "Terminal.h"

namespace {

constexpr int kAllDone = 0;
constexpr int kSomeNotDone = 1;
constexpr int kWrongArguments = 2;

// A run whose standard output lost its lines has failed, as a script reading
// them would otherwise take a missing "That's right" for nothing said.
int ExitStatus(const TBatchOutcomes& outcomes, TConsole& console) {
  if (!console.FlushStandardOutput()) {
    console.BeginFile("");
    console.Error(console.StandardOutputError());
    return kSomeNotDone;
  }
  const bool allDone =
      std::all_of(outcomes.begin(), outcomes.end(), [](TFileOutcome o) { return o == TFileOutcome::Done; });
  return allDone ? kAllDone : kSomeNotDone;
}

// Help and version text: written whole, or the status says it was not.
int PrintedOrFailed(int printed) {
  if (printed >= 0 && std::fflush(stdout) == 0 && !std::ferror(stdout)) return kAllDone;
  std::fprintf(stderr, "vantrel: write error: %s\n", std::strerror(errno != 0 ? errno : EIO));
  return kSomeNotDone;
}

TBatchOutcomes DecodeWithLoadedLibrary(const TCommandLine& line, const std::string& appDir, TConsole& console) {
  TMPEGPlayer player;
  // The library is loaded as the window loads it at start; when that fails
  // the error is shown once, and each MP3 then meets the command's own test.
  ReportingErrors(console, [&] { player.LoadDLL(); });
  TBatchOutcomes outcomes = DecodeMp3s(
      line.Mp3s, line.OutDir, player, appDir, PrivateLibraryDirectory(appDir),
      [](const std::string& fileName) { return LiesOnOpticalDisc(fileName, nullptr); }, console);
  // Unloading is not about one MP3, but its failure fails the run all the same.
  console.BeginFile("");
  ReportingErrors(console, [&] { player.UnloadDLL(); });
  outcomes.push_back(console.Outcome());
  return outcomes;
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  const TParsedCommandLine parsed = ParseCommandLine(ProgramArguments(argc, argv));
  if (!parsed.Ok) {
    std::fprintf(stderr, "vantrel: %s\n%s\n", parsed.Error.c_str(), kTryHelp);
    return kWrongArguments;
  }
  const TCommandLine& line = parsed.Line;
  if (line.Action == TCliAction::Help) {
    return PrintedOrFailed(PutText(kUsage, stdout));
  }
  if (line.Action == TCliAction::Version) {
    return PrintedOrFailed(PutText(std::string("vantrel ") + VANTREL_VERSION + "\n", stdout));
  }

  TConsoleStreams streams;
  streams.ErrIsTerminal = IsTerminal(stderr);
  // The question goes to standard error: a user must see it to answer it.
  streams.InIsTerminal = IsTerminal(stdin) && streams.ErrIsTerminal;
  streams.Quiet = line.Quiet;
  TConsole console(streams);
  if (line.Action == TCliAction::ToGame) {
    return ExitStatus(ConvertToGame(line.Pairs, line.Answer, line.Resample, console), console);
  }
  if (line.Action == TCliAction::Restore) return ExitStatus(RestoreGameFiles(line.GameFiles, console), console);

  // Every MP3 would fail in the decoder with a text that does not name the
  // folder; one line says what is wrong.
  if (!line.OutDir.empty() && !FolderExists(line.OutDir)) {
    console.Error("--out-dir " + line.OutDir + " is not a folder");
    return kSomeNotDone;
  }

  // The player's position timer stays the inert one: the command line runs
  // no event loop and follows the decoding itself.
  return ExitStatus(DecodeWithLoadedLibrary(line, ApplicationDirectory(), console), console);
}
