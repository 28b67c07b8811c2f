#pragma once
// The last step of the conversion and of a restore: data copied into a new
// file beside a target and put in the target's place in one step
// (TReplacement), through one fixed 64 KiB buffer. A write that fails or
// stores less than it was given is I/O error 101 "Disque plein" when the
// disk is full (however Linux says so), else its own code; the target then
// keeps its old content and nothing of the copy stays.

#include <cstdint>
#include <string>

#include "CheckedFile.h"
#include "RunCleanup.h"

// Closes a file variable that an error left open, so that its handle does not
// stay held until the program ends. A failure to close is not reported: the
// error that is on its way matters more.
class TClosingGuard {
 public:
  explicit TClosingGuard(TFileVar& f) : f_(f) {}
  ~TClosingGuard();
  TClosingGuard(const TClosingGuard&) = delete;
  TClosingGuard& operator=(const TClosingGuard&) = delete;

 private:
  TFileVar& f_;
};

// REQUIRES: source is open for reading, with records of 1 byte.
// Copies up to dataSize bytes from the source's position (to its end when it
// has fewer) into the new content of target, closes both files and puts the
// new file in target's place. 'forget' (may be null) is forgotten in the same
// step as the replacement, so that no signal comes between the two.
// Raises EInOutError.
void CopyIntoPlace(TFileVar& source, int64_t dataSize, const std::string& target, TRunFile* forget);

// The text a user reads for a write that found the disk full.
int DiskFullAsOne(int code);
