#include "NamedInput.h"

#include <cstring>

std::unique_ptr<NamedInput> NamedInput::Open(const char* name, FileId* id) {
  int64_t bytes = 0;
  const InputHandle file = OpenRegularInput(name, id, &bytes);
  if (file == kNoInput) return nullptr;
  return std::unique_ptr<NamedInput>(new NamedInput(file, bytes));
}

NamedInput::NamedInput(InputHandle file, int64_t bytes)
    : file_(file), bytes_(bytes), buffer_(new unsigned char[kBufferBytes]), window_(new unsigned char[kBufferBytes]) {}

NamedInput::~NamedInput() { CloseInput(file_); }

void NamedInput::Reset(int64_t at) {
  pos_ = 0;
  end_ = 0;
  fileAt_ = at;
}

int64_t NamedInput::Read(unsigned char* out, size_t bytes) {
  if (limit_ >= 0) {
    const int64_t at = fileAt_ - static_cast<int64_t>(end_ - pos_);
    if (at >= limit_) return 0;
    if (static_cast<int64_t>(bytes) > limit_ - at) bytes = static_cast<size_t>(limit_ - at);
  }
  size_t done = 0;
  while (done < bytes) {
    if (pos_ == end_) {
      // A request as large as the buffer goes straight to the caller's memory.
      const bool direct = bytes - done >= kBufferBytes;
      const int64_t got =
          direct ? ReadInput(file_, out + done, bytes - done) : ReadInput(file_, buffer_.get(), kBufferBytes);
      if (got < 0) {
        readFailed_ = true;
        return done > 0 ? static_cast<int64_t>(done) : -1;
      }
      if (got == 0) break;
      fileAt_ += got;
      if (direct) {
        done += static_cast<size_t>(got);
        continue;
      }
      pos_ = 0;
      end_ = static_cast<size_t>(got);
    }
    const size_t n = end_ - pos_ < bytes - done ? end_ - pos_ : bytes - done;
    std::memcpy(out + done, buffer_.get() + pos_, n);
    pos_ += n;
    done += n;
  }
  return static_cast<int64_t>(done);
}

int64_t NamedInput::Seek(int64_t offset, Whence whence) {
  const int64_t bufferStart = fileAt_ - static_cast<int64_t>(end_);
  int64_t target;
  switch (whence) {
    case kFromStart:
      target = offset;
      break;
    case kFromCurrent:
      target = fileAt_ - static_cast<int64_t>(end_ - pos_) + offset;
      break;
    case kFromEnd: {
      if (limit_ >= 0) {
        target = limit_ + offset;
        break;
      }
      const int64_t at = SeekInput(file_, offset, true);
      if (at < 0) return -1;
      Reset(at);
      return at;
    }
    default:
      return -1;
  }
  if (target < 0) return -1;
  if (target >= bufferStart && target <= fileAt_) {
    pos_ = static_cast<size_t>(target - bufferStart);
    return target;
  }
  const int64_t at = SeekInput(file_, target, false);
  if (at < 0) return -1;
  Reset(at);
  return at;
}

bool NamedInput::ReadAt(int64_t offset, unsigned char* out, size_t bytes) {
  if (offset < 0 || bytes > kBufferBytes) return false;
  if (offset < windowStart_ || offset + static_cast<int64_t>(bytes) > windowStart_ + static_cast<int64_t>(windowLength_)) {
    const int64_t got = ReadInputAt(file_, offset, window_.get(), kBufferBytes);
    windowStart_ = offset;
    windowLength_ = got > 0 ? static_cast<size_t>(got) : 0;
    if (windowLength_ < bytes) return false;
  }
  std::memcpy(out, window_.get() + (offset - windowStart_), bytes);
  return true;
}
