#include "Batches.h"

#include <optional>

#include "ConsoleFaces.h"
#include "Exceptions.h"
#include "GameSoundConversion.h"
#include "MPEGError.h"
#include "MPEGPlay.h"
#include "Mp3ToWavCommand.h"
#include "PathUtils.h"
#include "Resampler.h"
#include "RestoreBackup.h"
#include "SharedState.h"

void ReportingErrors(TConsole& console, const std::function<void()>& step) {
  try {
    step();
  } catch (const EAbort&) {
    // The silent exception: the window shows nothing either.
    console.FailQuietly();
  } catch (const EInOutError& e) {
    console.Error(WithCause(ErrorDisplayText(e.Message()), e.Path));
  } catch (const Exception& e) {
    console.Error(ErrorDisplayText(e.Message()));
  } catch (const std::exception& e) {
    console.Error(ErrorDisplayText(e.what()));
  }
}

TBatchOutcomes ConvertToGame(const std::vector<std::pair<std::string, std::string>>& pairs, TRateAnswer answer,
                             bool resample, TConsole& console) {
  const TModalResult given = answer == TRateAnswer::Yes ? mrYes : answer == TRateAnswer::No ? mrNo : mrNone;
  TBatchOutcomes outcomes;
  for (const auto& [wav, game] : pairs) {
    if (console.StandardOutputFailed()) break;
    console.BeginFile(wav + " -> " + game);
    TGivenFileDialog openDialog(console, wav, true);
    TGivenFileDialog saveDialog(console, game, false);
    TConsoleMessages messages(console, given, std::nullopt);
    TConsoleStatusLine status(console);
    bool halvingSucceeded = false;
    // No remembered folders: they belong to the window's settings.
    TGameSoundConversion command({openDialog, saveDialog, messages, status, console.Gauge(), nullptr}, "", "",
                                 halvingSucceeded);
    if (resample)
      command.ResampleWith([&console](const std::string& wavPath, TPcm16File& result) {
        return ResampleToGameRate(wavPath, result, &console.Gauge());
      });
    ReportingErrors(console, [&] { command.Run(); });
    outcomes.push_back(console.Outcome());
  }
  return outcomes;
}

TBatchOutcomes RestoreGameFiles(const std::vector<std::string>& gameFiles, TConsole& console) {
  TBatchOutcomes outcomes;
  for (const std::string& game : gameFiles) {
    if (console.StandardOutputFailed()) break;
    console.BeginFile(game);
    TConsoleMessages messages(console, mrNone, std::nullopt);
    TConsoleStatusLine status(console);
    ReportingErrors(console, [&] { RestoreBackup(game, messages, status); });
    outcomes.push_back(console.Outcome());
  }
  return outcomes;
}

namespace {

// The player's code for a failing output: for a decode, the WAV file.
constexpr uint8_t kOutputDeviceFailure = 5;

// The picked folder gets a delimiter from the command.
std::string WithoutTrailingSlashes(std::string folder) {
  while (!folder.empty() && IsPathDelimiter(folder.back())) folder.pop_back();
  return folder;
}

}  // namespace

TBatchOutcomes DecodeMp3s(const std::vector<std::string>& mp3s, const std::string& outDir, TMPEGPlayer& player,
                          const std::string& applicationDir, const std::string& installedLibraryDir,
                          const std::function<bool(const std::string&)>& onOpticalDisc, TConsole& console) {
  // With --out-dir every MP3 is treated as the window treats one on a disc:
  // the command asks for a folder, and the answer is that one. A folder of
  // "/" alone becomes empty here and "/" again in the command.
  const bool pickEveryFolder = !outDir.empty();
  const std::optional<std::string> pickedFolder =
      pickEveryFolder ? std::optional<std::string>(WithoutTrailingSlashes(outDir)) : std::nullopt;
  const std::function<bool(const std::string&)> asksForFolder =
      pickEveryFolder ? [](const std::string&) { return true; } : onOpticalDisc;

  TSharedState state;
  state.AppDir = applicationDir;
  TNoControl noControl;
  TBatchOutcomes outcomes;
  for (const std::string& mp3 : mp3s) {
    if (console.StandardOutputFailed()) break;
    console.BeginFile(mp3);
    TGivenFileDialog openDialog(console, mp3, true);
    TConsoleMessages messages(console, mrNone, pickedFolder);
    TConsoleStatusLine status(console);
    TMp3ToWavCommand command(
        {openDialog, messages, status, console.Gauge(), player, noControl, noControl, noControl, noControl}, state,
        installedLibraryDir, asksForFolder);
    ReportingErrors(console, [&] {
      try {
        command.Run();
      } catch (const TMPEGError& e) {
        // The device that failed is the WAV being written, which the error
        // line's subject (the MP3) does not name.
        if (e.ErrorCode != kOutputDeviceFailure || player.OutFilename().empty()) throw;
        console.Error(WithCause(ErrorDisplayText(e.Message()), player.OutFilename()));
      }
    });
    outcomes.push_back(console.Outcome());
  }
  return outcomes;
}
