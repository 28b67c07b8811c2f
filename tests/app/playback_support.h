#pragma once
// The real media player behind the playback command's port, logging its
// Enabled and Visible changes with those of the stand-in buttons.

#include <string>

#include "CommandFakes.h"
#include "MPlayer.h"
#include "MediaPlayerPort.h"

// The real media player behind the command's port, with its Enabled and
// Visible changes logged as "MediaPlayer1 …" before they reach the control.
class LoggedMediaPlayer : public IMediaPlayer {
 public:
  LoggedMediaPlayer(TMediaPlayer& player, CommandLog& log) : player_(player), log_(log) {}

  void SetEnabled(bool value) override {
    log_.push_back(EnabledEntry("MediaPlayer1", value));
    player_.SetEnabled(value);
  }
  void SetVisible(bool value) override {
    log_.push_back(VisibleEntry("MediaPlayer1", value));
    player_.SetVisible(value);
  }
  void SetFileName(const std::string& name) override { player_.SetFileName(name); }
  void Open() override { player_.Open(); }
  void SetNotify(bool value) override { player_.SetNotify(value); }
  TMPModes Mode() override { return player_.Mode(); }
  TMPNotifyValues NotifyResult() const override { return player_.NotifyResult(); }

 private:
  TMediaPlayer& player_;
  CommandLog& log_;
};
