// The settings reader on any text: the keys the program reads, a write of the
// key it writes, and that key read back as written.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Exceptions.h"
#include "FuzzFiles.h"
#include "IniFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TIniFile ini(WriteFuzzFile("S16c.ini", data, size));
  ini.ReadText("Directory", "Gp3", "");
  ini.ReadText("directory", "WAV", "none");
  ini.ReadText(" Directory ", "", "");
  const std::string folder = "/home/user/Sound \"old\"/";
  try {
    ini.WriteText("Directory", "Wav", folder);
  } catch (const Exception&) {
    return 0;
  }
  // The value is quoted inside, not around, so it reads back whole.
  const std::string read = ini.ReadText("Directory", "Wav", "");
  if (read != folder) {
    std::fprintf(stderr, "wrote Wav=%s, read back \"%s\"\n", folder.c_str(), read.c_str());
    std::abort();
  }
  return 0;
}
