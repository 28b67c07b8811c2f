#pragma once
// The one place where the shared code learns which system it is built for:
// the path delimiter. Everything else that differs lives in the *_posix.cpp
// and *_win.cpp files.

#ifdef _WIN32
// "\" delimits; Windows takes "/" as well, so a name a user typed that way
// splits the same.
constexpr char PathDelim = '\\';
constexpr const char* kPathDelimiters = "\\/";
#else
constexpr char PathDelim = '/';
constexpr const char* kPathDelimiters = "/";
#endif

// The decoder library's file, loaded at run time.
#ifdef _WIN32
constexpr const char* kDecoderLibraryFile = "mpegdll.dll";
#else
constexpr const char* kDecoderLibraryFile = "libmpegdll.so";
#endif
