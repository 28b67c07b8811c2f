#pragma once
// Path pieces with "/" as the delimiter. Paths are UTF-8 byte strings.

#include <string>

constexpr char PathDelim = '/';

// Everything up to and including the last "/" (empty when there is none).
std::string ExtractFilePath(const std::string& fileName);
// Everything after the last "/".
std::string ExtractFileName(const std::string& fileName);
// The process's current working directory (empty when it cannot be read).
std::string GetCurrentDir();
