#pragma once
// Running other programs and timing repeated runs, for the benchmarks that
// set the program beside its peers.

#include <string>
#include <vector>

struct ProgramRun {
  bool started = false;
  bool ok = false;  // started and exited with 0
  double wall = 0;  // seconds
  double cpu = 0;   // user and system seconds
  long maxRssKiB = 0;
};

// Runs a program found on PATH (no shell) and waits for it; its standard
// output goes to `out` when one is given.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& out = "");

// The middle of the values (the mean of the two middle ones for an even
// count); NaN for none.
double Median(std::vector<double> values);

// The running program's own file, for starting it again as a child.
std::string ExecutablePath();
