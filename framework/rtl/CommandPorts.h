#pragma once
// The narrow interfaces through which the commands reach the window: its
// dialogs, status line, gauge and buttons. No toolkit types here, so that code
// which does not draw can be written and tested against these interfaces.

#include <string>

#include "DialogTypes.h"

// A file dialog as the commands see it (TOpenDialog and TSaveDialog implement it).
class IFileDialog {
 public:
  virtual ~IFileDialog() = default;
  virtual std::string Title() const = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual std::string Filter() const = 0;
  virtual void SetFilter(const std::string& filter) = 0;
  virtual std::string InitialDir() const = 0;
  virtual void SetInitialDir(const std::string& dir) = 0;
  virtual std::string FileName() const = 0;
  virtual void SetFileName(const std::string& name) = 0;
  // True when the user chose a file; FileName then holds its full path.
  virtual bool Execute() = 0;
};

// The message dialog, the plain message and the directory picker.
class IMessages {
 public:
  virtual ~IMessages() = default;
  virtual TModalResult MessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                                     int helpContext) = 0;
  virtual void PlainMessage(const std::string& text) = 0;
  // The same message, where the file or folder at fault is not the one the
  // user chose: the window shows the text alone, the command line names it.
  virtual void PlainMessageAbout(const std::string& text, const std::string& cause) {
    static_cast<void>(cause);
    PlainMessage(text);
  }
  virtual bool PickDirectory(const std::string& prompt, const std::string& root, std::string& directory) = 0;
};

// The status bar's one line, and the window's immediate repaint.
class IStatusLine {
 public:
  virtual ~IStatusLine() = default;
  virtual std::string StatusText() const = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  // Paints the whole window now, before returning.
  virtual void RepaintWindow() = 0;
};

// A progress gauge as the commands drive it (TGauge implements it).
class IProgressGauge {
 public:
  virtual ~IProgressGauge() = default;
  virtual int Progress() const = 0;
  virtual void SetProgress(int value) = 0;
  virtual int MaxValue() const = 0;
  virtual void SetMaxValue(int value) = 0;  // may raise EInvalidOperation
};

// A control whose Enabled and Visible the commands set.
class IControlState {
 public:
  virtual ~IControlState() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetVisible(bool visible) = 0;
};
