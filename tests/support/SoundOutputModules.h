#pragma once
// The sound outputs as a test sees them: kept loaded for the leak checker, or
// taken away altogether.

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The sound output library loads its driver modules (and the JACK client)
// for an attempt and unloads them again; when no server answers they leak a
// few blocks of their own. Keeping them loaded lets the leak checker name
// them, so those leaks can be told apart from ours.
void PinSoundOutputModules();

// Takes every sound output away for the life of the object: the sound server
// address names a missing socket, ALSA reads an empty configuration, JACK
// starts no server and OSS looks for a device that is not there. Every
// variable it changes gets its earlier value back at the end, or is unset
// again when it was unset. The driver modules are pinned (see above).
class NoSoundOutput {
 public:
  // `folder` (ending in "/") receives the empty ALSA configuration; it must
  // outlive the object.
  explicit NoSoundOutput(const std::string& folder);
  ~NoSoundOutput();
  NoSoundOutput(const NoSoundOutput&) = delete;
  NoSoundOutput& operator=(const NoSoundOutput&) = delete;

  // False when the configuration could not be written or a variable not set.
  bool Ok() const { return ok_; }

 private:
  void Set(const char* name, const std::string& value);

  std::vector<std::pair<std::string, std::optional<std::string>>> earlier_;
  bool ok_ = true;
};
