#pragma once
// The file a fuzz target hands to the code under test: the input's bytes
// written to a fixed name in a private folder of the run, removed with the
// folder when the run ends.

#include <cstddef>
#include <cstdint>
#include <string>

// The path of `name` in the run's private folder (made on the first call).
std::string FuzzPath(const std::string& name);

// Writes `size` bytes to FuzzPath(name), replacing what was there, and gives
// the path. Ends the run when the file cannot be written: every later input
// would test nothing.
std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size);
