#pragma once
// Stand-ins for the window's parts that the commands drive through their
// ports, each keeping what the command gave it. Stand-ins that share a
// CommandLog write every call into it as one line, so the order across the
// dialogs, the status line, the gauge and the buttons shows.

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "CommandPorts.h"

// Entries, as the stand-ins write them: "status <text>", "repaint",
// "dialog <text>", "message <text>", "pick", "gauge <value>",
// "gauge max <value>", "<control> enabled|disabled|shown|hidden".
using CommandLog = std::vector<std::string>;

// A file dialog that answers with scripted choices: each Execute takes the
// next of `answers`; once they are used up it answers `choice` every time.
// An empty answer, or no answer at all, is the user cancelling.
class FakeFileDialog : public IFileDialog {
 public:
  FakeFileDialog() = default;
  explicit FakeFileDialog(std::string choice) : choice(std::move(choice)) {}

  std::string Title() const override { return title; }
  void SetTitle(const std::string& t) override { title = t; }
  std::string Filter() const override { return filter; }
  void SetFilter(const std::string& f) override { filter = f; }
  std::string InitialDir() const override { return initialDir; }
  void SetInitialDir(const std::string& d) override;
  std::string FileName() const override { return fileName; }
  void SetFileName(const std::string& n) override { fileName = n; }
  bool Execute() override;

  std::string title, filter, initialDir, fileName;
  std::deque<std::string> answers;
  std::string choice;
  std::function<void()> onExecute;  // runs while the dialog is open
  int executed = 0;
  std::vector<std::string> initialDirsSet;  // every SetInitialDir, in order
};

struct Confirmation {
  std::string text;
  TMsgDlgType kind;
  TMsgDlgButtons buttons;
  int helpContext;
};

struct DirectoryPick {
  std::string prompt, root;
};

// The message dialog answers `answer`; the directory picker answers `picked`
// (empty: the user cancels).
class FakeMessages : public IMessages {
 public:
  FakeMessages() = default;
  explicit FakeMessages(CommandLog& log) : log_(&log) {}

  TModalResult MessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                             int helpContext) override;
  void PlainMessage(const std::string& text) override;
  bool PickDirectory(const std::string& prompt, const std::string& root, std::string& directory) override;

  TModalResult answer = mrYes;
  std::function<void()> onDialog;  // runs while the message dialog is open
  std::string picked;
  std::vector<Confirmation> confirmations;
  std::vector<std::string> plain;
  std::vector<DirectoryPick> picks;

 private:
  CommandLog* log_ = nullptr;
};

// The status line. `events` holds every text written and every repaint, the
// latter as "*".
class FakeStatusLine : public IStatusLine {
 public:
  FakeStatusLine() = default;
  explicit FakeStatusLine(std::string initial) : text(std::move(initial)) {}
  explicit FakeStatusLine(CommandLog& log) : log_(&log) {}

  std::string StatusText() const override { return text; }
  void SetStatusText(const std::string& t) override;
  void RepaintWindow() override;

  std::string text = "attribution";
  std::vector<std::string> events;
  std::function<void()> onStatusText;  // runs once the new text is in place
  std::function<void()> onRepaint;

 private:
  CommandLog* log_ = nullptr;
};

// One call the command made to the gauge.
struct GaugeCall {
  enum Kind { kProgress, kMaxValue };
  Kind kind;
  int value;
  bool operator==(const GaugeCall& other) const { return kind == other.kind && value == other.value; }
};
inline GaugeCall ProgressSetTo(int value) { return {GaugeCall::kProgress, value}; }
inline GaugeCall MaxValueSetTo(int value) { return {GaugeCall::kMaxValue, value}; }
void PrintTo(const GaugeCall& call, std::ostream* os);

// Keeps every value the command hands to the gauge, in order, and nothing of a
// gauge's own rules (no clamping, no painting): Progress and MaxValue read back
// the last values handed over. Given a real gauge, it passes every call on and
// the real gauge answers Progress and MaxValue.
class FakeGauge : public IProgressGauge {
 public:
  FakeGauge() = default;
  explicit FakeGauge(CommandLog& log) : log_(&log) {}
  FakeGauge(IProgressGauge& shown, CommandLog& log) : shown_(&shown), log_(&log) {}

  int Progress() const override;
  void SetProgress(int value) override;
  int MaxValue() const override;
  void SetMaxValue(int value) override;

  // The values of the SetProgress calls, in order.
  std::vector<int> ProgressValues() const;

  int progress = 0;
  int maxValue = 100;
  std::vector<GaugeCall> calls;
  std::function<void()> onSetMaxValue;  // runs before the maximum is taken

 private:
  IProgressGauge* shown_ = nullptr;
  CommandLog* log_ = nullptr;
};

// A button, or any control whose Enabled and Visible the command sets.
class FakeControl : public IControlState {
 public:
  FakeControl() = default;
  FakeControl(std::string name, CommandLog& log, bool visible = true)
      : visible(visible), name_(std::move(name)), log_(&log) {}

  void SetEnabled(bool value) override;
  void SetVisible(bool value) override;

  bool enabled = true;
  bool visible = true;

 private:
  std::string name_;
  CommandLog* log_ = nullptr;
};

// The log entry of a control's Enabled or Visible change, e.g. "BitBtn1 hidden".
std::string EnabledEntry(const std::string& control, bool enabled);
std::string VisibleEntry(const std::string& control, bool visible);
