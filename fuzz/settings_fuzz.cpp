// The settings reader on any text: the keys the program reads, a write of the
// key it writes, and that key read again.
#include <cstdint>
#include <string>

#include "Exceptions.h"
#include "FuzzFiles.h"
#include "IniFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TIniFile ini(WriteFuzzFile("S16c.ini", data, size));
  ini.ReadText("Directory", "Gp3", "");
  ini.ReadText("directory", "WAV", "none");
  ini.ReadText(" Directory ", "", "");
  try {
    ini.WriteText("Directory", "Wav", "/home/user/Sound \"old\"/");
  } catch (const Exception&) {
    return 0;
  }
  ini.ReadText("Directory", "Wav", "");
  return 0;
}
