#pragma once
// The "Convert Wav as GP3 / GP4 sound format" command: a PCM WAV file becomes
// a game sound file of GP3/GP4 (raw sample bytes, no header). 44100 Hz data is
// halved first (HalveSampleRate); 22050 Hz data is taken as it is; any other
// rate after the user confirms. The game file is backed up once, beside it,
// under its own name + ".bak".
//
// WAV layout relied on: the canonical 44-byte header, the sample rate as an
// unsigned 32-bit little-endian value at byte 24, sample data from byte 44 to
// the end of the file. Nothing else of the header is read.

#include <string>

#include "DialogTypes.h"
#include "IniFiles.h"

class TGameSoundConversion {
 public:
  // Everything is borrowed from the window and must outlive this object.
  // wavFolder and gameSoundFolder are the folders read from the settings at
  // start-up (ending in "/", or empty); they are compared, never updated.
  // applicationDir ends in "/" and receives the temporary halved file.
  // settings may be null when the window has none: no folder is remembered.
  TGameSoundConversion(IFileDialog& openDialog, IFileDialog& saveDialog, IMessages& messages,
                       IStatusLine& statusLine, IProgressGauge& gauge, TCustomIniFile* settings,
                       const std::string& applicationDir, const std::string& wavFolder,
                       const std::string& gameSoundFolder, bool& halvingSucceeded);

  // The whole command, as BitBtn1Click runs it. Raises EInOutError for a
  // failing file operation, and the settings write error; nothing done before
  // is undone, except that the temporary halved file is removed and open
  // files are closed.
  void Run();

 private:
  void ClearReadOnly(const std::string& fileName);
  void RememberFolder(const char* key, const std::string& fileName, const std::string& startFolder);
  void ShowStatus(const std::string& text, bool repaint);
  unsigned ReadSampleRate(const std::string& wavName);
  void BackUp(const std::string& gameName);
  void CopyData(const std::string& sourceName, bool fromHeaderEnd, const std::string& gameName);

  IFileDialog& openDialog_;
  IFileDialog& saveDialog_;
  IMessages& messages_;
  IStatusLine& statusLine_;
  IProgressGauge& gauge_;
  TCustomIniFile* settings_;
  const std::string applicationDir_;
  const std::string wavFolder_;
  const std::string gameSoundFolder_;
  bool& halvingSucceeded_;
};

// The texts of the command.
extern const char* const kRateWarning;
extern const char* const kHalvingFailed;
extern const char* const kSameFileRefused;
