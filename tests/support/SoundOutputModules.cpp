#include "SoundOutputModules.h"

#include <dlfcn.h>

#include <string>

void PinSoundOutputModules() {
  dlopen("libjack.so.0", RTLD_LAZY | RTLD_NODELETE);
  for (const char* module : {"pulse", "alsa", "oss", "jack"})
    dlopen((std::string(OUT123_MODULE_DIR "/output_") + module + ".so").c_str(), RTLD_LAZY | RTLD_NODELETE);
}
