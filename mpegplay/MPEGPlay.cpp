#include "MPEGPlay.h"

#include <cstdio>
#include <exception>
#include <iterator>

#include "MpegLibrary.h"
#include "Ticker.h"

static_assert(TMPEGPlayer::kModePlaying == MPEGDLL_MODE_PLAYING, "the player names the library's playing mode");

static_assert(std::atomic<uint8_t>::is_always_lock_free, "the end flag is shared with the library's thread");
static_assert(sizeof(std::atomic<uint8_t>) == sizeof(uint8_t), "the library writes the end flag as one byte");

namespace {

constexpr int32_t kSourceFile = 0;
constexpr int32_t kSourceStream = 1;

// Thread priority levels of the library's playing thread, by TPlayPriority.
constexpr int32_t kPriorityValues[] = {-15, -2, -1, 0, 1, 2, 15};

[[noreturn]] void RaiseNotLoaded() { throw TMPEGError(MPEGErrorMessage(0), kMPEGNotLoadedCode); }
[[noreturn]] void RaiseIncorrectMode() {
  throw TMPEGError(MPEGErrorMessage(kMPEGIncorrectModeCode), kMPEGIncorrectModeCode);
}

TMPEGPlayer& PlayerOf(void* user) { return *static_cast<TMPEGPlayer*>(user); }

// Boolean parameters are the library's own one-byte variables. The handler
// gets a bool; the byte is written back only when the handler changed the
// value, so an untouched variable keeps exactly what it held.
class TBoolRef {
 public:
  explicit TBoolRef(MpegBool* byte) : byte_(byte), value_(*byte != 0), original_(value_) {}
  bool& Value() { return value_; }
  void WriteBack() {
    if (value_ != original_) *byte_ = value_ ? 1 : 0;
  }

 private:
  MpegBool* byte_;
  bool value_;
  bool original_;
};

// The stream callbacks run on the library's thread inside C code, so nothing
// may leave them: a handler that throws counts as a failed request and the
// library gets the answer it would get with no handler assigned.

// Runs call when handler is assigned. False when it is not or call threw, so
// that the caller gives the library its answer for a failed request.
template <typename Handler, typename Call>
bool RanHandler(const Handler& handler, Call call) {
  if (!handler) return false;
  try {
    call();
    return true;
  } catch (...) {
    return false;
  }
}

void OpenStreamCallback(void* user, MpegBool* nonseekable, void** context) {
  TMPEGPlayer& player = PlayerOf(user);
  const bool ran = RanHandler(player.OnOpenStream, [&] {
    TBoolRef ns(nonseekable);
    void* ctx = *context;
    player.OnOpenStream(ns.Value(), ctx);
    ns.WriteBack();
    *context = ctx;
  });
  if (!ran) *context = nullptr;
}

void CloseStreamCallback(void* user, void* context) {
  TMPEGPlayer& player = PlayerOf(user);
  RanHandler(player.OnCloseStream, [&] { player.OnCloseStream(context); });
}

void RestartStreamCallback(void* user, void* context, MpegBool* res) {
  TMPEGPlayer& player = PlayerOf(user);
  const bool ran = RanHandler(player.OnRestartStream, [&] {
    TBoolRef r(res);
    player.OnRestartStream(context, r.Value());
    r.WriteBack();
  });
  if (!ran) *res = 0;
}

void ReadStreamCallback(void* user, void* context, void* buffer, int32_t bytesToRead, int32_t* bytesRead,
                        MpegBool* res) {
  TMPEGPlayer& player = PlayerOf(user);
  const bool ran = RanHandler(player.OnReadStream, [&] {
    TBoolRef r(res);
    player.OnReadStream(context, buffer, bytesToRead, *bytesRead, r.Value());
    r.WriteBack();
  });
  if (!ran) *res = 0;
}

void SeekStreamCallback(void* user, void* context, int32_t numbytes, int32_t moveMethod, int32_t* res) {
  TMPEGPlayer& player = PlayerOf(user);
  const bool ran = RanHandler(player.OnSeekStream, [&] { player.OnSeekStream(context, numbytes, moveMethod, *res); });
  if (!ran) *res = -1;
}

void GetStreamSizeCallback(void* user, void* context, int32_t* res) {
  TMPEGPlayer& player = PlayerOf(user);
  const bool ran = RanHandler(player.OnGetStreamSize, [&] { player.OnGetStreamSize(context, *res); });
  if (!ran) *res = -1;
}

}  // namespace

TMPEGPlayer::TMPEGPlayer() : lib_(std::make_unique<TMpegLibrary>()) {}

TMPEGPlayer::~TMPEGPlayer() {
  // A second attempt finishes the unloading when closing the stream failed
  // (Close clears the player's flags before it reports).
  for (int attempt = 0; attempt < 2 && Loaded(); ++attempt) {
    try {
      UnloadDLL();
    } catch (...) {
    }
  }
}

bool TMPEGPlayer::Loaded() const { return lib_->Loaded(); }

void TMPEGPlayer::CheckLoaded() const {
  if (!Loaded()) RaiseNotLoaded();
}

int32_t TMPEGPlayer::QueryLastError() { return lib_->LastError(); }

void TMPEGPlayer::CheckError() {
  lastErrorCode_ = QueryLastError();
  if (lastErrorCode_ > 0) throw TMPEGError::FromCode(lastErrorCode_);
}

// ---- Properties

TPlayPriority TMPEGPlayer::PlayerPriority() const {
  for (int i = 0; i < static_cast<int>(std::size(kPriorityValues)); ++i)
    if (kPriorityValues[i] == priorityValue_) return static_cast<TPlayPriority>(i);
  return TPlayPriority::Normal;
}

void TMPEGPlayer::SetPlayerPriority(TPlayPriority v) {
  const auto index = static_cast<size_t>(v);
  priorityValue_ = index < std::size(kPriorityValues) ? kPriorityValues[index] : 0;
  if (Loaded()) {
    lib_->SetPriority(priorityValue_);
    CheckError();
  }
}

void TMPEGPlayer::SetTimerFreq(int32_t v) {
  timerFreq_ = v;
  if (v == 0) useTimer_ = false;
}

void TMPEGPlayer::SetStreamName(const std::string& v) {
  streamName_ = v;
  if (opened_) Close();
}

TOutputDevice TMPEGPlayer::OutputDevice() const {
  return deviceCode_ == MPEGDLL_DEVICE_WAVEMAPPER ? TOutputDevice::wavemapper : TOutputDevice::pcmfile;
}

void TMPEGPlayer::SetOutputDevice(TOutputDevice v) {
  deviceCode_ = v == TOutputDevice::pcmfile ? MPEGDLL_DEVICE_PCMFILE : MPEGDLL_DEVICE_WAVEMAPPER;
}

// ---- Loading

void TMPEGPlayer::LoadDLL() {
  // A second load must not unmap a library that still plays into our flag.
  if (Loaded()) UnloadDLL();
  switch (lib_->Load(TMpegLibrary::FilePath(pathToDLL_))) {
    case TMpegLibrary::TLoadResult::CannotLoad:
      throw TMPEGError(kMPEGCannotLoad, kMPEGNotLoadedCode);
    case TMpegLibrary::TLoadResult::EntryMissing:
      RaiseNotLoaded();
    case TMpegLibrary::TLoadResult::Loaded:
      break;
  }
  if (!lib_->init()) {
    lastErrorCode_ = QueryLastError();
    lib_->Unload();
    throw TMPEGError::FromCode(lastErrorCode_);
  }
  positionTimer_ = MakeTicker([this] { RunTick(); });
  // An interval of 0 means the timer never ticks, so StartTimer leaves such
  // a timer stopped.
  positionTimer_->SetInterval(useTimer_ && timerFreq_ > 0 ? timerFreq_ : 0);
  streamLength_ = 0;
}

void TMPEGPlayer::UnloadDLL() {
  if (!Loaded()) return;
  if (opened_) Close();
  lib_->deinit();
  lib_->Unload();
}

// ---- Stream operations

void TMPEGPlayer::Open() {
  CheckLoaded();
  if (opened_) Close();
  opened_ = false;
  if (fromStream_) {
    lib_->Open(nullptr, kSourceStream, OpenStreamCallback, CloseStreamCallback, RestartStreamCallback,
               ReadStreamCallback, SeekStreamCallback, GetStreamSizeCallback, this);
    CheckError();
  } else {
    if (streamName_.empty()) throw TMPEGError(kMPEGNoStream, kMPEGNoStreamCode);
    // The whole name goes to the library, however long.
    lib_->Open(streamName_.c_str(), kSourceFile, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    CheckError();
  }
  opened_ = true;
  playedXTimes_ = 1;
  streamLength_ = GetLength();
  if (autoPlay_) Play();
}

void TMPEGPlayer::Play() {
  CheckLoaded();
  if (paused_) {
    Pause(false);
    return;
  }
  if (playing_) return;
  if (!opened_) {
    Open();
    // With AutoPlay, Open has already started the stream; restarting it at
    // once would only throw away what has been played.
    if (!opened_ || playing_) return;
  }
  if (playedXTimes_ > 1) {
    Restart();
    return;
  }
  lib_->SetPriority(priorityValue_);
  CheckError();
  lib_->SetOutputDevice(deviceCode_, outFilename_.c_str());
  CheckError();
  SetSoundDevice(waveDeviceNum_);
  // No playback runs yet: an end flag left over from an earlier stream must
  // not make this one look ended.
  playEnded_.store(0);
  const int32_t started = lib_->Play(startPos_, endPos_, reinterpret_cast<uint8_t*>(&playEnded_));
  lastErrorCode_ = QueryLastError();
  if (lastErrorCode_ > 0 || started != 0) throw TMPEGError::FromCode(lastErrorCode_);
  playing_ = true;
  ++playedXTimes_;
  StartTimer();
}

void TMPEGPlayer::SetSoundDevice(int32_t Num) {
  CheckLoaded();
  lib_->SetSndDevice(Num);
  CheckError();
}

void TMPEGPlayer::Pause(bool Value) {
  CheckLoaded();
  if (!playing_ || playEnded_.load() != 0) {
    paused_ = false;
    if (Value) RaiseIncorrectMode();
    return;
  }
  lib_->Pause(Value ? 0 : 1);
  CheckError();
  paused_ = Value;
}

void TMPEGPlayer::Stop() {
  // The mode is checked before the loaded check: stopping an unloaded player
  // is a wrong mode first.
  if (!playing_ || playEnded_.load() != 0) RaiseIncorrectMode();
  CheckLoaded();
  lib_->Stop();
  CheckError();
  playing_ = false;
  paused_ = false;
}

void TMPEGPlayer::Restart() {
  CheckLoaded();
  if (!opened_) RaiseIncorrectMode();
  playEnded_.store(0);
  lib_->Restart();
  CheckError();
  playing_ = true;
  ++playedXTimes_;
  StartTimer();
}

void TMPEGPlayer::Close() {
  CheckLoaded();
  opened_ = false;
  paused_ = false;
  playing_ = false;
  playedXTimes_ = 0;
  lib_->Close();
  CheckError();
}

int32_t TMPEGPlayer::GetPlayerMode() {
  CheckLoaded();
  const int32_t mode = lib_->GetPlayerMode();
  CheckError();
  return mode;
}

int32_t TMPEGPlayer::GetCurrentPos() {
  CheckLoaded();
  const int32_t pos = lib_->GetCurrentPos();
  CheckError();
  return pos;
}

int32_t TMPEGPlayer::GetLength() {
  CheckLoaded();
  const int32_t length = lib_->GetLength();
  CheckError();
  return length;
}

bool TMPEGPlayer::ResetPlayerMode() {
  CheckLoaded();
  if (playEnded_.load() == 0) return false;
  const bool reset = lib_->ResetPlayerMode();
  CheckError();
  playing_ = false;
  return reset;
}

// ---- Position timer

void TMPEGPlayer::StartTimer() {
  if (!useTimer_ || !positionTimer_ || positionTimer_->Interval() == 0) return;
  positionTimer_->Start();
  TimerTick(this);
}

void TMPEGPlayer::RunTick() {
  const auto tick = [this] { TimerTick(positionTimer_.get()); };
  if (timerGuard_) {
    timerGuard_(tick);
    return;
  }
  try {
    tick();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "unknown error in the position timer\n");
  }
}

void TMPEGPlayer::TimerTick(void* /*Sender*/) {
  if (!opened_ || !playing_) {
    if (positionTimer_) positionTimer_->Stop();
    return;
  }
  int32_t pos = GetCurrentPos();
  if (pos > streamLength_) pos = 0;
  if (OnPosUpdate) OnPosUpdate(pos, streamLength_);
  if (playEnded_.load() != 0) {
    if (positionTimer_) positionTimer_->Stop();
    playing_ = false;
    if (OnPlayEnd) {
      playEnded_.store(0);
      OnPlayEnd(this);
    }
  }
}
