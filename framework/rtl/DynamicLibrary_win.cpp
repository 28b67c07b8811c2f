#include "DynamicLibrary.h"
#include "Win32_win.h"

void* LoadDynamicLibrary(const std::string& fileName) {
  return reinterpret_cast<void*>(LoadLibraryW(Widen(fileName).c_str()));
}

void* DynamicLibrarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void UnloadDynamicLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }
