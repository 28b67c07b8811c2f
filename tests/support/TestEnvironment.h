#pragma once
// The process environment as the tests change it, on either system.

#include <string>

void SetEnvironmentVariable(const char* name, const std::string& value);
void UnsetEnvironmentVariable(const char* name);
