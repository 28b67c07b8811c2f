#pragma once
// Questions about files that the conversion must answer without trusting the
// spelling of a path: "//x.wav" and "/x.wav", or a link and its target, name
// one file, and treating them as two would let the halving empty its own
// source or the clean-up delete the user's WAV.

#include <string>

// True when both names are the same string, or both exist and are one file.
bool SameFile(const std::string& a, const std::string& b);

// True when the name is an existing regular file, whatever its date.
bool RegularFileExists(const std::string& name);
