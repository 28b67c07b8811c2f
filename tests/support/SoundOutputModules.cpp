#include "SoundOutputModules.h"

#include <dlfcn.h>

#include <cstdlib>
#include <fstream>

#include "SoundOutputDrivers.h"

void PinSoundOutputModules() {
  dlopen("libjack.so.0", RTLD_LAZY | RTLD_NODELETE);
  const std::string drivers = kSoundOutputDrivers;
  for (size_t start = 0; start <= drivers.size();) {
    size_t end = drivers.find(',', start);
    if (end == std::string::npos) end = drivers.size();
    const std::string module = drivers.substr(start, end - start);
    dlopen((std::string(OUT123_MODULE_DIR "/output_") + module + ".so").c_str(), RTLD_LAZY | RTLD_NODELETE);
    start = end + 1;
  }
}

NoSoundOutput::NoSoundOutput(const std::string& folder) {
  const std::string noCards = folder + "empty-alsa.conf";
  ok_ = static_cast<bool>(std::ofstream(noCards));
  Set("PULSE_SERVER", "unix:" + folder + "no-such-socket");
  Set("ALSA_CONFIG_PATH", noCards);
  Set("JACK_NO_START_SERVER", "1");
  Set("AUDIODEV", folder + "no-dsp");
  PinSoundOutputModules();
}

NoSoundOutput::~NoSoundOutput() {
  for (auto it = earlier_.rbegin(); it != earlier_.rend(); ++it) {
    if (it->second) {
      setenv(it->first.c_str(), it->second->c_str(), 1);
    } else {
      unsetenv(it->first.c_str());
    }
  }
}

void NoSoundOutput::Set(const char* name, const std::string& value) {
  const char* earlier = std::getenv(name);
  earlier_.emplace_back(name, earlier ? std::optional<std::string>(earlier) : std::nullopt);
  if (setenv(name, value.c_str(), 1) != 0) ok_ = false;
}
