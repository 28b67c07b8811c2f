#pragma once
// The "Convert Wav as GP3 / GP4 sound format" command: a WAV file becomes a
// game sound file of GP3/GP4 (raw 16-bit PCM sample bytes, no header). 44100 Hz data is
// halved first (HalveSampleRate); 22050 Hz data is taken as it is; any other
// rate after the user confirms. The game file is backed up once, beside it,
// under its own name + ".bak".
//
// The WAV's rate and sample data are found as WavLayout.h describes: by the
// RIFF chunks, or for any other file by the canonical 44-byte header (rate at
// byte 24, data from byte 44 to the end). The game file receives the sample
// data and nothing else: for 16-bit PCM the data's bytes as they are; for any
// other encoding the sound decoded to 16-bit PCM first (Pcm16Source.h), into a
// file of this run's own that then stands in for the WAV.
//
// Users' files come first. As each of the two files is chosen, its read-only
// attribute is cleared and its folder remembered in the settings; the WAV is
// then opened for its header and closed again. The decoded or halved data
// goes to files of this run's own (TPcm16File, THalvedFile), and the data to
// copy is open for reading before the game file's content is touched: only
// then is the game file backed up, once, made whole under a hidden name and
// given the backup's name without replacing one that another run made
// meanwhile; and the game file is replaced in one step by a complete new file
// (TReplacement), never deleted and written in place, so that two programs
// converting into it at once leave one whole result and the backup of the
// original.

#include <cstdint>
#include <string>

#include "CheckedFile.h"
#include "CommandPorts.h"
#include "IniFiles.h"
#include "Pcm16Source.h"
#include "RunCleanup.h"
#include "WavLayout.h"

// The window's parts the conversion works through, borrowed for its run.
struct TGameSoundParts {
  IFileDialog& OpenDialog1;
  IFileDialog& SaveDialog1;
  IMessages& Messages;
  IStatusLine& Status;
  IProgressGauge& Gauge1;
  // Null when the window has none: no folder is remembered.
  TCustomIniFile* Settings;
};

class TGameSoundConversion {
 public:
  // Everything is borrowed from the window and must outlive this object.
  // wavFolder and gameSoundFolder are the folders read from the settings at
  // start-up (ending in the delimiter, or empty); they are compared, never
  // updated.
  TGameSoundConversion(TGameSoundParts parts, const std::string& wavFolder, const std::string& gameSoundFolder,
                       bool& halvingSucceeded);

  // The whole command, as BitBtn1Click runs it. Raises EInOutError for a
  // failing file operation (a full disk as 101 "Disque plein"), and the
  // settings write error; the game file then keeps its old content, the
  // files of this run are removed and open files are closed.
  void Run();

  // The command line's --resample: a WAV not at 22050 Hz is brought to it by
  // 'resampler' (Resampler.h), with no question about its rate, in place of
  // the halving and of the copy unchanged. Empty, as it starts: the window's
  // rules.
  void ResampleWith(TPcm16Producer resampler) { resampler_ = std::move(resampler); }

 private:
  void ClearReadOnly(const std::string& fileName);
  void RememberFolder(const char* key, const std::string& fileName, const std::string& startFolder);
  void ShowStatus(const std::string& text, bool repaint);
  TWavLayout ReadLayout(const std::string& wavName);
  // madeBackup watches a backup this run made until the game file is replaced.
  void BackUp(const std::string& gameName, TRunFile& madeBackup);

  IFileDialog& openDialog_;
  IFileDialog& saveDialog_;
  IMessages& messages_;
  IStatusLine& statusLine_;
  IProgressGauge& gauge_;
  TCustomIniFile* settings_;
  const std::string wavFolder_;
  const std::string gameSoundFolder_;
  bool& halvingSucceeded_;
  TPcm16Producer resampler_;
};

// The texts of the command.
extern const char* const kRateWarning;
extern const char* const kHalvingFailed;
extern const char* const kSameFileRefused;
extern const char* const kEncodingUnreadable;
// %u stands for the WAV's rate.
extern const char* const kRateNotResampled;
