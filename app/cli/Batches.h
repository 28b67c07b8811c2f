#pragma once
// The window's commands run once per file (or pair of files) named on the
// command line, each through the command-line faces. A failing file is
// reported and the next one still runs.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "CommandLine.h"
#include "Console.h"

class TMPEGPlayer;

// The outcomes of a batch, in the order of its files.
using TBatchOutcomes = std::vector<TFileOutcome>;

// "Convert Wav as GP3 / GP4 sound format" for each pair; no settings are read
// or written. resample: --resample, every WAV not at 22050 Hz goes through
// the low-pass resampler (Resampler.h).
TBatchOutcomes ConvertToGame(const std::vector<std::pair<std::string, std::string>>& pairs, TRateAnswer answer,
                             bool resample, TConsole& console);

// Puts each game sound file's backup back over it (RestoreBackup).
TBatchOutcomes RestoreGameFiles(const std::vector<std::string>& gameFiles, TConsole& console);

// "Convert Mp3 as Wav" for each MP3, on a player whose library the caller
// loaded (or failed to load). outDir: the folder for every WAV, or empty to
// write each beside its MP3, which an MP3 on an optical disc refuses.
// onOpticalDisc: where the window asks whether an MP3 lies on a disc.
TBatchOutcomes DecodeMp3s(const std::vector<std::string>& mp3s, const std::string& outDir, TMPEGPlayer& player,
                          const std::string& applicationDir, const std::string& installedLibraryDir,
                          const std::function<bool(const std::string&)>& onOpticalDisc, TConsole& console);

// Runs a step of the program; an exception that leaves it is shown on the
// console as the window's error box shows it, and fails the current file.
void ReportingErrors(TConsole& console, const std::function<void()>& step);
