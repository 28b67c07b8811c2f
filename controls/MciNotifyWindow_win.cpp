#include "MciNotifyWindow_win.h"

#include <mutex>

namespace {

const wchar_t* const kWindowClass = L"VantrelMciNotify";

void RegisterWindowClass(WNDPROC procedure) {
  static std::once_flag once;
  std::call_once(once, [&] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
  });
}

}  // namespace

TMciNotifyWindow::TMciNotifyWindow(TMediaPlayerDevice& device, TErrorHandler onError)
    : device_(device), onError_(std::move(onError)) {
  RegisterWindowClass(&TMciNotifyWindow::WindowProc);
  window_ =
      CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr)
    throw Exception(Format("The media player's notification window was refused (error %lu)",
                           static_cast<unsigned long>(GetLastError())));
  device_.SetNotifyCallback(reinterpret_cast<uintptr_t>(window_));
}

TMciNotifyWindow::~TMciNotifyWindow() {
  if (device_.NotifyCallback() == reinterpret_cast<uintptr_t>(window_)) device_.SetNotifyCallback(0);
  DestroyWindow(window_);
}

LRESULT CALLBACK TMciNotifyWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TMciNotifyWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == MM_MCINOTIFY && self != nullptr) {
    // wParam is the MCI_NOTIFY_* code, lParam the device that reports. The
    // report goes to the device whichever device sent it: after a new Open
    // the old device's close still reports to the player.
    try {
      self->device_.MciNotify(static_cast<uint32_t>(wParam));
    } catch (const std::exception& e) {
      self->Report(e.what());
    } catch (...) {
      self->Report("Unknown exception");
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TMciNotifyWindow::Report(const std::string& message) const {
  if (onError_) onError_(message);
}
