#include "Sinks.h"

#include <fcntl.h>
#include <out123.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace {

// Large enough that writing costs a handful of system calls per second of
// decoding, small enough to stay in cache.
constexpr size_t kWriteBuffer = 1 << 20;
constexpr unsigned kHeaderBytes = 44;
constexpr uint64_t kMaxData = std::numeric_limits<uint32_t>::max() - 36;

void put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

bool writeAll(int fd, const unsigned char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

bool pwriteAll(int fd, const unsigned char* p, size_t n, off_t at) {
  while (n > 0) {
    ssize_t w = ::pwrite(fd, p, n, at);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    p += w;
    at += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

void header(unsigned char* h, long rate, uint64_t dataBytes) {
  const uint32_t data = static_cast<uint32_t>(dataBytes);
  std::memcpy(h, "RIFF", 4);
  put32(h + 4, 36 + data);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  put32(h + 16, 16);
  put16(h + 20, 1);
  put16(h + 22, 2);
  put32(h + 24, static_cast<uint32_t>(rate));
  put32(h + 28, static_cast<uint32_t>(rate) * 4);
  put16(h + 32, 4);
  put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  put32(h + 40, data);
}

}  // namespace

WavFileSink::WavFileSink(const std::string& path, long rate) : rate_(rate) {
  if (path.empty()) return;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) return;
  buffer_.reserve(kWriteBuffer);
  // Provisional header with zero sizes, so even a file left by a crash is a
  // readable (empty) WAV.
  buffer_.resize(kHeaderBytes);
  header(buffer_.data(), rate_, 0);
}

WavFileSink::~WavFileSink() {
  if (fd_ >= 0) ::close(fd_);
}

bool WavFileSink::flush() {
  if (!buffer_.empty() && !failed_) failed_ = !writeAll(fd_, buffer_.data(), buffer_.size());
  buffer_.clear();
  return !failed_;
}

bool WavFileSink::write(const unsigned char* pcm, size_t bytes) {
  if (failed_) return false;
  if (dataBytes_ + bytes > kMaxData) bytes = static_cast<size_t>(kMaxData - dataBytes_) & ~size_t{3};
  dataBytes_ += bytes;
  while (bytes > 0) {
    size_t room = kWriteBuffer - buffer_.size();
    size_t n = bytes < room ? bytes : room;
    buffer_.insert(buffer_.end(), pcm, pcm + n);
    pcm += n;
    bytes -= n;
    if (buffer_.size() == kWriteBuffer && !flush()) return false;
  }
  return true;
}

bool WavFileSink::finish(bool) {
  if (fd_ < 0) return false;
  bool good = flush();
  if (good) {
    unsigned char h[kHeaderBytes];
    header(h, rate_, dataBytes_);
    good = pwriteAll(fd_, h, sizeof h, 0);
  }
  // close() can report a deferred write error (network file systems).
  if (::close(fd_) != 0) good = false;
  fd_ = -1;
  return good;
}

const char* const DeviceSink::kDrivers = "pulse,alsa,oss,jack";

DeviceSink::DeviceSink(int32_t deviceNumber, long rate) {
  ao_ = out123_new();
  if (!ao_) return;
  out123_param2(ao_, OUT123_ADD_FLAGS, OUT123_QUIET, 0.0, nullptr);
  out123_param2(ao_, OUT123_NAME, 0, 0.0, "Vantrel");
  std::string device;
  if (deviceNumber > 0) {
    // Enumeration needs a handle of its own: it closes the handle it runs on.
    out123_handle* lister = out123_new();
    if (!lister) return;
    out123_param2(lister, OUT123_ADD_FLAGS, OUT123_QUIET, 0.0, nullptr);
    char** names = nullptr;
    char** descr = nullptr;
    char* driver = nullptr;
    int count = out123_devices(lister, kDrivers, &names, &descr, &driver);
    bool found = count >= deviceNumber;
    if (found) device = names[deviceNumber - 1];
    if (count >= 0) out123_stringlists_free(names, descr, count);
    std::string active = driver ? driver : "";
    free(driver);
    out123_del(lister);
    if (!found) return;
    if (out123_open(ao_, active.c_str(), device.c_str()) != 0) return;
  } else if (out123_open(ao_, kDrivers, nullptr) != 0) {
    return;
  }
  ok_ = out123_start(ao_, rate, 2, MPG123_ENC_SIGNED_16) == 0;
}

DeviceSink::~DeviceSink() {
  if (ao_) out123_del(ao_);
}

bool DeviceSink::write(const unsigned char* pcm, size_t bytes) {
  // out123_play may change the buffer in place (mute, byte order); the
  // decoder's buffer is refilled before it is used again, so that is safe.
  size_t played = out123_play(ao_, const_cast<unsigned char*>(pcm), bytes);
  return played == bytes;
}

bool DeviceSink::changeRate(long rate) {
  out123_drain(ao_);
  out123_stop(ao_);
  return out123_start(ao_, rate, 2, MPG123_ENC_SIGNED_16) == 0;
}

void DeviceSink::pause() { out123_pause(ao_); }

void DeviceSink::resume() { out123_continue(ao_); }

bool DeviceSink::finish(bool interrupted) {
  if (interrupted)
    out123_drop(ao_);
  else
    out123_drain(ao_);
  out123_stop(ao_);
  out123_del(ao_);
  ao_ = nullptr;
  return true;
}
