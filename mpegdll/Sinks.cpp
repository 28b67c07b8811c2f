#include "Sinks.h"

#include <fcntl.h>
#include <out123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

#include "SoundOutputDrivers.h"

namespace {

constexpr unsigned kHeaderBytes = 44;
// The RIFF size (36 + data) must fit its 32 bits; whole frames only.
constexpr uint64_t kMaxData = (std::numeric_limits<uint32_t>::max() - 36) & ~uint64_t{3};

uint64_t MaxDataBytes() {
#ifdef MPEGDLL_TEST_HOOKS
  // A build for the tests only: the limit's handling is tried without
  // writing 4 GiB.
  if (const char* limit = std::getenv("MPEGDLL_TEST_WAV_DATA_LIMIT")) return std::strtoull(limit, nullptr, 10);
#endif
  return kMaxData;
}

// Opens the output without waiting on a FIFO that has no reader, and takes
// only a regular file that may be written and is not the input. -1: refused,
// nothing changed. *existed: the file was there before.
int OpenOutput(const std::string& path, const FileId& input, bool* existed) {
  constexpr int kFlags = O_WRONLY | O_NONBLOCK | O_CLOEXEC;
  *existed = false;
  int fd = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
  if (fd < 0 && errno == EEXIST) {
    *existed = true;
    fd = ::open(path.c_str(), kFlags | O_CREAT, 0666);
  }
  if (fd < 0) return -1;
  struct stat st {};
  const bool usable = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                      !(*existed && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) &&
                      !(FileId{st.st_dev, st.st_ino} == input) &&
                      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0;
  if (!usable) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void Put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

bool WriteAll(int fd, const unsigned char* p, size_t n) {
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

bool PwriteAll(int fd, const unsigned char* p, size_t n, off_t at) {
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

void Header(unsigned char* h, long rate, uint64_t dataBytes) {
  const uint32_t data = static_cast<uint32_t>(dataBytes);
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, 36 + data);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);
  Put16(h + 22, 2);
  Put32(h + 24, static_cast<uint32_t>(rate));
  Put32(h + 28, static_cast<uint32_t>(rate) * 4);
  Put16(h + 32, 4);
  Put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, data);
}

}  // namespace

WavFileSink::WavFileSink(const std::string& path, long rate, const FileId& input)
    : rate_(rate), maxData_(MaxDataBytes()) {
  if (path.empty()) return;
  // Emptying an old file can wait for the disk (its last writing may still
  // be under way), so the writer does it while the decoder starts.
  bool existed = false;
  fd_ = OpenOutput(path, input, &existed);
  if (fd_ < 0) return;
  struct stat st {};
  replacing_ = existed && ::fstat(fd_, &st) == 0 && st.st_size > 0;
  for (Slot& slot : slots_) slot.data.reset(new unsigned char[kWriteBuffer]);
  // Provisional header with zero sizes, so even a file left by a crash is a
  // readable (empty) WAV.
  Header(slots_[0].data.get(), rate_, 0);
  slots_[0].fill = kHeaderBytes;
  try {
    writer_ = std::thread([this] { WriterLoop(); });
  } catch (const std::system_error&) {
    // Without a thread to spare, the playing thread writes each buffer itself.
    if (replacing_ && ::ftruncate(fd_, 0) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
}

WavFileSink::~WavFileSink() {
  StopWriter();
  if (fd_ >= 0) ::close(fd_);
}

void WavFileSink::WriterLoop() {
  if (replacing_ && ::ftruncate(fd_, 0) != 0) failed_.store(true, std::memory_order_relaxed);
  off_t at = 0;
  std::unique_lock<std::mutex> lock(m_);
  for (;;) {
    queued_.wait(lock, [this] { return written_ < submitted_ || closing_; });
    if (written_ == submitted_) return;
    Slot& slot = slots_[written_ % kSlots];
    lock.unlock();
    if (!failed_.load(std::memory_order_relaxed) && !WriteAll(fd_, slot.data.get(), slot.fill))
      failed_.store(true, std::memory_order_relaxed);
    // File systems flush a file that was emptied and written again when it
    // is closed, which would hold up the end. Starting the disk writes of
    // each buffer here leaves that flush almost nothing to do.
    if (replacing_) ::sync_file_range(fd_, at, static_cast<off_t>(slot.fill), SYNC_FILE_RANGE_WRITE);
    at += slot.fill;
    lock.lock();
    ++written_;
    freed_.notify_one();
  }
}

void WavFileSink::StopWriter() {
  if (!writer_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_);
    closing_ = true;
  }
  queued_.notify_one();
  writer_.join();
}

void WavFileSink::Submit() {
  Slot& slot = slots_[submitted_ % kSlots];
  if (!writer_.joinable()) {
    if (!failed_.load(std::memory_order_relaxed) && !WriteAll(fd_, slot.data.get(), slot.fill))
      failed_.store(true, std::memory_order_relaxed);
    ++submitted_;
    ++written_;
  } else {
    std::unique_lock<std::mutex> lock(m_);
    ++submitted_;
    queued_.notify_one();
    freed_.wait(lock, [this] { return submitted_ - written_ < kSlots; });
  }
  slots_[submitted_ % kSlots].fill = 0;
}

unsigned char* WavFileSink::Room(size_t bytes) {
  if (kWriteBuffer - slots_[submitted_ % kSlots].fill < bytes) Submit();
  Slot& slot = slots_[submitted_ % kSlots];
  return slot.data.get() + slot.fill;
}

bool WavFileSink::Write(const unsigned char* pcm, size_t bytes) {
  if (failed_.load(std::memory_order_relaxed)) return false;
  if (dataBytes_ + bytes > maxData_) {
    failed_.store(true, std::memory_order_relaxed);
    return false;
  }
  dataBytes_ += bytes;
  while (bytes > 0) {
    Slot& slot = slots_[submitted_ % kSlots];
    const size_t room = kWriteBuffer - slot.fill;
    const size_t n = bytes < room ? bytes : room;
    // Frames the decoder put into Room() are in place already, or a little
    // further on when it dropped some from the front.
    if (pcm != slot.data.get() + slot.fill) std::memmove(slot.data.get() + slot.fill, pcm, n);
    slot.fill += n;
    pcm += n;
    bytes -= n;
    if (slot.fill == kWriteBuffer) Submit();
  }
  return true;
}

bool WavFileSink::Finish(bool) {
  if (fd_ < 0) return false;
  if (slots_[submitted_ % kSlots].fill > 0) Submit();
  StopWriter();
  bool good = !failed_.load();
  if (good) {
    unsigned char h[kHeaderBytes];
    Header(h, rate_, dataBytes_);
    good = PwriteAll(fd_, h, sizeof h, 0);
  }
  // close() can report a deferred write error (network file systems).
  if (::close(fd_) != 0) good = false;
  fd_ = -1;
  return good;
}

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
    int count = out123_devices(lister, kSoundOutputDrivers, &names, &descr, &driver);
    bool found = count >= deviceNumber;
    if (found) device = names[deviceNumber - 1];
    if (count >= 0) out123_stringlists_free(names, descr, count);
    std::string active = driver ? driver : "";
    free(driver);
    out123_del(lister);
    if (!found) return;
    if (out123_open(ao_, active.c_str(), device.c_str()) != 0) return;
  } else if (out123_open(ao_, kSoundOutputDrivers, nullptr) != 0) {
    return;
  }
  ok_ = out123_start(ao_, rate, 2, MPG123_ENC_SIGNED_16) == 0;
}

DeviceSink::~DeviceSink() {
  if (ao_) out123_del(ao_);
}

bool DeviceSink::Write(const unsigned char* pcm, size_t bytes) {
  // out123_play may change the buffer in place (mute, byte order); the
  // decoder's buffer is refilled before it is used again, so that is safe.
  size_t played = out123_play(ao_, const_cast<unsigned char*>(pcm), bytes);
  return played == bytes;
}

bool DeviceSink::ChangeRate(long rate) {
  out123_drain(ao_);
  out123_stop(ao_);
  return out123_start(ao_, rate, 2, MPG123_ENC_SIGNED_16) == 0;
}

void DeviceSink::Pause() { out123_pause(ao_); }

void DeviceSink::Resume() { out123_continue(ao_); }

bool DeviceSink::Finish(bool interrupted) {
  if (interrupted)
    out123_drop(ao_);
  else
    out123_drain(ao_);
  out123_stop(ao_);
  out123_del(ao_);
  ao_ = nullptr;
  return true;
}
