#include <string>

#include "Win32_win.h"

std::string ShortNameOf(const std::string& name) {
  wchar_t shortName[MAX_PATH];
  const DWORD n = GetShortPathNameW(Widen(name).c_str(), shortName, MAX_PATH);
  return n > 0 && n < MAX_PATH ? Narrow(shortName, n) : std::string();
}
