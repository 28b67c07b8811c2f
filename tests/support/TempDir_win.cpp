#include <cstdlib>
#include <filesystem>

#include "TempDir.h"
#include "TestEnvironment.h"

void SetEnvironmentVariable(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }

// An empty value removes the variable on Windows.
void UnsetEnvironmentVariable(const char* name) { _putenv_s(name, ""); }

bool IsPrivateFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

bool RunHostCommand(const std::string&) { return false; }
