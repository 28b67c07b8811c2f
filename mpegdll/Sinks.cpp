#include "Sinks.h"

#include <fcntl.h>
#include <out123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

// The longest name and path the file systems take.
constexpr size_t kLongestName = NAME_MAX;
constexpr size_t kLongestPath = PATH_MAX - 1;

std::string RandomPart() {
  static std::atomic<uint64_t> counter{0};
  uint64_t x = (static_cast<uint64_t>(::getpid()) << 32) ^ static_cast<uint64_t>(std::time(nullptr)) ^
               (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull) ^ reinterpret_cast<uintptr_t>(&x);
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(x));
  return text;
}

// A hidden name beside `target` for the new file: "." + name + "." + random,
// the name cut (never inside a UTF-8 character) so that it fits the longest
// name and path a folder takes.
std::string HiddenBeside(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const std::string random = RandomPart();
  const size_t added = 2 + random.size();
  size_t most = kLongestName - added;
  if (folder.size() + added + name.size() > kLongestPath)
    most = std::min(most, folder.size() + added < kLongestPath ? kLongestPath - folder.size() - added : 0);
  if (name.size() > most) {
    size_t end = most;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    name.resize(end);
  }
  return folder + "." + name + "." + random;
}

// Where the new file goes: the WAV's own path, or the file a link there
// leads to, so that the link stays and leads to the new WAV. Refuses (false)
// a FIFO, a device or a folder (opening those could block or write where no
// file is), an old file without any write permission bit (read-only even for
// root), and the file the stream is read from (`input`). *mode: the old
// file's permission bits, or 0666 less the umask as for a new file.
bool OutputTarget(const std::string& path, const FileId& input, std::string* target, mode_t* mode) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) return false;
    // A link to nowhere is replaced itself.
    *target = path;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    *mode = 0666 & ~mask;
    return true;
  }
  if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
      FileId{st.st_dev, st.st_ino} == input)
    return false;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return false;
  *target = real;
  std::free(real);
  *mode = st.st_mode & 07777;
  return true;
}

// Opens the new file in the target's folder: unnamed (O_TMPFILE) where the
// file system allows it, so that it vanishes with the process however that
// ends; else under a hidden name of its own. -1: no file could be made.
int OpenNewFile(const std::string& target, mode_t mode, std::string* hidden) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd >= 0) {
    ::fchmod(fd, mode);
    return fd;
  }
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = HiddenBeside(target);
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0) {
      ::fchmod(fd, mode);
      *hidden = name;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// Gives the finished file its place: the unnamed file is linked in under a
// hidden name first, then renamed over the target in one step.
bool PutInPlace(int fd, const std::string& target, std::string* hidden) {
  if (hidden->empty()) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0;; ++attempt) {
      const std::string name = HiddenBeside(target);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        *hidden = name;
        break;
      }
      if (errno != EEXIST || attempt == 100) return false;
    }
  }
  if (::rename(hidden->c_str(), target.c_str()) != 0) return false;
  hidden->clear();
  return true;
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
  mode_t mode = 0;
  if (!OutputTarget(path, input, &target_, &mode)) return;
  fd_ = OpenNewFile(target_, mode, &hidden_);
  if (fd_ < 0) return;
  // An old WAV of that name is replaced by the rename at the end, which makes
  // the file system write the new file out first: starting the disk writes
  // of each buffer as it is written leaves that little to do.
  replacing_ = ::access(target_.c_str(), F_OK) == 0;
  for (Slot& slot : slots_) slot.data.reset(new unsigned char[kWriteBuffer]);
  Header(slots_[0].data.get(), rate_, 0);
  slots_[0].fill = kHeaderBytes;
  try {
    writer_ = std::thread([this] { WriterLoop(); });
  } catch (const std::system_error&) {
    // Without a thread to spare, the playing thread writes each buffer itself.
  }
}

WavFileSink::~WavFileSink() {
  StopWriter();
  if (fd_ >= 0) ::close(fd_);
  if (!hidden_.empty()) ::unlink(hidden_.c_str());
}

void WavFileSink::WriterLoop() {
  off_t at = 0;
  std::unique_lock<std::mutex> lock(m_);
  for (;;) {
    queued_.wait(lock, [this] { return written_ < submitted_ || closing_; });
    if (written_ == submitted_) return;
    Slot& slot = slots_[written_ % kSlots];
    lock.unlock();
    if (!failed_.load(std::memory_order_relaxed) && !WriteAll(fd_, slot.data.get(), slot.fill))
      failed_.store(true, std::memory_order_relaxed);
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
  // Only a complete WAV takes the old one's place (a stopped decode gives
  // one of what it decoded); after a failed write the old WAV, or none,
  // stays as it was.
  bool good = !failed_.load();
  if (good) {
    unsigned char h[kHeaderBytes];
    Header(h, rate_, dataBytes_);
    good = PwriteAll(fd_, h, sizeof h, 0);
  }
  good = good && PutInPlace(fd_, target_, &hidden_);
  // close() can report a deferred write error (network file systems).
  if (::close(fd_) != 0) good = false;
  fd_ = -1;
  if (!hidden_.empty()) ::unlink(hidden_.c_str());
  hidden_.clear();
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
