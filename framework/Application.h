#pragma once
// The application object: its title (the caption of the plain message and of
// every error box), the default error display, and the guard through which
// every toolkit entry into our handlers passes.

#include <functional>
#include <string>

#include "Exceptions.h"  // ErrorDisplayText, the text of the box

class QWidget;

class TApplication {
 public:
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  // The default error display: nothing for EAbort; otherwise a modal box with
  // the stop icon, one OK button and the title as caption, every other window
  // disabled meanwhile, and the previously active window activated after.
  void ShowException(const Exception& e);
  // Shows the Exception or std::exception being handled (call from inside a
  // catch block); anything else is thrown on, to the application's last net.
  void HandleException();

  // Replaces the box, for tests that run without a screen. Null restores it.
  using ErrorBoxHook = std::function<void(const std::string& caption, const std::string& text)>;
  void SetErrorBoxHook(ErrorBoxHook hook) { errorBoxHook_ = std::move(hook); }

 private:
  std::string title_;
  ErrorBoxHook errorBoxHook_;
};

TApplication& Application();

// Runs a handler; an Exception or std::exception that leaves it goes to the
// error display, so none crosses a toolkit frame. An object of any other type
// is thrown on (the program throws none).
void Guarded(const std::function<void()>& handler);
