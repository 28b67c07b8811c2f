#pragma once
// Path pieces with the system's delimiter ("/" on Linux, "\" and "/" on
// Windows). Paths are UTF-8 byte strings.

#include <string>

#include "Platform.h"

// Everything up to and including the last delimiter (empty when there is none).
std::string ExtractFilePath(const std::string& fileName);
// Everything after the last delimiter.
std::string ExtractFileName(const std::string& fileName);
// True for a character that ends a folder's name in a path.
bool IsPathDelimiter(char c);
// The process's current working directory (empty when it cannot be read).
std::string GetCurrentDir();
