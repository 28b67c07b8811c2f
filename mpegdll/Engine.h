#pragma once
// The library's one state object: created by "init", destroyed by "deinit".
// It owns the open stream (the decoder with its input: the named file or the
// caller's callback source) and at most one playback (a playing thread that
// owns its output). The contract of each entry is described in mpegdll.h;
// the rules here are the same on every system, only the decoder (Decoder.h)
// and the sound output (Sinks.h) are the system's.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "CallbackSource.h"
#include "mpegdll.h"

class Engine {
 public:
  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Starts an entry: the error code becomes 0, or the error a finished
  // playback left behind. Every entry but LastError calls it first.
  void BeginCall();
  void Fail(int32_t code) { error_.store(code, std::memory_order_relaxed); }

  void Open(const char* name, int32_t sourceFlag, const StreamCallbacks& callbacks);
  void Pause(int32_t flag);
  void Restart();
  void Stop();
  void SetPriority(int32_t priority);
  void SetOutputDevice(int32_t device, const char* fileName);
  int32_t Play(int32_t startMs, int32_t endMs, uint8_t* endFlag);
  void Close();
  int32_t PlayerMode() const { return mode_.load(std::memory_order_acquire); }
  // While a PCM-file decode runs, a caller polling back to back (the MP3
  // command does) would take the processor from the decoder: then a call
  // that finds the position where the previous call left it sleeps 1 ms.
  int32_t CurrentPos();
  int32_t Length();
  bool ResetPlayerMode();
  void SetSndDevice(int32_t device);
  int32_t LastError() const { return error_.load(std::memory_order_relaxed); }
  int32_t Frequency();
  int32_t Bitrate();
  int32_t StereoMode();
  int32_t Layer();
  void Seek(int32_t ms);

 private:
  struct Stream;
  struct Playback;
  struct PlayParams;

  int32_t StartPlayback();
  // Asks a running playback to end and waits for its thread.
  void EndPlayback();
  void PlayLoop(Playback* pb, const PlayParams& p);
  int32_t ToMs(int64_t samples) const;
  int64_t ToSamples(int32_t ms) const;

  std::mutex api_;  // serialises the entries that change state
  std::unique_ptr<Stream> stream_;
  std::unique_ptr<Playback> playback_;

  int32_t priority_ = 0;
  int32_t device_ = MPEGDLL_DEVICE_WAVEMAPPER;
  std::string fileName_;
  int32_t sndDevice_ = 0;

  // Polled back to back by the caller while the playing thread updates them:
  // kept on cache lines of their own.
  alignas(64) std::atomic<int32_t> pos_{-1};
  alignas(64) std::atomic<int32_t> mode_{MPEGDLL_MODE_CLOSED};
  std::atomic<int32_t> pending_{0};  // error left by the playing thread
  std::atomic<bool> fileDecoding_{false};
  int32_t lastPolledPos_ = -1;  // caller's thread only
  alignas(64) std::atomic<int32_t> error_{0};
};
