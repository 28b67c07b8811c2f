#include <unistd.h>

#include "Terminal.h"

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

int PutText(const std::string& text, std::FILE* stream) { return std::fputs(text.c_str(), stream); }

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}
