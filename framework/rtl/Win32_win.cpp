#include "Win32_win.h"

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDifference = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

}  // namespace

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const wchar_t* text, size_t length) {
  if (length == 0) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), narrow.data(), n, nullptr, nullptr);
  return narrow;
}

std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

int64_t UnixTimeOfFileTime(const FILETIME& ft) {
  const int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  return (ticks - kEpochDifference) / kTicksPerSecond;
}

FILETIME FileTimeOfUnixTime(int64_t unixTime) {
  const uint64_t ticks = static_cast<uint64_t>(unixTime * kTicksPerSecond + kEpochDifference);
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return ft;
}
