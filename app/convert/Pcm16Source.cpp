#include "Pcm16Source.h"

#include <algorithm>
#include <cerrno>
#include <limits>

namespace {

constexpr int64_t kHeaderBytes = 44;
constexpr int kDiskFull = 101;
// The platform's own "disk full" code, as the file services map ENOSPC.
constexpr int kPlatformDiskFull = 112;
constexpr int64_t kMaxField = std::numeric_limits<uint32_t>::max();

void Put16(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
void Put32(unsigned char* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

int DiskFullAsOne(int code) { return code == kPlatformDiskFull ? kDiskFull : code; }

}  // namespace

std::vector<unsigned char> Pcm16WavHeader(int channels, uint32_t rate, int64_t dataBytes) {
  std::vector<unsigned char> h(kHeaderBytes, 0);
  const uint32_t block = static_cast<uint32_t>(channels) * 2;
  const int64_t riffBytes = dataBytes + kHeaderBytes - 8;
  std::copy_n("RIFF", 4, h.begin());
  Put32(&h[4], static_cast<uint32_t>(riffBytes > kMaxField ? kMaxField : riffBytes));
  std::copy_n("WAVEfmt ", 8, h.begin() + 8);
  Put32(&h[16], 16);
  Put16(&h[20], 1);
  Put16(&h[22], static_cast<uint32_t>(channels));
  Put32(&h[24], rate);
  Put32(&h[28], rate * block);
  Put16(&h[32], block);
  Put16(&h[34], 16);
  std::copy_n("data", 4, h.begin() + 36);
  Put32(&h[40], static_cast<uint32_t>(dataBytes >= kMaxField ? kMaxField : dataBytes));
  return h;
}

TPcm16Writer::~TPcm16Writer() {
  if (handle_ != INVALID_HANDLE_VALUE) FileClose(handle_);
}

bool TPcm16Writer::Fail(int code) {
  error_ = DiskFullAsOne(code);
  return false;
}

bool TPcm16Writer::Begin(TPcm16File& file, const std::string& name, int channels, uint32_t rate) {
  if (!file.Create(name)) return Fail(file.FailedCode());
  handle_ = FileOpen(file.Path(), fmOpenWrite);
  if (handle_ == INVALID_HANDLE_VALUE) return Fail(LastOSError());
  channels_ = channels;
  rate_ = rate;
  const std::vector<unsigned char> header = Pcm16WavHeader(channels, rate, 0);
  const int64_t put = FileWrite(handle_, header.data(), kHeaderBytes);
  if (put < 0) return Fail(LastOSError());
  if (put < kHeaderBytes) return Fail(kDiskFull);
  return true;
}

bool TPcm16Writer::Write(const int16_t* samples, int64_t count) {
  bytes_.resize(static_cast<size_t>(count) * 2);
  for (int64_t i = 0; i < count; ++i) Put16(&bytes_[static_cast<size_t>(2 * i)], static_cast<uint16_t>(samples[i]));
  const int64_t want = count * 2;
  const int64_t put = FileWrite(handle_, bytes_.data(), want);
  if (put < 0) return Fail(LastOSError());
  // A write that stores less than it was given has run out of room.
  if (put < want) return Fail(kDiskFull);
  dataBytes_ += want;
  return true;
}

bool TPcm16Writer::Finish() {
  const std::vector<unsigned char> header = Pcm16WavHeader(channels_, rate_, dataBytes_);
  if (FileSeek(handle_, 0, soFromBeginning) != 0) return Fail(LastOSError());
  const int64_t put = FileWrite(handle_, header.data(), kHeaderBytes);
  if (put < 0) return Fail(LastOSError());
  if (put < kHeaderBytes) return Fail(kDiskFull);
  const bool closed = FileClose(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  return closed ? true : Fail(LastOSError());
}
