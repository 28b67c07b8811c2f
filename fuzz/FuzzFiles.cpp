#include "FuzzFiles.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

struct RunFolder {
  RunFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::perror("vantrel fuzz: mkdtemp");
      std::abort();
    }
    path = pattern;
  }
  ~RunFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string path;
};

}  // namespace

std::string FuzzPath(const std::string& name) {
  static RunFolder folder;
  return folder.path + "/" + name;
}

std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = FuzzPath(name);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
    std::perror(("vantrel fuzz: " + path).c_str());
    std::abort();
  }
  return path;
}
