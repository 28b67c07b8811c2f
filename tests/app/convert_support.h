#pragma once
// Settings that record what is written, and helpers for WAV files on disk;
// with them the stand-ins for the window's parts and the temporary folder.

#include <cstdint>
#include <string>
#include <vector>

#include "CommandFakes.h"
#include "IniFiles.h"
#include "TempDir.h"
#include "WavImages.h"

// Settings that only record what is written.
class RecordingIniFile : public TCustomIniFile {
 public:
  RecordingIniFile() : TCustomIniFile("recorded.ini") {}
  std::string ReadText(const std::string&, const std::string&, const std::string& defaultValue) override {
    return defaultValue;
  }
  void WriteText(const std::string& section, const std::string& ident, const std::string& value) override {
    writes.push_back(section + "/" + ident + "=" + value);
  }
  std::vector<std::string> writes;
};

// Sample data whose every byte differs from its neighbours, so that a dropped,
// doubled or shifted frame shows.
Bytes Pattern(size_t size, unsigned seed = 1);
// A canonical 44-byte header with the given rate, then the data.
Bytes WavBytes(uint32_t rate, const Bytes& data);
void WriteFile(const std::string& name, const Bytes& content);
Bytes ReadFile(const std::string& name);
bool Exists(const std::string& name);
bool IsReadOnly(const std::string& name);
// The names in a folder, hidden ones included, sorted; empty for no folder.
std::vector<std::string> FolderEntries(const std::string& folder);
void MakeReadOnly(const std::string& name);

// The halving done the plain way, four bytes a pass, on the data of a WAV
// image; hands the gauge what that loop would, a value for every pass, when
// one is given.
Bytes HalvedByFrames(const Bytes& wav, FakeGauge* gauge = nullptr);

// True when the progress values rise from 0 to `maxValue` and no step between
// two of them is larger than 1 % of `maxValue`, so a gauge shows every whole
// percentage on the way.
bool RisesByOnePercentAtMost(const std::vector<int>& progress, int maxValue);
