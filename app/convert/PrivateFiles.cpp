#include "PrivateFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "Exceptions.h"
#include "FileOpening.h"
#include "FileServices.h"
#include "PathUtils.h"

namespace {

constexpr int kFileExists = 80;
// Attempts at a free hidden name before the folder is taken to refuse new files.
constexpr int kNameAttempts = 100;

[[noreturn]] void RaiseInOutError(int code) { throw EInOutError(InOutErrorMessage(code), code); }

std::string TemporaryRoot() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? std::string(tmp) : std::string("/tmp");
}

std::string RandomSuffix() {
  static std::mt19937_64 generator{std::random_device{}()};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

}  // namespace

THalvedFile::~THalvedFile() {
  if (!path_.empty()) unlink(path_.c_str());
  if (!folder_.empty()) rmdir(folder_.c_str());
}

bool THalvedFile::Create(const std::string& name) {
  std::string pattern = TemporaryRoot() + "/vantrel-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return false;
  folder_ = pattern;
  const std::string path = folder_ + "/" + name;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  path_ = path;
  close(fd);
  return true;
}

TReplacement::~TReplacement() {
  if (!committed_ && !path_.empty()) unlink(path_.c_str());
}

void TReplacement::Create(TFileVar& f) {
  const std::string stem = ExtractFilePath(target_) + "." + ExtractFileName(target_) + ".";
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string path = stem + RandomSuffix();
    int code = 0;
    const int fd =
        OpenPlatformFile(path, TOpenAccess::ReadWrite, TOpenSharing::ReadWrite, TOpenDisposition::CreateNew, &code);
    if (fd < 0 && code == kFileExists) continue;
    if (fd < 0) RaiseInOutError(code);
    path_ = path;
    f.Name = path;
    f.Handle = fd;
    f.State = TFileState::fmInOut;
    f.RecSize = 1;
    return;
  }
  RaiseInOutError(kFileExists);
}

void TReplacement::Commit() {
  if (rename(path_.c_str(), target_.c_str()) != 0) RaiseInOutError(PathErrorCode(target_, errno));
  committed_ = true;
}
