#include "Engine.h"

#include <chrono>
#include <climits>
#include <cstring>
#include <system_error>

#include "Decoder.h"
#include "NamedInput.h"
#include "Sinks.h"
#include "ThreadPriority.h"

struct Engine::Stream {
  std::unique_ptr<MpegDecoder> decoder;
  FileId fileId;  // the named file's identity
  // The range and end flag of "Play", kept for "Restart".
  bool played = false;
  int32_t startMs = 0;
  int32_t endMs = 0;
  uint8_t* endFlag = nullptr;
};

struct Engine::Playback {
  std::thread thread;
  std::mutex m;
  std::condition_variable cv;
  bool started = false;  // guarded by m: the output is open or has failed
  int32_t startError = 0;
  std::atomic<bool> stop{false};
  std::atomic<bool> paused{false};
  std::atomic<int64_t> seekTo{-1};
};

struct Engine::PlayParams {
  MpegDecoder* decoder;
  long rate;
  int32_t device;
  std::string fileName;
  int32_t sndDevice;
  int32_t priority;
  int64_t startSample;
  int64_t endSample;  // -1: to the end of the stream
  uint8_t* endFlag;
  FileId input;  // the named file the stream is read from
};

namespace {

void StoreFlag(uint8_t* flag, uint8_t value) {
  if (flag) __atomic_store_n(flag, value, __ATOMIC_RELEASE);
}

// A WAV file (RIFF, RF64 or BW64) that holds anything but MPEG audio: its
// samples can hold what passes for frames, so it is refused whole.
bool IsOtherRiff(StreamInput& input) {
  const int64_t fileBytes = input.Size();
  unsigned char head[12];
  if (!input.ReadAt(0, head, sizeof head)) return false;
  const bool riff =
      std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0 || std::memcmp(head, "BW64", 4) == 0;
  if (!riff || std::memcmp(head + 8, "WAVE", 4) != 0) return false;
  int64_t at = 12;
  for (int n = 0; n < 64 && at + 8 <= fileBytes; ++n) {
    unsigned char chunk[8];
    if (!input.ReadAt(at, chunk, 8)) return true;
    const uint32_t size = chunk[4] | static_cast<uint32_t>(chunk[5]) << 8 | static_cast<uint32_t>(chunk[6]) << 16 |
                          static_cast<uint32_t>(chunk[7]) << 24;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (!input.ReadAt(at + 8, chunk, 2)) return true;
      const unsigned tag = chunk[0] | chunk[1] << 8;
      return tag != 0x50 && tag != 0x55;  // MPEG audio layers 1-2, layer 3
    }
    at += 8 + static_cast<int64_t>(size) + (size & 1);
  }
  return true;
}

}  // namespace

Engine::Engine() = default;

Engine::~Engine() {
  std::lock_guard<std::mutex> lock(api_);
  EndPlayback();
  stream_.reset();
}

void Engine::BeginCall() {
  int32_t pending = pending_.load(std::memory_order_relaxed);
  if (pending != 0) pending = pending_.exchange(0, std::memory_order_acq_rel);
  error_.store(pending, std::memory_order_relaxed);
}

int32_t Engine::ToMs(int64_t samples) const {
  const long rate = stream_ ? stream_->decoder->Facts().rate : 0;
  if (rate <= 0 || samples < 0) return 0;
  const int64_t ms = samples * 1000 / rate;
  return ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
}

int64_t Engine::ToSamples(int32_t ms) const {
  return static_cast<int64_t>(ms) * stream_->decoder->Facts().rate / 1000;
}

void Engine::Open(const char* name, int32_t sourceFlag, const StreamCallbacks& callbacks) {
  std::lock_guard<std::mutex> lock(api_);
  EndPlayback();
  stream_.reset();
  mode_.store(MPEGDLL_MODE_CLOSED);
  pos_.store(-1);

  auto s = std::make_unique<Stream>();
  std::unique_ptr<StreamInput> input;
  if (sourceFlag == 1) {
    auto source = std::make_unique<CallbackSource>(callbacks);
    if (!source->OpenStream()) return Fail(MPEGDLL_ERR_INPUT);
    input = std::move(source);
  } else {
    if (!name || !*name) return Fail(MPEGDLL_ERR_INPUT);
    input = NamedInput::Open(name, &s->fileId);
    if (!input || IsOtherRiff(*input)) return Fail(MPEGDLL_ERR_INPUT);
  }
  int32_t error = 0;
  s->decoder = OpenMpegDecoder(std::move(input), &error);
  if (!s->decoder) return Fail(error);
  stream_ = std::move(s);
  mode_.store(MPEGDLL_MODE_STOPPED);
}

int32_t Engine::Play(int32_t startMs, int32_t endMs, uint8_t* endFlag) {
  std::lock_guard<std::mutex> lock(api_);
  const int32_t mode = mode_.load();
  if (!stream_ || mode == MPEGDLL_MODE_PLAYING || mode == MPEGDLL_MODE_PAUSED || startMs < 0 ||
      (endMs > 0 && endMs <= startMs)) {
    Fail(MPEGDLL_ERR_MODE);
    return 1;
  }
  EndPlayback();
  stream_->played = true;
  stream_->startMs = startMs;
  stream_->endMs = endMs > 0 ? endMs : 0;
  stream_->endFlag = endFlag;
  return StartPlayback();
}

int32_t Engine::StartPlayback() {
  Stream& s = *stream_;
  PlayParams p{};
  p.decoder = s.decoder.get();
  p.rate = s.decoder->Facts().rate;
  p.device = device_;
  p.fileName = fileName_;
  p.sndDevice = sndDevice_;
  p.priority = priority_;
  p.startSample = ToSamples(s.startMs);
  p.endSample = s.endMs > 0 ? ToSamples(s.endMs) : -1;
  p.endFlag = s.endFlag;
  p.input = s.fileId;

  if (const int32_t code = s.decoder->Rewind(p.startSample)) {
    Fail(code);
    return 1;
  }

  // The position is set before the thread runs, so it can only move forward
  // from here; a failed start puts the old one back.
  const int32_t oldPos = pos_.exchange(s.startMs);
  // Playing before the thread exists: a short range can end (mode 4) before
  // this function returns.
  const int32_t oldMode = mode_.exchange(MPEGDLL_MODE_PLAYING);
  StoreFlag(p.endFlag, 0);
  auto pb = std::make_unique<Playback>();
  Playback* raw = pb.get();
  try {
    pb->thread = std::thread([this, raw, p] { PlayLoop(raw, p); });
  } catch (const std::system_error&) {
    pos_.store(oldPos);
    mode_.store(oldMode);
    Fail(MPEGDLL_ERR_DECODER);
    return 1;
  }
  int32_t startError;
  {
    std::unique_lock<std::mutex> wait(pb->m);
    pb->cv.wait(wait, [raw] { return raw->started; });
    startError = pb->startError;
  }
  if (startError != 0) {
    pb->thread.join();
    pos_.store(oldPos);
    mode_.store(oldMode);
    Fail(startError);
    return 1;
  }
  playback_ = std::move(pb);
  return 0;
}

void Engine::PlayLoop(Playback* pb, const PlayParams& p) {
  ApplyThreadPriority(p.priority);
  std::unique_ptr<Sink> sink;
  WavFileSink* file = nullptr;
  if (p.device == MPEGDLL_DEVICE_PCMFILE) {
    auto wav = std::make_unique<WavFileSink>(p.fileName, p.rate, p.input);
    file = wav.get();
    if (wav->Ok()) sink = std::move(wav);
  } else {
    sink = OpenDeviceSink(p.sndDevice, p.rate);
  }
  {
    std::lock_guard<std::mutex> lock(pb->m);
    pb->started = true;
    pb->startError = sink ? 0 : MPEGDLL_ERR_OUTPUT;
  }
  pb->cv.notify_all();
  if (!sink) return;
  MpegDecoder& decoder = *p.decoder;
  if (file) fileDecoding_.store(true);
  // Into a file, the decoder may put its frames straight into the file's
  // buffer: the frames are copied once less.
  const size_t block = decoder.BlockBytes();
  WavFileSink* direct = file && block <= WavFileSink::kMaxRoom ? file : nullptr;

  int32_t error = 0;
  bool interrupted = false;
  long rate = p.rate;
  int64_t sample = p.startSample;
  const auto publish = [&] {
    const int64_t ms = sample * 1000 / p.rate;
    pos_.store(ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms), std::memory_order_relaxed);
  };
  for (;;) {
    if (pb->stop.load(std::memory_order_relaxed)) {
      interrupted = true;
      break;
    }
    if (pb->paused.load(std::memory_order_relaxed)) {
      sink->Pause();
      {
        std::unique_lock<std::mutex> lock(pb->m);
        pb->cv.wait(lock, [pb] { return !pb->paused.load() || pb->stop.load(); });
      }
      sink->Resume();
      continue;
    }
    const int64_t seekTo = pb->seekTo.load(std::memory_order_relaxed) >= 0 ? pb->seekTo.exchange(-1) : -1;
    if (seekTo >= 0) {
      int64_t at = 0;
      if (decoder.Seek(seekTo, &at)) {
        sample = at;
        publish();
      } else {
        pending_.store(MPEGDLL_ERR_NONSEEKABLE);
      }
    }
    if (p.endSample >= 0 && sample >= p.endSample) break;

    const unsigned char* audio = nullptr;
    size_t bytes = 0;
    long newRate = rate;
    const DecodeStep step = decoder.Decode(direct ? direct->Room(block) : nullptr, &audio, &bytes, &newRate);
    if (step == DecodeStep::kNewRate) {
      if (newRate != rate) {
        if (!sink->ChangeRate(newRate)) {
          error = MPEGDLL_ERR_OUTPUT;
          break;
        }
        rate = newRate;
      }
      continue;
    }
    if (step == DecodeStep::kEnd) break;
    if (step != DecodeStep::kSound) {
      error = step == DecodeStep::kInputError ? MPEGDLL_ERR_INPUT : MPEGDLL_ERR_DECODER;
      break;
    }
    if (bytes == 0) continue;
    size_t frames = bytes / 4;
    if (p.endSample >= 0 && sample + static_cast<int64_t>(frames) > p.endSample)
      frames = static_cast<size_t>(p.endSample - sample);
    if (!sink->Write(audio, frames * 4)) {
      error = MPEGDLL_ERR_OUTPUT;
      break;
    }
    sample += static_cast<int64_t>(frames);
    publish();
  }
  decoder.EndOfPlayback();
  // A decode that failed leaves the old WAV as it was, not a WAV of the
  // sound up to the failure.
  if (error != 0) sink->Abandon();
  if (!sink->Finish(interrupted) && error == 0) error = MPEGDLL_ERR_OUTPUT;
  if (file) fileDecoding_.store(false);
  sink.reset();
  if (error != 0) pending_.store(error);
  if (!pb->stop.load()) mode_.store(MPEGDLL_MODE_ENDED);
  StoreFlag(p.endFlag, 1);
}

int32_t Engine::CurrentPos() {
  int32_t pos = pos_.load(std::memory_order_relaxed);
  if (pos == lastPolledPos_ && fileDecoding_.load(std::memory_order_relaxed)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    pos = pos_.load(std::memory_order_relaxed);
  }
  lastPolledPos_ = pos;
  return pos;
}

void Engine::EndPlayback() {
  if (!playback_) return;
  playback_->stop.store(true);
  { std::lock_guard<std::mutex> lock(playback_->m); }
  playback_->cv.notify_all();
  playback_->thread.join();
  playback_.reset();
}

void Engine::Pause(int32_t flag) {
  std::lock_guard<std::mutex> lock(api_);
  const bool resume = (flag & 0xff) != 0;
  if (!playback_) {
    if (!resume) Fail(MPEGDLL_ERR_MODE);
    return;
  }
  if (resume) {
    int32_t expected = MPEGDLL_MODE_PAUSED;
    mode_.compare_exchange_strong(expected, MPEGDLL_MODE_PLAYING);
    {
      std::lock_guard<std::mutex> pbLock(playback_->m);
      playback_->paused.store(false);
    }
    playback_->cv.notify_all();
    return;
  }
  int32_t expected = MPEGDLL_MODE_PLAYING;
  if (mode_.compare_exchange_strong(expected, MPEGDLL_MODE_PAUSED)) {
    playback_->paused.store(true);
  } else if (expected != MPEGDLL_MODE_PAUSED) {
    Fail(MPEGDLL_ERR_MODE);  // the playback has already ended
  }
}

void Engine::Stop() {
  std::lock_guard<std::mutex> lock(api_);
  if (!stream_) return Fail(MPEGDLL_ERR_MODE);
  EndPlayback();
  mode_.store(MPEGDLL_MODE_STOPPED);
}

void Engine::Restart() {
  std::lock_guard<std::mutex> lock(api_);
  if (!stream_ || !stream_->played) return Fail(MPEGDLL_ERR_MODE);
  EndPlayback();
  mode_.store(MPEGDLL_MODE_STOPPED);
  StartPlayback();
}

void Engine::Close() {
  std::lock_guard<std::mutex> lock(api_);
  EndPlayback();
  stream_.reset();
  pos_.store(-1);
  mode_.store(MPEGDLL_MODE_CLOSED);
}

bool Engine::ResetPlayerMode() {
  std::lock_guard<std::mutex> lock(api_);
  const int32_t mode = mode_.load();
  if (mode == MPEGDLL_MODE_PLAYING || mode == MPEGDLL_MODE_PAUSED) return false;
  if (playback_) {
    playback_->thread.join();
    playback_.reset();
  }
  if (mode == MPEGDLL_MODE_ENDED) mode_.store(MPEGDLL_MODE_STOPPED);
  return true;
}

void Engine::SetPriority(int32_t priority) {
  std::lock_guard<std::mutex> lock(api_);
  priority_ = priority;
}

void Engine::SetOutputDevice(int32_t device, const char* fileName) {
  std::lock_guard<std::mutex> lock(api_);
  if (device != MPEGDLL_DEVICE_WAVEMAPPER && device != MPEGDLL_DEVICE_PCMFILE) return Fail(MPEGDLL_ERR_OUTPUT);
  device_ = device;
  fileName_ = fileName ? fileName : "";
}

void Engine::SetSndDevice(int32_t device) {
  std::lock_guard<std::mutex> lock(api_);
  sndDevice_ = device;
}

int32_t Engine::Length() {
  std::lock_guard<std::mutex> lock(api_);
  return stream_ ? ToMs(stream_->decoder->Facts().lengthSamples) : 0;
}

int32_t Engine::Frequency() {
  std::lock_guard<std::mutex> lock(api_);
  return stream_ ? stream_->decoder->Facts().frequency : 0;
}

int32_t Engine::Bitrate() {
  std::lock_guard<std::mutex> lock(api_);
  return stream_ ? stream_->decoder->Facts().bitrate : 0;
}

int32_t Engine::StereoMode() {
  std::lock_guard<std::mutex> lock(api_);
  return stream_ ? stream_->decoder->Facts().stereoMode : 0;
}

int32_t Engine::Layer() {
  std::lock_guard<std::mutex> lock(api_);
  return stream_ ? stream_->decoder->Facts().layer : 0;
}

void Engine::Seek(int32_t ms) {
  std::lock_guard<std::mutex> lock(api_);
  const int32_t mode = mode_.load();
  if (!stream_ || !playback_ || ms < 0 || (mode != MPEGDLL_MODE_PLAYING && mode != MPEGDLL_MODE_PAUSED))
    return Fail(MPEGDLL_ERR_MODE);
  playback_->seekTo.store(ToSamples(ms));
}
