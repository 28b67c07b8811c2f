#pragma once
// Where a playing thread puts decoded sound: 16-bit signed little-endian
// stereo frames at the stream's rate. A sink belongs to the playing thread
// that opened it; nothing else touches it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct out123_struct;

class Sink {
 public:
  virtual ~Sink() = default;
  // false: the output failed (the playback ends with code 5).
  virtual bool write(const unsigned char* pcm, size_t bytes) = 0;
  // The stream's rate changed in the middle of the stream.
  virtual bool changeRate(long rate) = 0;
  virtual void pause() {}
  virtual void resume() {}
  // Ends the output: `interrupted` drops what is not heard yet instead of
  // letting it play out. false: the output failed at the end.
  virtual bool finish(bool interrupted) = 0;
};

// The PCM-file device. File format (little-endian):
//   0 "RIFF", 4 36 + data size, 8 "WAVE", 12 "fmt ", 16 16, 20 1 (PCM),
//   22 2 channels, 24 rate, 28 rate * 4, 32 4 (block align), 34 16 bits,
//   36 "data", 40 data size, 44 the frames.
// The sizes are written by finish(); a WAV cannot hold more than 4 GiB, so
// longer output is cut there.
class WavFileSink : public Sink {
 public:
  // Creates or truncates the file. On failure, ok() is false.
  WavFileSink(const std::string& path, long rate);
  ~WavFileSink() override;
  bool ok() const { return fd_ >= 0; }
  bool write(const unsigned char* pcm, size_t bytes) override;
  bool changeRate(long) override { return true; }  // the header keeps the first rate
  bool finish(bool interrupted) override;

 private:
  bool flush();
  int fd_ = -1;
  long rate_;
  bool failed_ = false;
  uint64_t dataBytes_ = 0;
  std::vector<unsigned char> buffer_;  // filled to capacity, then one write(2)
};

// The wave-mapper device: the first libout123 driver among PulseAudio, ALSA,
// OSS and JACK that opens (libout123's own default list may wait for seconds
// on network outputs or spin forever in a fallback).
class DeviceSink : public Sink {
 public:
  // deviceNumber 0: the driver's default device; n > 0: the n-th device the
  // driver lists. On failure, ok() is false.
  DeviceSink(int32_t deviceNumber, long rate);
  ~DeviceSink() override;
  bool ok() const { return ok_; }
  bool write(const unsigned char* pcm, size_t bytes) override;
  bool changeRate(long rate) override;
  void pause() override;
  void resume() override;
  bool finish(bool interrupted) override;

  static const char* const kDrivers;

 private:
  out123_struct* ao_ = nullptr;
  bool ok_ = false;
};
