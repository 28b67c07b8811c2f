// A wave-audio device of the media control service: one WAV file (RIFF, RF64
// or BW64) read with libsndfile as 16-bit samples at their recorded level
// (TWavReader) and played through libout123 on a thread of the device.
//
// Positions are sample frames inside and milliseconds at the command
// interface. While playing, the position follows the wall clock from the
// moment the first block went to the output (never ahead of what was handed
// to it), and the device thread keeps only a short lead of sound queued ahead
// of that clock. Stop, pause and seek return at once; the device thread drops
// the queued sound as soon as the block it is handing over has been taken, and
// the next play re-reads the file from the position the command kept.
//
// Threads: every public member may be called from any thread; the state the
// commands and the device thread share lives under one mutex. The output
// handle is created, used and destroyed by the device thread only.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "Mci.h"

class TWavReader;
struct out123_struct;

class WaveDevice {
 public:
  // Opens the file (OpenWaveFile: never blocks, refuses what is not a
  // regular file or has a header outside its limits) and the sound output.
  // Returns 0 and the device in `out`, or the MCIERR_* code for what failed
  // (nothing is left running then).
  static MCIERROR Open(MCIDEVICEID id, const std::string& path, std::unique_ptr<WaveDevice>& out);

  // Stops playing, ends the device thread and closes the file. With
  // `notifyPending`, a pending play notification is posted as aborted;
  // without (the service going away with the program), nothing is posted.
  void Close(bool notifyPending);
  ~WaveDevice();

  WaveDevice(const WaveDevice&) = delete;
  WaveDevice& operator=(const WaveDevice&) = delete;

  // The device's commands; the MCI_OPEN / MCI_CLOSE handling is the service's.
  // `params` may be null only where the flags read nothing from it.
  MCIERROR Play(uintptr_t flags, MCI_PLAY_PARMS* params);
  MCIERROR Stop(uintptr_t flags, MCI_GENERIC_PARMS* params);
  MCIERROR Pause(uintptr_t flags, MCI_GENERIC_PARMS* params);
  MCIERROR Resume(uintptr_t flags, MCI_GENERIC_PARMS* params);
  MCIERROR Seek(uintptr_t flags, MCI_SEEK_PARMS* params);
  MCIERROR Status(uintptr_t flags, MCI_STATUS_PARMS* params);
  MCIERROR GetDevCaps(uintptr_t flags, MCI_GETDEVCAPS_PARMS* params);
  MCIERROR Set(uintptr_t flags, MCI_SET_PARMS* params);

 private:
  enum class Mode { Stopped, Playing, Paused };

  WaveDevice(MCIDEVICEID id, std::unique_ptr<TWavReader> file, int64_t frames, int rate, int channels);
  void FailLocked();
  // The end of a command that is done when it returns: with MCI_NOTIFY in
  // flags, posts MCI_NOTIFY_SUCCESSFUL to params->dwCallback. Gives 0.
  // params is read only with MCI_NOTIFY, so it may be null without.
  template <typename Params>
  MCIERROR Succeed(uintptr_t flags, const Params* params) const;

  // REQUIRES: mutex_ held.
  int64_t CurrentFrameLocked() const;
  uint32_t FramesToMs(int64_t frames) const;
  int64_t MsToFrames(uint32_t ms) const;
  void StartSegmentLocked(int64_t from, int64_t to);
  void EndSegmentLocked(Mode next);
  void ReplacePendingLocked(uintptr_t flags, uintptr_t callback);
  void FinishPendingLocked(uint32_t code);
  // With MCI_WAIT in flags, blocks until the segment under way ends and gives
  // MCIERR_HARDWARE if its output failed; 0 otherwise.
  MCIERROR WaitIfAskedLocked(uintptr_t flags, std::unique_lock<std::mutex>& lock);

  void ThreadMain(std::promise<MCIERROR>* opened);
  void RunOutput(std::unique_lock<std::mutex>& lock, out123_struct* ao);

  const MCIDEVICEID id_;
  std::unique_ptr<TWavReader> file_;  // read by the device thread only after Open
  const int64_t frames_;
  const int rate_;
  const int channels_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;  // to the device thread
  std::condition_variable done_;  // to waiting commands
  Mode mode_ = Mode::Stopped;
  int64_t pos_ = 0;        // position when not playing; segment start when playing
  int64_t end_ = 0;        // end of the range being played
  uint64_t segment_ = 0;   // changes whenever a play starts or ends
  bool anchored_ = false;  // the clock of this segment runs
  std::chrono::steady_clock::time_point anchorTime_;
  int64_t written_ = 0;  // frames handed to the output in this segment
  bool outputActive_ = false;
  bool pending_ = false;  // a play notification waits for its end
  uintptr_t pendingCallback_ = 0;
  bool quit_ = false;
  bool closed_ = false;
  uint64_t failedSegment_ = UINT64_MAX;  // the last range the output could not play
  std::thread thread_;
};
