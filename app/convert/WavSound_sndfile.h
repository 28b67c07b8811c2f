#pragma once
// What every producer of 16-bit PCM does first and last with the WAV it
// reads through libsndfile: open it, read its layout, and after the last read
// tell a failed read (an I/O error) from a sound that breaks off in the
// middle (which would be a game file cut short).

#include <memory>
#include <string>

#include "ErrnoCodes_posix.h"
#include "FileOpening.h"
#include "FileServices.h"
#include "Pcm16Source.h"
#include "WavLayout.h"
#include "WavReader_sndfile.h"

inline TPcm16Outcome Pcm16Failed(int code) { return {TPcm16Outcome::TKind::Failed, code}; }
inline TPcm16Outcome Pcm16Unreadable() { return {TPcm16Outcome::TKind::Unreadable, 0}; }

class TWavSound {
 public:
  explicit TWavSound(const std::string& wavPath)
      : fd_(FileOpen(wavPath, fmOpenRead | fmShareDenyWrite)), openError_(LastOSError()) {
    if (fd_ == INVALID_HANDLE_VALUE) return;
    layoutError_ = ReadWavLayout(fd_, layout_);
    reader_.reset(new TWavReader(fd_));
  }
  TWavSound(const TWavSound&) = delete;
  TWavSound& operator=(const TWavSound&) = delete;

  // Done when the WAV is open and libsndfile reads its sound; else why not.
  TPcm16Outcome Opened() const {
    if (fd_ == INVALID_HANDLE_VALUE) return Pcm16Failed(openError_);
    if (layoutError_ != 0) return Pcm16Failed(layoutError_);
    if (!reader_->Ok())
      return reader_->ReadErrno() != 0 ? Pcm16Failed(ErrnoToWinError(reader_->ReadErrno())) : Pcm16Unreadable();
    return {};
  }
  // After the last read: Done, Failed for a read that failed, Unreadable for
  // a sound that could not be read to its end.
  TPcm16Outcome AfterReading() const {
    if (reader_->ReadErrno() != 0) return Pcm16Failed(ErrnoToWinError(reader_->ReadErrno()));
    if (reader_->Error() != SF_ERR_NO_ERROR) return Pcm16Unreadable();
    return {};
  }

  // REQUIRES: Opened() is Done.
  const TWavLayout& Layout() const { return layout_; }
  TWavReader& Reader() { return *reader_; }

 private:
  THandle fd_;
  int openError_;
  int layoutError_ = 0;
  TWavLayout layout_;
  std::unique_ptr<TWavReader> reader_;  // owns fd_
};
