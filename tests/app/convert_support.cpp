#include "convert_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

Bytes Pattern(size_t size, unsigned seed) {
  Bytes out(size);
  uint32_t x = seed * 2654435761u + 12345u;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    out[i] = static_cast<unsigned char>(x >> 24);
  }
  return out;
}

Bytes WavBytes(uint32_t rate, const Bytes& data) { return CanonicalWav(rate, 2, 16, data); }

void WriteFile(const std::string& name, const Bytes& content) {
  std::ofstream f(std::filesystem::u8path(name), std::ios::binary | std::ios::trunc);
  if (!f) throw std::runtime_error("cannot write " + name);
  f.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  if (!f) throw std::runtime_error("cannot write " + name);
}

Bytes ReadFile(const std::string& name) {
  std::ifstream f(std::filesystem::u8path(name), std::ios::binary);
  if (!f) throw std::runtime_error("cannot read " + name);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(std::filesystem::u8path(name), ec));
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder), ec))
    names.push_back(entry.path().filename().u8string());
  std::sort(names.begin(), names.end());
  return names;
}

// Windows shows its read-only attribute as missing write permissions.
constexpr auto kAnyWrite =
    std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write;

bool IsReadOnly(const std::string& name) {
  std::error_code ec;
  const auto status = std::filesystem::status(std::filesystem::u8path(name), ec);
  if (ec) throw std::runtime_error("no file " + name);
  return (status.permissions() & kAnyWrite) == std::filesystem::perms::none;
}

void MakeReadOnly(const std::string& name) {
  std::error_code ec;
  std::filesystem::permissions(std::filesystem::u8path(name), kAnyWrite, std::filesystem::perm_options::remove, ec);
  if (ec) throw std::runtime_error("cannot make " + name + " read-only");
}

Bytes HalvedByFrames(const Bytes& wav, FakeGauge* gauge) {
  const int64_t d = static_cast<int64_t>(wav.size()) - 44;
  int64_t remaining = d;
  size_t at = 44;
  Bytes out;
  if (gauge) {
    gauge->SetProgress(0);
    gauge->SetMaxValue(static_cast<int>(d / 2));
  }
  auto read4 = [&](unsigned char* frame) {
    size_t n = 0;
    while (n < 4 && at < wav.size()) frame[n++] = wav[at++];
    return n;
  };
  unsigned char frame[4];
  while (remaining > 0) {
    read4(frame);
    const size_t n = read4(frame);
    out.insert(out.end(), frame, frame + n);
    remaining -= 2 * static_cast<int64_t>(n);
    if (gauge) gauge->SetProgress(gauge->Progress() + static_cast<int>(n));
    if (n == 0) {
      if (gauge) gauge->SetProgress(gauge->MaxValue());
      break;
    }
  }
  return out;
}

bool RisesByOnePercentAtMost(const std::vector<int>& progress, int maxValue) {
  if (progress.empty() || progress.front() != 0 || progress.back() != maxValue) return false;
  for (size_t i = 1; i < progress.size(); ++i) {
    const int64_t step = int64_t{progress[i]} - progress[i - 1];
    if (step < 0 || step * 100 > maxValue) return false;
  }
  return true;
}
