#include "CopyIntoPlace.h"

#include <algorithm>
#include <vector>

#include "Exceptions.h"
#include "PrivateFiles.h"

namespace {

constexpr int64_t kCopyBlock = 64 * 1024;
constexpr int kDiskFull = 101;
// The platform's own "disk full" code, as the file services map ENOSPC.
constexpr int kPlatformDiskFull = 112;

[[noreturn]] void RaiseInOutError(int code) { throw EInOutError(InOutErrorMessage(code), code); }

}  // namespace

TClosingGuard::~TClosingGuard() {
  if (f_.State == TFileState::fmClosed) return;
  try {
    CloseFile(f_);
  } catch (const Exception&) {
  }
}

// Linux reports a full disk as ENOSPC or as a short write; the user reads one
// text for both.
int DiskFullAsOne(int code) { return code == kPlatformDiskFull ? kDiskFull : code; }

void CopyIntoPlace(TFileVar& source, int64_t dataSize, const std::string& target, TRunFile* forget) {
  TFileVar copy;
  TClosingGuard copyGuard(copy);
  TReplacement replacement(target);
  replacement.Create(copy);
  std::vector<unsigned char> buffer(kCopyBlock);
  int64_t remaining = dataSize;
  int64_t got = 0;
  int64_t put = 0;
  do {
    BlockRead(source, buffer.data(), std::min(kCopyBlock, remaining), got);
    remaining -= got;
    try {
      BlockWrite(copy, buffer.data(), got, put);
    } catch (const EInOutError& e) {
      RaiseInOutError(DiskFullAsOne(e.ErrorCode));
    }
    // A write that stores less than it was given has run out of room.
    if (put < got) RaiseInOutError(kDiskFull);
  } while (got > 0 && remaining > 0);
  CloseFile(source);
  CloseFile(copy);
  TEndingSignalsHeld held;
  replacement.Commit();
  if (forget != nullptr) forget->Forget();
}
