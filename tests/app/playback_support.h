#pragma once
// Stand-ins for the window's dialog, status line and control states, which the
// playback command drives.

#include <QWidget>

#include <deque>
#include <string>
#include <vector>

#include "DialogTypes.h"

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

// A control that writes each change into one log shared by all controls, so
// the order across controls shows, e.g. "BitBtn1.Visible=0". With a widget it
// also passes the change on, so the real control shows or hides.
class RecordingControl : public IControlState {
 public:
  RecordingControl(std::string name, std::vector<std::string>& log, bool visible, QWidget* widget = nullptr)
      : name_(std::move(name)), log_(log), widget_(widget), visible(visible) {}

  void SetEnabled(bool value) override {
    log_.push_back(name_ + ".Enabled=" + (value ? "1" : "0"));
    enabled = value;
    if (widget_) widget_->setEnabled(value);
  }
  void SetVisible(bool value) override {
    log_.push_back(name_ + ".Visible=" + (value ? "1" : "0"));
    visible = value;
    if (widget_) widget_->setVisible(value);
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
  QWidget* widget_;

 public:
  bool visible;
  bool enabled = true;
};
