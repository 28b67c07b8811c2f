// The rules of a file's replacement; the system's steps are in
// FileReplacement_posix.cpp and FileReplacement_win.cpp.
#include "FileReplacement.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "ErrorCodes.h"
#include "FileOpening.h"
#include "FileReplacementSteps.h"
#include "PathUtils.h"

namespace {

// Attempts at a free hidden name before the folder is taken to refuse new files.
constexpr int kNameAttempts = 100;

// The first bytes of name, at most 'most', never ending inside a UTF-8 character.
std::string CutName(const std::string& name, size_t most) {
  if (name.size() <= most) return name;
  size_t end = most;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

}  // namespace

std::string RandomSuffix() {
  static std::mt19937_64 generator{std::random_device{}()};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

std::string HiddenNameBeside(const std::string& target, const std::string& randomPart) {
  const std::string folder = ExtractFilePath(target);
  const std::string name = ExtractFileName(target);
  const size_t longestName = LongestFileName();
  const size_t longestPath = LongestPathName();
  const size_t added = 2 + randomPart.size();
  size_t most = longestName > added ? longestName - added : 0;
  if (folder.size() + added + name.size() > longestPath)
    most = std::min(most, folder.size() + added < longestPath ? longestPath - folder.size() - added : 0);
  return folder + "." + CutName(name, most) + "." + randomPart;
}

THandle CreateHiddenBeside(const std::string& target, TOpenAccess access, std::string& path, TRunFile& watched,
                           int* code) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string candidate = HiddenNameBeside(target, RandomSuffix());
    TEndingSignalsHeld held;
    const THandle h = OpenPlatformFile(candidate, access, TOpenSharing::ReadWrite, TOpenDisposition::CreateNew, code);
    if (h == INVALID_HANDLE_VALUE && *code == ErrorCode::FileExists) continue;
    if (h == INVALID_HANDLE_VALUE) return h;
    watched.Watch(candidate);
    path = candidate;
    return h;
  }
  *code = ErrorCode::FileExists;
  return INVALID_HANDLE_VALUE;
}

TFileReplacement::~TFileReplacement() {
  if (handle_ != INVALID_HANDLE_VALUE) ClosePlatformFile(handle_);
  if (!committed_ && !path_.empty()) RemoveFileIfThere(path_);
}

int TFileReplacement::Create(TOpenAccess access) {
  int code = 0;
  handle_ = CreateHiddenBeside(target_, access, path_, watched_, &code);
  if (handle_ == INVALID_HANDLE_VALUE) return code;
  return KeepAttributesOf(handle_, target_);
}

THandle TFileReplacement::Release() {
  const THandle h = handle_;
  handle_ = INVALID_HANDLE_VALUE;
  return h;
}

int TFileReplacement::Commit(bool flush) {
  int code = 0;
  if (handle_ != INVALID_HANDLE_VALUE) {
    if (flush) code = FlushPlatformFile(handle_);
    const int closed = ClosePlatformFile(Release());
    if (code == 0) code = closed;
  }
  if (code == 0) code = PutInPlace(path_, target_);
  if (code != 0) return code;
  committed_ = true;
  watched_.Forget();
  return 0;
}
