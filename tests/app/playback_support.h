#pragma once
// Stand-ins for the window's dialog, status line and control states, which the
// playback command drives, and makers of the sound files it plays.

#include <QWidget>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <fstream>
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

// A 22050 Hz 16-bit stereo WAV with a 440 Hz tone, loud from its first sample
// on (the phase starts at a quarter period).
inline void WriteToneWav(const std::string& path, double seconds, int amplitude = 8000) {
  const uint32_t rate = 22050, frames = static_cast<uint32_t>(seconds * rate);
  const uint32_t dataBytes = frames * 4;
  std::vector<char> bytes;
  auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) bytes.push_back(char(v >> (8 * i))); };
  auto put16 = [&](uint16_t v) { for (int i = 0; i < 2; ++i) bytes.push_back(char(v >> (8 * i))); };
  auto tag = [&](const char* t) { bytes.insert(bytes.end(), t, t + 4); };
  tag("RIFF"); put32(36 + dataBytes); tag("WAVE");
  tag("fmt "); put32(16); put16(1); put16(2); put32(rate); put32(rate * 4); put16(4); put16(16);
  tag("data"); put32(dataBytes);
  for (uint32_t i = 0; i < frames; ++i) {
    const auto s = static_cast<int16_t>(amplitude * std::cos(i * 2 * M_PI * 440 / rate));
    put16(uint16_t(s));
    put16(uint16_t(s));
  }
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A 44100 Hz stereo MP3 of a tone, made with sox and lame. False when they fail.
inline bool MakeToneMp3(const std::string& folder, const std::string& name, double seconds) {
  const std::string cmd = "cd '" + folder + "' && sox -n -r 44100 -c 2 -b 16 '" + name + ".src.wav' synth " +
                          std::to_string(seconds) + " sine 440 vol 0.5 2>/dev/null && lame --quiet -b 128 '" +
                          name + ".src.wav' '" + name + "' && rm -f '" + name + ".src.wav'";
  return std::system(cmd.c_str()) == 0;
}
