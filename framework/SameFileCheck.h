#pragma once
// Whether two names lead to one file, whatever their spelling: "a//b.wav"
// and "a/b.wav", a link and its target, two hard links. A command that would
// write its output over its own input must know before it opens anything.

#include <string>

// True when both names exist and are one file (same device and inode).
bool IsSameExistingFile(const std::string& a, const std::string& b);
