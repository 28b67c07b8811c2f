#include <vector>

#include "PathUtils.h"
#include "Win32_win.h"

std::string GetCurrentDir() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return std::string();
  std::vector<wchar_t> buf(needed);
  const DWORD n = GetCurrentDirectoryW(needed, buf.data());
  if (n == 0 || n >= needed) return std::string();
  return Narrow(buf.data(), n);
}
