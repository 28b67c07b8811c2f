#pragma once
// The library's names are UTF-8; the system's calls take UTF-16. The
// library stands alone (the program's own helpers are not linked in), so it
// has this one conversion of its own.

#include <windows.h>

#include <string>

// Empty for an empty name or a name that is not UTF-8 (which then names no
// file rather than a wrong one).
inline std::wstring WideName(const std::string& name) {
  if (name.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), &wide[0], n);
  return wide;
}

inline std::string Utf8Name(const wchar_t* name, size_t length) {
  if (length == 0) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(length), &text[0], n, nullptr, nullptr);
  return text;
}
