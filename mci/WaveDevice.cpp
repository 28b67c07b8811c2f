#include "WaveDevice.h"

#include <out123.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "SoundOutputDrivers.h"
#include "WavReader_sndfile.h"
#include "WaveFile.h"

namespace {

// How much sound the device thread keeps queued ahead of the clock. Stop and
// pause drop at most this much; it must stay above a block's length.
constexpr double kLeadSeconds = 0.2;

}  // namespace

MCIERROR WaveDevice::Open(MCIDEVICEID id, const std::string& path, std::unique_ptr<WaveDevice>& out) {
  std::unique_ptr<TWavReader> file;
  WaveFormat format;
  if (const MCIERROR error = OpenWaveFile(path, &file, &format)) return error;
  std::unique_ptr<WaveDevice> device(new WaveDevice(id, std::move(file), format.frames, format.rate, format.channels));
  std::promise<MCIERROR> opened;
  std::future<MCIERROR> result = opened.get_future();
  device->thread_ = std::thread(&WaveDevice::ThreadMain, device.get(), &opened);
  const MCIERROR error = result.get();
  if (error != 0) return error;  // the thread has ended; the destructor joins it
  out = std::move(device);
  return 0;
}

WaveDevice::WaveDevice(MCIDEVICEID id, std::unique_ptr<TWavReader> file, int64_t frames, int rate, int channels)
    : id_(id), file_(std::move(file)), frames_(frames), rate_(rate), channels_(channels) {}

WaveDevice::~WaveDevice() { Close(false); }

void WaveDevice::Close(bool notifyPending) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (closed_) return;
    closed_ = true;
    if (mode_ != Mode::Stopped) {
      pos_ = CurrentFrameLocked();
      EndSegmentLocked(Mode::Stopped);
    }
    if (notifyPending) {
      FinishPendingLocked(MCI_NOTIFY_ABORTED);
    } else {
      pending_ = false;
    }
    quit_ = true;
    wake_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
  file_.reset();
}

// ---- clock and segments -------------------------------------------------

int64_t WaveDevice::CurrentFrameLocked() const {
  if (mode_ != Mode::Playing || !anchored_) return pos_;
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - anchorTime_).count();
  const int64_t clock = pos_ + static_cast<int64_t>(elapsed * rate_);
  return std::min({clock, written_, end_});
}

// Saturates: a compressed file of a low rate can hold more than the 49 days
// of sound that 32-bit milliseconds count.
uint32_t WaveDevice::FramesToMs(int64_t frames) const {
  const int64_t ms = frames / rate_ * 1000 + frames % rate_ * 1000 / rate_;
  return static_cast<uint32_t>(std::min<int64_t>(ms, UINT32_MAX));
}

// Rounded up so that a position read back in milliseconds gives the same
// milliseconds; the length in milliseconds maps to the very last frame.
int64_t WaveDevice::MsToFrames(uint32_t ms) const {
  const int64_t frames = (static_cast<int64_t>(ms) * rate_ + 999) / 1000;
  return std::min(frames, frames_);
}

void WaveDevice::StartSegmentLocked(int64_t from, int64_t to) {
  pos_ = from;
  end_ = to;
  written_ = from;
  anchored_ = false;
  mode_ = Mode::Playing;
  ++segment_;
  wake_.notify_all();
  done_.notify_all();
}

void WaveDevice::EndSegmentLocked(Mode next) {
  mode_ = next;
  anchored_ = false;
  ++segment_;
  wake_.notify_all();
  done_.notify_all();
}

void WaveDevice::FailLocked() {
  failedSegment_ = segment_;
  pos_ = CurrentFrameLocked();
  EndSegmentLocked(Mode::Stopped);
  FinishPendingLocked(MCI_NOTIFY_FAILURE);
}

// A new range (or a seek) replaces the one whose end was awaited: its
// notification is superseded. Only stop and close abort it.
void WaveDevice::ReplacePendingLocked(uintptr_t flags, uintptr_t callback) {
  FinishPendingLocked(MCI_NOTIFY_SUPERSEDED);
  if (flags & MCI_NOTIFY) {
    pending_ = true;
    pendingCallback_ = callback;
  }
}

void WaveDevice::FinishPendingLocked(uint32_t code) {
  if (!pending_) return;
  pending_ = false;
  PostMciNotify(pendingCallback_, code, id_);
}

template <typename Params>
MCIERROR WaveDevice::Succeed(uintptr_t flags, const Params* params) const {
  if (flags & MCI_NOTIFY) PostMciNotify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL, id_);
  return 0;
}

MCIERROR WaveDevice::WaitIfAskedLocked(uintptr_t flags, std::unique_lock<std::mutex>& lock) {
  if (!(flags & MCI_WAIT)) return 0;
  const uint64_t mine = segment_;
  done_.wait(lock, [&] { return segment_ != mine; });
  return failedSegment_ == mine ? MCIERR_HARDWARE : 0;
}

// ---- the device thread --------------------------------------------------

void WaveDevice::ThreadMain(std::promise<MCIERROR>* opened) {
  out123_handle* ao = out123_new();
  if (!ao) {
    opened->set_value(MCIERR_OUT_OF_MEMORY);
    return;
  }
  out123_param_int(ao, OUT123_FLAGS, OUT123_QUIET);
  if (out123_open(ao, kSoundOutputDrivers, nullptr) != OUT123_OK) {
    out123_del(ao);
    opened->set_value(MCIERR_HARDWARE);
    return;
  }
  const int encodings = out123_encodings(ao, rate_, channels_);
  if (encodings < 0) {
    out123_del(ao);
    opened->set_value(MCIERR_HARDWARE);
    return;
  }
  if ((encodings & MPG123_ENC_SIGNED_16) != MPG123_ENC_SIGNED_16) {
    out123_del(ao);
    opened->set_value(MCIERR_WAVE_OUTPUTSUNSUITABLE);
    return;
  }
  opened->set_value(0);

  std::unique_lock<std::mutex> lock(mutex_);
  RunOutput(lock, ao);
  lock.unlock();
  out123_del(ao);
}

void WaveDevice::RunOutput(std::unique_lock<std::mutex>& lock, out123_handle* ao) {
  using Clock = std::chrono::steady_clock;
  const auto frameTime = [this](int64_t frames) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(double(frames) / rate_));
  };
  const int64_t block = WaveBlockFrames(rate_);
  const int64_t lead = static_cast<int64_t>(rate_ * kLeadSeconds);
  std::vector<int16_t> buffer(static_cast<size_t>(block * channels_));
  uint64_t mine = segment_ - 1;
  const auto changed = [&] { return quit_ || mine != segment_ || mode_ != Mode::Playing; };

  while (!quit_) {
    if (mode_ != Mode::Playing) {
      if (outputActive_) {
        lock.unlock();
        out123_drop(ao);
        out123_stop(ao);
        lock.lock();
        outputActive_ = false;
        done_.notify_all();
      } else {
        wake_.wait(lock);
      }
      continue;
    }
    if (mine != segment_) {
      mine = segment_;
      const int64_t from = pos_;
      const bool dropOld = outputActive_;
      lock.unlock();
      if (dropOld) out123_drop(ao);
      const sf_count_t at = sf_seek(file_->File(), from, SEEK_SET);
      lock.lock();
      if (changed()) continue;
      if (at != from) {
        FailLocked();
        continue;
      }
    }
    if (!outputActive_) {
      lock.unlock();
      const int rc = out123_start(ao, rate_, channels_, MPG123_ENC_SIGNED_16);
      lock.lock();
      if (rc != OUT123_OK) {
        if (!changed()) FailLocked();
        continue;
      }
      outputActive_ = true;
      if (changed()) continue;
    }
    if (written_ >= end_) {
      // Everything is queued: let the clock reach the end, then let the
      // output play out what it still holds.
      if (anchored_) {
        const auto endTime = anchorTime_ + frameTime(end_ - pos_);
        if (Clock::now() < endTime) {
          wake_.wait_until(lock, endTime);
          continue;
        }
      }
      lock.unlock();
      out123_drain(ao);
      lock.lock();
      if (changed()) continue;
      pos_ = end_;
      EndSegmentLocked(Mode::Stopped);
      FinishPendingLocked(MCI_NOTIFY_SUCCESSFUL);
      continue;
    }
    if (anchored_) {
      const int64_t clock =
          pos_ + static_cast<int64_t>(std::chrono::duration<double>(Clock::now() - anchorTime_).count() * rate_);
      if (written_ - clock > lead) {
        wake_.wait_until(lock, anchorTime_ + frameTime(written_ - lead / 2 - pos_));
        continue;
      }
    } else {
      anchored_ = true;
      anchorTime_ = Clock::now();
    }
    const int64_t count = std::min(block, end_ - written_);
    lock.unlock();
    const sf_count_t got = file_->ReadFrames16(buffer.data(), count);
    const size_t bytes = got > 0 ? static_cast<size_t>(got) * channels_ * sizeof(int16_t) : 0;
    const size_t played = bytes ? out123_play(ao, buffer.data(), bytes) : 0;
    lock.lock();
    if (changed()) continue;
    if (got != count || played != bytes) {
      FailLocked();
      continue;
    }
    written_ += count;
  }
  if (outputActive_) {
    lock.unlock();
    out123_drop(ao);
    out123_stop(ao);
    lock.lock();
    outputActive_ = false;
    done_.notify_all();
  }
}

// ---- commands -----------------------------------------------------------

MCIERROR WaveDevice::Play(uintptr_t flags, MCI_PLAY_PARMS* params) {
  if (!params && (flags & (MCI_NOTIFY | MCI_FROM | MCI_TO))) return MCIERR_NULL_PARAMETER_BLOCK;
  std::unique_lock<std::mutex> lock(mutex_);
  if (closed_) return MCIERR_INVALID_DEVICE_ID;
  const uint32_t lengthMs = FramesToMs(frames_);
  if ((flags & MCI_FROM) && params->dwFrom > lengthMs) return MCIERR_OUTOFRANGE;
  if ((flags & MCI_TO) && params->dwTo > lengthMs) return MCIERR_OUTOFRANGE;
  const int64_t from = (flags & MCI_FROM) ? MsToFrames(params->dwFrom) : CurrentFrameLocked();
  const int64_t to = (flags & MCI_TO) ? MsToFrames(params->dwTo) : frames_;
  if (from > to) return MCIERR_OUTOFRANGE;
  ReplacePendingLocked(flags, params ? params->dwCallback : 0);
  StartSegmentLocked(from, to);
  return WaitIfAskedLocked(flags, lock);
}

MCIERROR WaveDevice::Stop(uintptr_t flags, MCI_GENERIC_PARMS* params) {
  if (!params && (flags & MCI_NOTIFY)) return MCIERR_NULL_PARAMETER_BLOCK;
  std::unique_lock<std::mutex> lock(mutex_);
  if (closed_) return MCIERR_INVALID_DEVICE_ID;
  if (mode_ != Mode::Stopped) {
    pos_ = CurrentFrameLocked();
    EndSegmentLocked(Mode::Stopped);
  }
  FinishPendingLocked(MCI_NOTIFY_ABORTED);
  return Succeed(flags, params);
}

MCIERROR WaveDevice::Pause(uintptr_t flags, MCI_GENERIC_PARMS* params) {
  if (!params && (flags & MCI_NOTIFY)) return MCIERR_NULL_PARAMETER_BLOCK;
  std::unique_lock<std::mutex> lock(mutex_);
  if (closed_) return MCIERR_INVALID_DEVICE_ID;
  if (mode_ == Mode::Playing) {
    pos_ = CurrentFrameLocked();
    EndSegmentLocked(Mode::Paused);
  }
  return Succeed(flags, params);
}

// Resuming continues the paused range to its end; with MCI_NOTIFY the
// notification comes when that range ends, like a play's.
MCIERROR WaveDevice::Resume(uintptr_t flags, MCI_GENERIC_PARMS* params) {
  if (!params && (flags & MCI_NOTIFY)) return MCIERR_NULL_PARAMETER_BLOCK;
  std::unique_lock<std::mutex> lock(mutex_);
  if (closed_) return MCIERR_INVALID_DEVICE_ID;
  if (mode_ == Mode::Stopped) return MCIERR_NONAPPLICABLE_FUNCTION;
  if (flags & MCI_NOTIFY) ReplacePendingLocked(flags, params->dwCallback);
  if (mode_ == Mode::Paused) StartSegmentLocked(pos_, end_);
  return WaitIfAskedLocked(flags, lock);
}

MCIERROR WaveDevice::Seek(uintptr_t flags, MCI_SEEK_PARMS* params) {
  if (!params && (flags & (MCI_NOTIFY | MCI_TO))) return MCIERR_NULL_PARAMETER_BLOCK;
  const int targets = !!(flags & MCI_SEEK_TO_START) + !!(flags & MCI_SEEK_TO_END) + !!(flags & MCI_TO);
  if (targets == 0) return MCIERR_MISSING_PARAMETER;
  if (targets > 1) return MCIERR_FLAGS_NOT_COMPATIBLE;
  std::unique_lock<std::mutex> lock(mutex_);
  if (closed_) return MCIERR_INVALID_DEVICE_ID;
  int64_t target = 0;
  if (flags & MCI_SEEK_TO_END) {
    target = frames_;
  } else if (flags & MCI_TO) {
    if (params->dwTo > FramesToMs(frames_)) return MCIERR_OUTOFRANGE;
    target = MsToFrames(params->dwTo);
  }
  if (mode_ != Mode::Stopped) EndSegmentLocked(Mode::Stopped);
  FinishPendingLocked(MCI_NOTIFY_SUPERSEDED);
  pos_ = target;
  return Succeed(flags, params);
}

MCIERROR WaveDevice::Status(uintptr_t flags, MCI_STATUS_PARMS* params) {
  if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
  if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
  std::unique_lock<std::mutex> lock(mutex_);
  if (closed_) return MCIERR_INVALID_DEVICE_ID;
  const bool track = flags & MCI_TRACK;
  if (track && params->dwTrack != 1) return MCIERR_OUTOFRANGE;
  uintptr_t value = 0;
  switch (params->dwItem) {
    case MCI_STATUS_LENGTH:
      value = FramesToMs(frames_);
      break;
    case MCI_STATUS_POSITION:
      value = (track || (flags & MCI_STATUS_START)) ? 0 : FramesToMs(CurrentFrameLocked());
      break;
    case MCI_STATUS_NUMBER_OF_TRACKS:
    case MCI_STATUS_CURRENT_TRACK:
      value = 1;
      break;
    case MCI_STATUS_MODE:
      value = mode_ == Mode::Playing ? MCI_MODE_PLAY : mode_ == Mode::Paused ? MCI_MODE_PAUSE : MCI_MODE_STOP;
      break;
    case MCI_STATUS_MEDIA_PRESENT:
    case MCI_STATUS_READY:
      value = 1;
      break;
    case MCI_STATUS_TIME_FORMAT:
      value = MCI_FORMAT_MILLISECONDS;
      break;
    default:
      return MCIERR_UNSUPPORTED_FUNCTION;
  }
  params->dwReturn = value;
  return Succeed(flags, params);
}

MCIERROR WaveDevice::GetDevCaps(uintptr_t flags, MCI_GETDEVCAPS_PARMS* params) {
  if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
  if (!(flags & MCI_GETDEVCAPS_ITEM)) return MCIERR_MISSING_PARAMETER;
  uint32_t value = 0;
  switch (params->dwItem) {
    case MCI_GETDEVCAPS_CAN_PLAY:
    case MCI_GETDEVCAPS_HAS_AUDIO:
    case MCI_GETDEVCAPS_USES_FILES:
    case MCI_GETDEVCAPS_COMPOUND_DEVICE:
      value = 1;
      break;
    case MCI_GETDEVCAPS_CAN_RECORD:
    case MCI_GETDEVCAPS_HAS_VIDEO:
    case MCI_GETDEVCAPS_CAN_EJECT:
    case MCI_GETDEVCAPS_CAN_SAVE:
      value = 0;
      break;
    case MCI_GETDEVCAPS_DEVICE_TYPE:
      value = MCI_DEVTYPE_WAVEFORM_AUDIO;
      break;
    default:
      return MCIERR_UNSUPPORTED_FUNCTION;
  }
  params->dwReturn = value;
  return Succeed(flags, params);
}

MCIERROR WaveDevice::Set(uintptr_t flags, MCI_SET_PARMS* params) {
  if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
  if (flags & (MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED | MCI_SET_AUDIO | MCI_SET_VIDEO | MCI_SET_ON | MCI_SET_OFF))
    return MCIERR_UNSUPPORTED_FUNCTION;
  if (!(flags & MCI_SET_TIME_FORMAT)) return MCIERR_MISSING_PARAMETER;
  if (params->dwTimeFormat != MCI_FORMAT_MILLISECONDS) return MCIERR_BAD_TIME_FORMAT;
  return Succeed(flags, params);
}
