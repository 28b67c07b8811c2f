#include "Sinks.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

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

void Put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
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
  if (!file_.Create(path, input)) return;
  for (Slot& slot : slots_) slot.data.reset(new unsigned char[kWriteBuffer]);
  Header(slots_[0].data.get(), rate_, 0);
  slots_[0].fill = kHeaderBytes;
  try {
    writer_ = std::thread([this] { WriterLoop(); });
  } catch (const std::system_error&) {
    // Without a thread to spare, the playing thread writes each buffer itself.
  }
}

WavFileSink::~WavFileSink() { StopWriter(); }

void WavFileSink::WriterLoop() {
  uint64_t at = 0;
  std::unique_lock<std::mutex> lock(m_);
  for (;;) {
    queued_.wait(lock, [this] { return written_ < submitted_ || closing_; });
    if (written_ == submitted_) return;
    Slot& slot = slots_[written_ % kSlots];
    lock.unlock();
    if (!failed_.load(std::memory_order_relaxed) && !file_.Append(slot.data.get(), slot.fill))
      failed_.store(true, std::memory_order_relaxed);
    // An old WAV of that name is replaced at the end, which makes the file
    // system write the new file out first: starting the disk writes of each
    // buffer as it is written leaves that little to do.
    if (file_.Replacing()) file_.StartWriteOut(at, slot.fill);
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
    if (!failed_.load(std::memory_order_relaxed) && !file_.Append(slot.data.get(), slot.fill))
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
  if (!file_.IsOpen()) return false;
  if (slots_[submitted_ % kSlots].fill > 0) Submit();
  StopWriter();
  // Only a complete WAV takes the old one's place (a stopped decode gives
  // one of what it decoded); after a failed write the old WAV, or none,
  // stays as it was.
  if (failed_.load()) return false;
  unsigned char h[kHeaderBytes];
  Header(h, rate_, dataBytes_);
  return file_.WriteAt(0, h, sizeof h) && file_.PutInPlace();
}
