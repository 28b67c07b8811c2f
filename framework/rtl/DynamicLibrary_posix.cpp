#include <dlfcn.h>

#include "DynamicLibrary.h"

void* LoadDynamicLibrary(const std::string& fileName) { return dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL); }

void* DynamicLibrarySymbol(void* library, const char* name) { return dlsym(library, name); }

void UnloadDynamicLibrary(void* library) { dlclose(library); }
