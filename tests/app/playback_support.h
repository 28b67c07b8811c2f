#pragma once
// Stand-ins for the window's dialog, status line and control states, which the
// playback command drives, and the real media player behind a logging port.

#include <deque>
#include <string>
#include <vector>

#include "DialogTypes.h"
#include "MPlayer.h"
#include "MediaPlayerPort.h"

// An open dialog that answers each Execute with the next scripted path; an
// empty script means the user cancels.
class ScriptedFileDialog : public IFileDialog {
 public:
  std::deque<std::string> answers;
  std::vector<std::string> initialDirsSet;  // every SetInitialDir, in order
  int executed = 0;

  std::string Title() const override { return title_; }
  void SetTitle(const std::string& title) override { title_ = title; }
  std::string Filter() const override { return filter_; }
  void SetFilter(const std::string& filter) override { filter_ = filter; }
  std::string InitialDir() const override { return initialDir_; }
  void SetInitialDir(const std::string& dir) override {
    initialDir_ = dir;
    initialDirsSet.push_back(dir);
  }
  std::string FileName() const override { return fileName_; }
  void SetFileName(const std::string& name) override { fileName_ = name; }
  bool Execute() override {
    ++executed;
    if (answers.empty()) return false;
    fileName_ = answers.front();
    answers.pop_front();
    return true;
  }

 private:
  std::string title_, filter_, initialDir_, fileName_;
};

// The status line with every text written to it.
class RecordingStatusLine : public IStatusLine {
 public:
  explicit RecordingStatusLine(std::string initial) : text_(std::move(initial)) {}
  std::vector<std::string> written;

  std::string StatusText() const override { return text_; }
  void SetStatusText(const std::string& text) override {
    text_ = text;
    written.push_back(text);
  }
  void RepaintWindow() override {}

 private:
  std::string text_;
};

// Every change the command makes to the window's controls, in one log shared
// by all of them, so the order across controls shows, e.g. "BitBtn1.Visible=0".
using ControlLog = std::vector<std::string>;

inline void LogChange(ControlLog& log, const std::string& name, const char* property, bool value) {
  log.push_back(name + "." + property + "=" + (value ? "1" : "0"));
}

// A button as the command sees it: its Enabled and Visible, logged and kept.
class LoggedControlState : public IControlState {
 public:
  LoggedControlState(std::string name, ControlLog& log, bool visible)
      : visible(visible), name_(std::move(name)), log_(log) {}

  void SetEnabled(bool value) override {
    LogChange(log_, name_, "Enabled", value);
    enabled = value;
  }
  void SetVisible(bool value) override {
    LogChange(log_, name_, "Visible", value);
    visible = value;
  }

  bool visible;
  bool enabled = true;

 private:
  std::string name_;
  ControlLog& log_;
};

// The real media player behind the command's port, with its Enabled and
// Visible changes logged as "MediaPlayer1.…" before they reach the control.
class LoggedMediaPlayer : public IMediaPlayer {
 public:
  LoggedMediaPlayer(TMediaPlayer& player, ControlLog& log) : player_(player), log_(log) {}

  void SetEnabled(bool value) override {
    LogChange(log_, "MediaPlayer1", "Enabled", value);
    player_.SetEnabled(value);
  }
  void SetVisible(bool value) override {
    LogChange(log_, "MediaPlayer1", "Visible", value);
    player_.SetVisible(value);
  }
  void SetFileName(const std::string& name) override { player_.SetFileName(name); }
  void Open() override { player_.Open(); }
  void SetNotify(bool value) override { player_.SetNotify(value); }
  TMPModes Mode() override { return player_.Mode(); }
  TMPNotifyValues NotifyResult() const override { return player_.NotifyResult(); }

 private:
  TMediaPlayer& player_;
  ControlLog& log_;
};
