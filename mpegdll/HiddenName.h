#pragma once
// The name under which the PCM-file device writes a new WAV beside the one it
// replaces: "." + the name + "." + a random part, the name cut (never inside
// a UTF-8 character) so that it fits the longest name and path the folder
// takes.

#include <cstddef>
#include <cstdint>
#include <string>

// 16 hexadecimal digits from `seed` (the process and the clock) and a
// counter, new for every call.
std::string RandomNamePart(uint64_t seed);

// `delimiters`: the characters that end a folder in a path.
std::string HiddenNameBeside(const std::string& target, const char* delimiters, size_t longestName,
                             size_t longestPath, const std::string& randomPart);
