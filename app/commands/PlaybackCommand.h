#pragma once
// "Play Wav /Mp3": a WAV goes to the media player, shown with its Play and
// Stop buttons; any other file goes to the MPEG player, which plays it at once
// beside a small stop button. Four handlers make up the command.

#include <string>

#include "CommandPorts.h"
#include "MediaPlayerPort.h"
#include "SharedState.h"

class TMPEGPlayer;

struct TPlaybackParts {
  IFileDialog& OpenDialog1;
  IStatusLine& Status;
  IMediaPlayer& MediaPlayer1;
  TMPEGPlayer& MPEGPlayer1;
  IControlState& BitBtn1;
  IControlState& BitBtn2;
  IControlState& BitBtn4;
  IControlState& BitBtn6;
};

// True when the last three characters of the name, letters a-z upper-cased,
// read "WAV"; a shorter name never matches.
bool EndsInWav(const std::string& fileName);

class TPlaybackCommand {
 public:
  TPlaybackCommand(TPlaybackParts parts, TSharedState& state);

  void BitBtn4Click();
  void MediaPlayer1Click(TMPBtnType button, bool& doDefault);
  void MediaPlayer1Notify();
  void BitBtn6Click();

 private:
  // The window's controls as they are in Idle again, from each of the two
  // ways of playing.
  void BackToIdleFromWav();
  void BackToIdleFromMp3();

  TPlaybackParts parts_;
  TSharedState& state_;
};
