#include <io.h>

#include "Terminal.h"
#include "Win32_win.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace {

// The console behind a stream, or null when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE* stream) {
  const intptr_t os = _get_osfhandle(_fileno(stream));
  if (os == -1) return nullptr;
  const HANDLE h = reinterpret_cast<HANDLE>(os);
  DWORD mode = 0;
  return GetConsoleMode(h, &mode) ? h : nullptr;
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return ConsoleOf(stream) != nullptr; }

int PutText(const std::string& text, std::FILE* stream) {
  const HANDLE console = ConsoleOf(stream);
  if (console == nullptr) return std::fputs(text.c_str(), stream);
  if (std::fflush(stream) != 0) return -1;
  const std::wstring wide = Widen(text);
  DWORD written = 0;
  return WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) ? 0 : -1;
}

std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(Narrow(wide[i], wcslen(wide[i])));
  LocalFree(wide);
  return arguments;
}
