// The wave-mapper device on waveOut: device 0 is the wave mapper (the
// system's default output), n > 0 the n-th device waveOut lists. A few short
// buffers are queued at a time, so that the sound starts at once and a
// pause or a stop is heard at once; Write waits for one to come back.

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "Sinks.h"

namespace {

constexpr unsigned kBuffers = 4;
constexpr unsigned kBufferMs = 100;
// A device that gives no buffer back for this long has stopped: the output
// fails rather than holding the playing thread for ever.
constexpr DWORD kStalledMs = 5000;

class WaveOutSink : public Sink {
 public:
  WaveOutSink(UINT device, long rate);
  ~WaveOutSink() override;
  bool Ok() const { return out_ != nullptr; }
  bool Write(const unsigned char* pcm, size_t bytes) override;
  bool ChangeRate(long rate) override;
  void Pause() override;
  void Resume() override;
  bool Finish(bool interrupted) override;

 private:
  bool Open(long rate);
  void Close();
  // The buffer is in the device's queue (its flags are the device's to set).
  bool Queued(unsigned i) const {
    return (reinterpret_cast<const volatile DWORD&>(headers_[i].dwFlags) & WHDR_INQUEUE) != 0;
  }
  // Waits until buffer `i` is back; false when the device stalled.
  bool WaitFree(unsigned i);
  bool Submit();
  bool Drain();

  UINT device_;
  HANDLE done_ = nullptr;  // set by the device each time a buffer comes back
  HWAVEOUT out_ = nullptr;
  size_t bufferBytes_ = 0;
  std::vector<unsigned char> memory_[kBuffers];
  WAVEHDR headers_[kBuffers] = {};
  unsigned next_ = 0;  // the buffer being filled
  size_t fill_ = 0;
  bool paused_ = false;
  bool failed_ = false;
};

WaveOutSink::WaveOutSink(UINT device, long rate) : device_(device) {
  done_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (done_ && !Open(rate)) Close();
}

WaveOutSink::~WaveOutSink() {
  Close();
  if (done_) CloseHandle(done_);
}

bool WaveOutSink::Open(long rate) {
  if (rate <= 0 || rate > 1000000) return false;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = format.nSamplesPerSec * 4;
  if (waveOutOpen(&out_, device_, &format, reinterpret_cast<DWORD_PTR>(done_), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    out_ = nullptr;
    return false;
  }
  bufferBytes_ = (static_cast<size_t>(rate) * kBufferMs / 1000) * 4;
  if (bufferBytes_ == 0) bufferBytes_ = 4;
  for (unsigned i = 0; i < kBuffers; ++i) {
    memory_[i].assign(bufferBytes_, 0);
    headers_[i] = WAVEHDR{};
    headers_[i].lpData = reinterpret_cast<LPSTR>(memory_[i].data());
    headers_[i].dwBufferLength = static_cast<DWORD>(bufferBytes_);
    if (waveOutPrepareHeader(out_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
  }
  next_ = 0;
  fill_ = 0;
  return true;
}

// Every buffer comes back at once after a reset, so none is in use when it
// is unprepared and the device closed.
void WaveOutSink::Close() {
  if (!out_) return;
  waveOutReset(out_);
  for (WAVEHDR& header : headers_)
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(out_, &header, sizeof(WAVEHDR));
  waveOutClose(out_);
  out_ = nullptr;
}

bool WaveOutSink::WaitFree(unsigned i) {
  while (Queued(i)) {
    // Paused, the device gives nothing back, and only the playing thread
    // itself can resume it: waiting would never end.
    if (paused_) return false;
    if (WaitForSingleObject(done_, kStalledMs) != WAIT_OBJECT_0 && Queued(i)) return false;
  }
  return true;
}

bool WaveOutSink::Submit() {
  WAVEHDR& header = headers_[next_];
  header.dwBufferLength = static_cast<DWORD>(fill_);
  if (waveOutWrite(out_, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
  next_ = (next_ + 1) % kBuffers;
  fill_ = 0;
  return true;
}

bool WaveOutSink::Write(const unsigned char* pcm, size_t bytes) {
  if (failed_ || !out_) return false;
  while (bytes > 0) {
    if (fill_ == 0 && !WaitFree(next_)) break;
    const size_t n = bufferBytes_ - fill_ < bytes ? bufferBytes_ - fill_ : bytes;
    std::memcpy(memory_[next_].data() + fill_, pcm, n);
    fill_ += n;
    pcm += n;
    bytes -= n;
    if (fill_ == bufferBytes_ && !Submit()) break;
  }
  // What was not taken is lost: the output has failed.
  failed_ = bytes > 0;
  return !failed_;
}

// What is filled is queued, then every buffer is waited for.
bool WaveOutSink::Drain() {
  if (failed_ || !out_) return false;
  if (paused_) {
    waveOutRestart(out_);
    paused_ = false;
  }
  if (fill_ > 0 && !Submit()) return false;
  for (unsigned i = 0; i < kBuffers; ++i)
    if (!WaitFree(i)) return false;
  return true;
}

// waveOut takes one format per opening: the device is drained, closed and
// opened again at the new rate.
bool WaveOutSink::ChangeRate(long rate) {
  const bool drained = Drain();
  Close();
  if (!drained || !Open(rate)) {
    Close();
    failed_ = true;
    return false;
  }
  return true;
}

void WaveOutSink::Pause() {
  if (out_ && waveOutPause(out_) == MMSYSERR_NOERROR) paused_ = true;
}

void WaveOutSink::Resume() {
  if (out_ && paused_ && waveOutRestart(out_) == MMSYSERR_NOERROR) paused_ = false;
}

bool WaveOutSink::Finish(bool interrupted) {
  const bool good = interrupted ? !failed_ && out_ : Drain();
  Close();
  return good;
}

}  // namespace

std::unique_ptr<Sink> OpenDeviceSink(int32_t deviceNumber, long rate) {
  UINT device = WAVE_MAPPER;
  if (deviceNumber > 0) {
    if (static_cast<UINT>(deviceNumber) > waveOutGetNumDevs()) return nullptr;
    device = static_cast<UINT>(deviceNumber - 1);
  }
  auto sink = std::make_unique<WaveOutSink>(device, rate);
  if (!sink->Ok()) return nullptr;
  return sink;
}
