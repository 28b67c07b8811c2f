#pragma once
// The window's parts as the command line provides them, so that the very
// same commands run from a script: a file dialog that "chooses" the name
// given on the command line, messages answered by the options or on the
// terminal, a status line that prints, controls that do nothing.

#include <optional>
#include <string>

#include "CommandPorts.h"
#include "Console.h"

// Chooses the given name at once. An open dialog (mustExist) refuses a name
// that is not an existing file, in the file services' words, as the window's
// dialog never lets one be chosen; a save dialog takes any name.
class TGivenFileDialog : public IFileDialog {
 public:
  TGivenFileDialog(TConsole& console, std::string given, bool mustExist);

  std::string Title() const override { return title_; }
  void SetTitle(const std::string& title) override { title_ = title; }
  std::string Filter() const override { return filter_; }
  void SetFilter(const std::string& filter) override { filter_ = filter; }
  std::string InitialDir() const override { return initialDir_; }
  void SetInitialDir(const std::string& dir) override { initialDir_ = dir; }
  std::string FileName() const override { return fileName_; }
  void SetFileName(const std::string& name) override { fileName_ = name; }
  bool Execute() override;

 private:
  TConsole& console_;
  std::string given_;
  bool mustExist_;
  std::string title_, filter_, initialDir_, fileName_;
};

// Questions answered by --yes or --no, else on the terminal, else "No" with
// the file marked skipped. A plain message is the command giving up on the
// file. The folder picker answers with the --out-dir folder; without one it
// cannot ask and the file fails, naming the option.
class TConsoleMessages : public IMessages {
 public:
  // answer: mrYes, mrNo, or mrNone to ask. outDir: the folder --out-dir gave.
  TConsoleMessages(TConsole& console, TModalResult answer, std::optional<std::string> outDir);

  TModalResult MessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                             int helpContext) override;
  void PlainMessage(const std::string& text) override;
  void PlainMessageAbout(const std::string& text, const std::string& cause) override;
  bool PickDirectory(const std::string& prompt, const std::string& root, std::string& directory) override;

 private:
  TConsole& console_;
  TModalResult answer_;
  std::optional<std::string> outDir_;
};

// Each status text on a line of its own; there is no window to repaint.
class TConsoleStatusLine : public IStatusLine {
 public:
  explicit TConsoleStatusLine(TConsole& console) : console_(console) {}
  std::string StatusText() const override { return text_; }
  void SetStatusText(const std::string& text) override;
  void RepaintWindow() override {}

 private:
  TConsole& console_;
  std::string text_;
};

// The buttons a command disables while it works: there are none to click.
class TNoControl : public IControlState {
 public:
  void SetEnabled(bool) override {}
  void SetVisible(bool) override {}
};
