#pragma once
// Stand-ins for the window's parts that the conversion talks to, each keeping
// what it was given, and helpers for WAV files on disk.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DialogTypes.h"
#include "IniFiles.h"

// A file dialog that answers with a scripted choice.
class FakeFileDialog : public IFileDialog {
 public:
  std::string Title() const override { return title; }
  void SetTitle(const std::string& t) override { title = t; }
  std::string Filter() const override { return filter; }
  void SetFilter(const std::string& f) override { filter = f; }
  std::string InitialDir() const override { return initialDir; }
  void SetInitialDir(const std::string& d) override { initialDir = d; }
  std::string FileName() const override { return fileName; }
  void SetFileName(const std::string& n) override { fileName = n; }
  bool Execute() override {
    ++executed;
    if (onExecute) onExecute();
    if (!choice.empty()) fileName = choice;
    return !choice.empty();
  }

  std::string title, filter, initialDir, fileName;
  std::string choice;  // empty: the user cancels
  std::function<void()> onExecute;
  int executed = 0;
};

struct Confirmation {
  std::string text;
  TMsgDlgType kind;
  TMsgDlgButtons buttons;
  int helpContext;
};

class FakeMessages : public IMessages {
 public:
  TModalResult MessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                             int helpContext) override {
    confirmations.push_back({text, kind, buttons, helpContext});
    if (onDialog) onDialog();
    return answer;
  }
  void PlainMessage(const std::string& text) override { plain.push_back(text); }
  bool PickDirectory(const std::string&, const std::string&, std::string&) override { return false; }

  TModalResult answer = mrYes;
  std::function<void()> onDialog;  // runs while the confirmation is open
  std::vector<Confirmation> confirmations;
  std::vector<std::string> plain;
};

// Records status texts and repaints in one sequence; a repaint shows as "*".
class FakeStatusLine : public IStatusLine {
 public:
  std::string StatusText() const override { return text; }
  void SetStatusText(const std::string& t) override {
    text = t;
    events.push_back(t);
  }
  void RepaintWindow() override { events.push_back("*"); }

  std::string text = "attribution";
  std::vector<std::string> events;
};

// Keeps the gauge's rules: Progress clamped to the range, a maximum below the
// minimum refused, and a paint whenever a bound changes or the whole-number
// percentage does. Paints records the percentage shown by each paint.
class FakeGauge : public IProgressGauge {
 public:
  int Progress() const override { return progress; }
  void SetProgress(int value) override;
  int MaxValue() const override { return maxValue; }
  void SetMaxValue(int value) override;
  int Percentage() const;

  int minValue = 0;
  int maxValue = 100;
  int progress = 0;
  std::vector<int> paints;
  std::vector<int> values;  // every value handed to SetProgress
  std::function<void()> onSetMaxValue;
};

// Settings that only record what is written.
class RecordingIniFile : public TCustomIniFile {
 public:
  RecordingIniFile() : TCustomIniFile("recorded.ini") {}
  std::string ReadText(const std::string&, const std::string&, const std::string& defaultValue) override {
    return defaultValue;
  }
  void WriteText(const std::string& section, const std::string& ident, const std::string& value) override {
    writes.push_back(section + "/" + ident + "=" + value);
  }
  std::vector<std::string> writes;
};

// A fresh folder under the system's temporary folder, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder, ending in "/".
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

using Bytes = std::vector<unsigned char>;

// Sample data whose every byte differs from its neighbours, so that a dropped,
// doubled or shifted frame shows.
Bytes Pattern(size_t size, unsigned seed = 1);
// A canonical 44-byte header with the given rate, then the data.
Bytes WavBytes(uint32_t rate, const Bytes& data);
void WriteFile(const std::string& name, const Bytes& content);
Bytes ReadFile(const std::string& name);
bool Exists(const std::string& name);
bool IsReadOnly(const std::string& name);
// The names in a folder, hidden ones included, sorted; empty for no folder.
std::vector<std::string> FolderEntries(const std::string& folder);
void MakeReadOnly(const std::string& name);

// The halving done the plain way, four bytes a pass, on the data of a WAV
// image; feeds the gauge as that loop does when one is given.
Bytes HalvedByFrames(const Bytes& wav, FakeGauge* gauge = nullptr);
