#pragma once
// <windows.h> for the Windows files of the program, and the one conversion
// between the program's UTF-8 text and the system's UTF-16. Included after
// the program's own headers: <windows.h> defines DeleteFile, CopyFile and
// INVALID_HANDLE_VALUE as macros, which would rename the run-time's own
// functions, so the first two are taken back here.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef DeleteFile
#undef CopyFile

#include <cstdint>
#include <string>

// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text, size_t length);

// The program's handle type and the system's.
inline HANDLE ToHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
inline std::intptr_t FromHandle(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }

// A FILETIME as seconds since 1970 and back.
int64_t UnixTimeOfFileTime(const FILETIME& ft);
FILETIME FileTimeOfUnixTime(int64_t unixTime);
