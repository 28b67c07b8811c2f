#pragma once
// What the command line asks of the system's console: whether a stream is a
// terminal, how text reaches it, and the program's arguments as UTF-8.

#include <cstdio>
#include <string>
#include <vector>

bool IsTerminal(std::FILE* stream);
// Writes the UTF-8 text whole: on a Windows console as UTF-16 through the
// console itself, elsewhere as the bytes. fputs' result: negative on failure.
int PutText(const std::string& text, std::FILE* stream);
// The arguments after the program's name, in UTF-8 (Windows takes them from
// its own wide command line, not from the code page's argv).
std::vector<std::string> ProgramArguments(int argc, char** argv);
