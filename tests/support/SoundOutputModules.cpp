#include "SoundOutputModules.h"

#include <dlfcn.h>

#include <string>

// The leak checker's own suppressions for those modules, in every program
// that links this file.
extern "C" const char* __lsan_default_suppressions() { return "leak:libjack.so\nleak:/mpg123/output_\n"; }

void PinSoundOutputModules() {
  dlopen("libjack.so.0", RTLD_LAZY | RTLD_NODELETE);
  for (const char* module : {"pulse", "alsa", "oss", "jack"})
    dlopen((std::string(OUT123_MODULE_DIR "/output_") + module + ".so").c_str(), RTLD_LAZY | RTLD_NODELETE);
}
