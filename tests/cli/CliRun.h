#pragma once
// Starts the real program as a child with the arguments, environment and
// working folder a test gives, and keeps what it wrote and how it ended.

#include <map>
#include <string>
#include <vector>

struct CliResult {
  bool started = false;
  int exitStatus = -1;  // -1 when it did not exit normally
  int signal = 0;       // the signal that ended it, or 0
  std::string out;      // standard output
  std::string err;      // standard error
};

struct CliRun {
  std::string program;
  std::vector<std::string> args;
  std::string workDir;                     // empty: the test's own
  std::map<std::string, std::string> env;  // the child's whole environment
  std::string input;                       // its standard input (not a terminal)
  // Where its standard output goes: a file the result reads, nowhere (the
  // descriptor closed), /dev/full, or a pipe whose reader is already gone.
  enum class TOut { File, Closed, DevFull, ClosedPipe } out = TOut::File;
};

// Waits for the child; standard output and error are files, not terminals.
CliResult RunChild(const CliRun& run);
