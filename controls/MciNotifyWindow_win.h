#pragma once
// The media-control player's completion reports on Windows: a message-only
// window (its parent HWND_MESSAGE: never shown, no input, it only receives
// messages) that the device names as the callback of the commands it sends.
// The system posts MM_MCINOTIFY to it when such a command ends, and the
// window hands the report's code to the device. Reports arrive through the
// message loop of the thread that made the window, never inside a command.

#include <functional>
#include <string>

#include "MediaPlayerDevice.h"
#include "Win32_win.h"

class TMciNotifyWindow {
 public:
  // Receives the message of an error raised while a report is handled (by
  // OnNotify's handler, say): no exception may leave a window procedure.
  using TErrorHandler = std::function<void(const std::string& message)>;

  // Makes the window and names it as the device's callback. Raises Exception
  // when the system makes no window. REQUIRES: the device outlives the window.
  TMciNotifyWindow(TMediaPlayerDevice& device, TErrorHandler onError);
  // Takes the callback back from the device and destroys the window; reports
  // still queued for it are dropped.
  ~TMciNotifyWindow();
  TMciNotifyWindow(const TMciNotifyWindow&) = delete;
  TMciNotifyWindow& operator=(const TMciNotifyWindow&) = delete;

  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Report(const std::string& message) const;

  TMediaPlayerDevice& device_;
  TErrorHandler onError_;
  HWND window_ = nullptr;
};
