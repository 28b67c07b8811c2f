#pragma once
// The state the window's commands share: one copy for the program, every
// string empty and every flag false at start.

#include <memory>
#include <string>

#include "IniFiles.h"

struct TSharedState {
  std::string AppDir;                  // the executable's folder + "/"
  std::unique_ptr<TIniFile> Settings;  // on SettingsFileName()
  std::string Gp3Dir;                  // game sound folder as read at start-up
  std::string WavDir;                  // WAV folder as read at start-up
  std::string Mp3FileName;             // the MP3 being decoded, without its folder
  std::string OutBaseName;             // that name less its last four characters
  std::string PlayedFileName;          // the file being played, without its folder
  bool HalvingSucceeded = false;
  bool Playing = false;  // Play was pressed on the media player
};
