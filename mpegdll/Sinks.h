#pragma once
// Where a playing thread puts decoded sound: 16-bit signed little-endian
// stereo frames at the stream's rate. A sink belongs to the playing thread
// that opened it; nothing else touches it.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "FileId.h"
#include "WavOutputFile.h"

class Sink {
 public:
  virtual ~Sink() = default;
  // false: the output failed (the playback ends with code 5).
  virtual bool Write(const unsigned char* pcm, size_t bytes) = 0;
  // The stream's rate changed in the middle of the stream.
  virtual bool ChangeRate(long rate) = 0;
  virtual void Pause() {}
  virtual void Resume() {}
  // The stream failed: what the sink made is not to be kept.
  virtual void Abandon() {}
  // Ends the output: `interrupted` drops what is not heard yet instead of
  // letting it play out. false: the output failed at the end.
  virtual bool Finish(bool interrupted) = 0;
};

// The PCM-file device. File format (little-endian):
//   0 "RIFF", 4 36 + data size, 8 "WAVE", 12 "fmt ", 16 16, 20 1 (PCM),
//   22 2 channels, 24 rate, 28 rate * 4, 32 4 (block align), 34 16 bits,
//   36 "data", 40 data size, 44 the frames.
// The sizes are written by Finish(). A WAV cannot hold more than 4 GiB of
// data: output past that is a write failure, never a file silently cut.
//
// The playing thread fills one of a few fixed buffers while a writer thread
// of the sink's own hands the full ones to the file, so the decoder does not
// wait for the file system. Memory stays at kSlots buffers whatever the
// stream's length. A write failure is seen by the next Write() or by
// Finish(); after it nothing more is written.
class WavFileSink : public Sink {
 public:
  // Creates the new file beside `path` (WavOutputFile::Create); an old WAV
  // there stays whole until Finish() puts the complete new one in its place.
  // On failure, Ok() is false and nothing was changed.
  WavFileSink(const std::string& path, long rate, const FileId& input);
  ~WavFileSink() override;
  bool Ok() const { return file_.IsOpen(); }
  bool Write(const unsigned char* pcm, size_t bytes) override;
  bool ChangeRate(long) override { return true; }  // the header keeps the first rate
  void Abandon() override { failed_.store(true); }
  // Where the decoder may put up to `bytes` of frames itself: a Write() of
  // frames placed there takes them without copying. Valid until the next
  // Write() or Finish(). REQUIRES: bytes <= kMaxRoom.
  unsigned char* Room(size_t bytes);
  // Waits until the writer has written everything, then writes the sizes,
  // puts the file in place of `path` and closes it: when it returns, the WAV
  // is complete. A decode whose writes failed leaves the old WAV (or none)
  // and no new file.
  bool Finish(bool interrupted) override;

  // Each buffer is written with one system call: large enough for few system
  // calls, small enough that all of them stay in the processor's cache.
  static constexpr size_t kWriteBuffer = size_t{1} << 18;
  static constexpr size_t kMaxRoom = kWriteBuffer;

 private:
  static constexpr unsigned kSlots = 3;
  struct Slot {
    std::unique_ptr<unsigned char[]> data;
    size_t fill = 0;
  };
  // Hands the slot being filled to the writer and moves to the next one,
  // waiting while all are queued.
  void Submit();
  void WriterLoop();
  void StopWriter();

  WavOutputFile file_;
  long rate_;
  uint64_t maxData_;
  uint64_t dataBytes_ = 0;
  Slot slots_[kSlots];
  std::atomic<bool> failed_{false};
  std::thread writer_;  // not joinable: the playing thread writes itself
  std::mutex m_;
  std::condition_variable queued_;  // the writer waits for work
  std::condition_variable freed_;   // the playing thread waits for a slot
  // Guarded by m_. Slots are used in turn: slot n % kSlots holds the n-th
  // buffer. submitted_ - written_ buffers wait for the writer.
  uint64_t submitted_ = 0;
  uint64_t written_ = 0;
  bool closing_ = false;
};

// The wave-mapper device, at `rate`: deviceNumber 0 is the system's default
// output, n > 0 the n-th device it lists. nullptr when none opens.
std::unique_ptr<Sink> OpenDeviceSink(int32_t deviceNumber, long rate);
