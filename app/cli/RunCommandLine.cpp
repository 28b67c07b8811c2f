#include "RunCommandLine.h"

#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Batches.h"
#include "CommandLine.h"
#include "Console.h"
#include "FileChecks.h"
#include "Locations.h"
#include "MPEGPlay.h"
#include "OpticalDisc.h"

namespace {

constexpr int kAllDone = 0;
constexpr int kSomeNotDone = 1;
constexpr int kWrongArguments = 2;

int ExitStatus(const TBatchOutcomes& outcomes) {
  const bool allDone =
      std::all_of(outcomes.begin(), outcomes.end(), [](TFileOutcome o) { return o == TFileOutcome::Done; });
  return allDone ? kAllDone : kSomeNotDone;
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
  const TParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Ok) {
    std::fprintf(stderr, "vantrel: %s\n%s\n", parsed.Error.c_str(), kTryHelp);
    return kWrongArguments;
  }
  const TCommandLine& line = parsed.Line;
  if (line.Action == TCliAction::Help) {
    std::fputs(kUsage, stdout);
    return kAllDone;
  }
  if (line.Action == TCliAction::Version) {
    std::printf("vantrel %s\n", VANTREL_VERSION);
    return kAllDone;
  }

  TConsoleStreams streams;
  streams.ErrIsTerminal = isatty(STDERR_FILENO) == 1;
  // The question goes to standard error: a user must see it to answer it.
  streams.InIsTerminal = isatty(STDIN_FILENO) == 1 && streams.ErrIsTerminal;
  streams.Quiet = line.Quiet;
  TConsole console(streams);
  if (line.Action == TCliAction::ToGame) {
    return ExitStatus(ConvertToGame(line.Pairs, line.Answer, line.Resample, console));
  }
  if (line.Action == TCliAction::Restore) return ExitStatus(RestoreGameFiles(line.GameFiles, console));

  // Every MP3 would fail in the decoder with a text that does not name the
  // folder; one line says what is wrong.
  if (!line.OutDir.empty() && !FolderExists(line.OutDir)) {
    console.Error("--out-dir " + line.OutDir + " is not a folder");
    return kSomeNotDone;
  }

  // The player's timer belongs to an event loop's thread; a core application
  // gives it one without any display.
  QCoreApplication app(argc, argv);
  return ExitStatus(DecodeWithLoadedLibrary(line, ApplicationDirectory(), console));
}
