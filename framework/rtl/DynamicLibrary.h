#pragma once
// Loading a library at run time: dlopen on Linux, LoadLibraryW on Windows.

#include <string>

// The loaded library, or null when the file cannot be found or loaded. A
// name without a folder is left to the system's search.
void* LoadDynamicLibrary(const std::string& fileName);
// The address of an exported entry; null when the library has none by that name.
void* DynamicLibrarySymbol(void* library, const char* name);
void UnloadDynamicLibrary(void* library);
