#include "Engine.h"

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "BufferedFile.h"
#include "FileWindow.h"
#include "Sinks.h"
#include "StreamWalk.h"
#include "ThreadPriority.h"

struct Engine::Stream {
  mpg123_handle* mh = nullptr;
  std::unique_ptr<CallbackSource> source;  // null for a named file
  std::unique_ptr<BufferedFile> file;      // null for a caller's stream
  FileId fileId;                           // the named file's identity
  long rate = 0;
  int64_t lengthSamples = 0;
  mpg123_frameinfo info{};
  // The decoder's buffer between playbacks into a file, which lend it the
  // file's own buffers (the decoder frees its first buffer then).
  std::unique_ptr<unsigned char[]> decodeBuffer;
  // Nothing decoded yet and the decoder is at the start of the stream.
  bool atStart = true;
  // The range and end flag of "Play", kept for "Restart".
  bool played = false;
  int32_t startMs = 0;
  int32_t endMs = 0;
  uint8_t* endFlag = nullptr;

  ~Stream() {
    if (mh) {
      mpg123_close(mh);
      mpg123_delete(mh);
    }
    if (source) source->CloseStream();
  }
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
  mpg123_handle* mh;
  CallbackSource* source;
  BufferedFile* file;
  long rate;
  int32_t device;
  std::string fileName;
  int32_t sndDevice;
  int32_t priority;
  int64_t startSample;
  int64_t endSample;  // -1: to the end of the stream
  uint8_t* endFlag;
  unsigned char* decodeBuffer;
  FileId input;  // the named file the stream is read from
};

namespace {

void StoreFlag(uint8_t* flag, uint8_t value) {
  if (flag) __atomic_store_n(flag, value, __ATOMIC_RELEASE);
}

// Opens a named input for reading without ever waiting: a FIFO without a
// writer, or a device, would hold the caller's thread in open() or in the
// decoder's first read, so only regular files are taken. -1 when refused.
int OpenRegularFile(const char* name, FileId* id, int64_t* bytes) {
  const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  *id = FileId{st.st_dev, st.st_ino};
  *bytes = st.st_size;
  return fd;
}

// Average bit rates that MPEG audio frames can have, in kbit/s, by version
// (1, 2, 2.5) and layer (1 to 3).
// The samples an MPEG layer III decoder puts before the sound, which an
// encoder's info frame counts into the stream's delay.
constexpr int64_t kDecoderDelay = 529;

struct BitrateRange {
  int low;
  int high;
};
BitrateRange FrameBitrates(const mpg123_frameinfo& info) {
  const bool mpeg1 = info.version == MPG123_1_0;
  switch (info.layer) {
    case 1:
      return mpeg1 ? BitrateRange{32, 448} : BitrateRange{32, 256};
    case 2:
      return mpeg1 ? BitrateRange{32, 384} : BitrateRange{8, 160};
    default:
      return mpeg1 ? BitrateRange{32, 320} : BitrateRange{8, 160};
  }
}

// An encoder's info frame gives the frame count that the decoder takes as the
// length. A count that no bit rate can fit into the file's size (a corrupted
// frame, or a file cut short by far) is not believed.
bool FrameCountFitsFile(mpg123_handle* mh, const mpg123_frameinfo& info, int64_t fileBytes) {
  const off_t frames = mpg123_framelength(mh);
  const int spf = mpg123_spf(mh);
  if (fileBytes <= 0) return true;  // a caller's stream of unknown size
  if (frames <= 0 || spf <= 0 || info.rate <= 0) return false;
  const double seconds = static_cast<double>(frames) * spf / static_cast<double>(info.rate);
  const double kbps = static_cast<double>(fileBytes) * 8 / seconds / 1000;
  const BitrateRange range = FrameBitrates(info);
  // Tags add to the file's size, padding slots to the frames: a little room
  // on both sides.
  return kbps >= range.low * 0.95 && kbps <= range.high * 1.05;
}

// A WAV file (RIFF, RF64 or BW64) that holds anything but MPEG audio: its
// samples can hold what passes for frames, so it is refused whole.
bool IsOtherRiff(ReadAtFn read, void* source, int64_t fileBytes) {
  unsigned char head[12];
  if (!read(source, 0, head, sizeof head)) return false;
  const bool riff =
      std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0 || std::memcmp(head, "BW64", 4) == 0;
  if (!riff || std::memcmp(head + 8, "WAVE", 4) != 0) return false;
  int64_t at = 12;
  for (int n = 0; n < 64 && at + 8 <= fileBytes; ++n) {
    unsigned char chunk[8];
    if (!read(source, static_cast<off_t>(at), chunk, 8)) return true;
    const uint32_t size = chunk[4] | static_cast<uint32_t>(chunk[5]) << 8 | static_cast<uint32_t>(chunk[6]) << 16 |
                          static_cast<uint32_t>(chunk[7]) << 24;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (!read(source, static_cast<off_t>(at + 8), chunk, 2)) return true;
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
  if (!stream_ || stream_->rate <= 0 || samples < 0) return 0;
  const int64_t ms = samples * 1000 / stream_->rate;
  return ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
}

int64_t Engine::ToSamples(int32_t ms) const { return static_cast<int64_t>(ms) * stream_->rate / 1000; }

void Engine::Open(const char* name, int32_t sourceFlag, const CallbackSource& callbacks) {
  std::lock_guard<std::mutex> lock(api_);
  EndPlayback();
  stream_.reset();
  mode_.store(MPEGDLL_MODE_CLOSED);
  pos_.store(-1);

  auto s = std::make_unique<Stream>();
  int err = MPG123_OK;
  s->mh = mpg123_new(nullptr, &err);
  if (!s->mh) return Fail(MPEGDLL_ERR_DECODER);
  mpg123_param(s->mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  // Lock the output format before the first frame: 16-bit stereo at any
  // rate, so the decoder never switches encoding or channel count mid-stream
  // (mono is doubled by the decoder itself).
  mpg123_format_none(s->mh);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) mpg123_format(s->mh, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);

  int64_t fileBytes = -1;
  StreamWalk walk;
  if (sourceFlag == 1) {
    s->source = std::make_unique<CallbackSource>(callbacks);
    if (!s->source->OpenStream()) return Fail(MPEGDLL_ERR_INPUT);
    if (mpg123_replace_reader_handle(s->mh, &CallbackSource::ReadFn, &CallbackSource::SeekFn, nullptr) != MPG123_OK)
      return Fail(MPEGDLL_ERR_DECODER);
    if (mpg123_open_handle(s->mh, s->source.get()) != MPG123_OK) return Fail(MPEGDLL_ERR_INPUT);
    fileBytes = s->source->Size();
    if (fileBytes > 0) mpg123_set_filesize(s->mh, static_cast<off_t>(fileBytes));
  } else {
    if (!name || !*name) return Fail(MPEGDLL_ERR_INPUT);
    const int fd = OpenRegularFile(name, &s->fileId, &fileBytes);
    if (fd < 0) return Fail(MPEGDLL_ERR_INPUT);
    // The frame headers of the whole file, read before decoding: the decoder
    // alone finds neither parts of another rate joined on (its output would
    // change rate in the middle, and play at the wrong speed in a WAV of one
    // rate) nor a file cut short after an info frame that counts more.
    FileWindow window(fd);
    if (IsOtherRiff(&FileWindow::ReadAt, &window, fileBytes)) {
      ::close(fd);
      return Fail(MPEGDLL_ERR_INPUT);
    }
    walk = WalkFrames(&FileWindow::ReadAt, &window, static_cast<off_t>(fileBytes), 0);
    // Parts of another rate are resampled to the first part's rate by the
    // decoder's own resampler; a file of one rate is decoded as it is.
    if (walk.ok && walk.mixedRates) mpg123_param(s->mh, MPG123_FORCE_RATE, walk.firstRate, 0.0);
    s->file = std::make_unique<BufferedFile>(fd);
    // Data after the last frame (junk, a tag of no known kind) can hold what
    // passes for a frame, a short burst of noise: the decoder does not see it.
    if (walk.ok && walk.audioEnd >= 0 && walk.audioEnd < fileBytes) {
      fileBytes = walk.audioEnd;
      s->file->SetEnd(static_cast<off_t>(fileBytes));
    }
    if (mpg123_replace_reader_handle(s->mh, &BufferedFile::ReadFn, &BufferedFile::SeekFn, nullptr) != MPG123_OK)
      return Fail(MPEGDLL_ERR_DECODER);
    if (mpg123_open_handle(s->mh, s->file.get()) != MPG123_OK) return Fail(MPEGDLL_ERR_INPUT);
    mpg123_set_filesize(s->mh, static_cast<off_t>(fileBytes));
  }

  // Read up to the first audio frame: an input without any is refused here,
  // where the caller can still tell the user which file is wrong.
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(s->mh, &s->rate, &channels, &encoding) != MPG123_OK || s->rate <= 0)
    return Fail(MPEGDLL_ERR_INPUT);
  mpg123_info(s->mh, &s->info);
  // Damage anywhere after the first frame (a bad download, a scratched disc)
  // is passed over: the decoder looks for the next frame as far as it must,
  // so every frame that can be decoded is. Before the first frame the
  // decoder's own limit stays, or noise would pass for MPEG audio.
  mpg123_param(s->mh, MPG123_RESYNC_LIMIT, -1, 0.0);
  // The length must be exact, or the caller's progress display stops short
  // of the end or never reaches it. An encoder's info frame with its delay
  // and padding (a LAME tag) gives it already, and scanning a file cut after
  // such a frame would make the decoder drop the tag's gapless trimming, so
  // its frame count is only checked against the file's size. Without one the
  // decoder only estimates the length from the first frames (VBR streams,
  // `lame -t`, older encoders): a pass over the frame headers counts them.
  // Only a seekable input allows that pass; the others keep the estimate.
  long encoderDelay = -1;
  double ignored = 0;
  mpg123_getstate(s->mh, MPG123_ENC_DELAY, &encoderDelay, &ignored);
  // A file that holds fewer frames than its info frame counts was cut short
  // (an interrupted download): its length comes from the scan too.
  // Scanning it would make the decoder drop the info frame's gapless
  // trimming, so its length is counted from the frames the walk found: all
  // but the info frame, less the encoder's and the decoder's delay.
  const bool cutShort = walk.ok && walk.frames < mpg123_framelength(s->mh);
  if (!cutShort && (encoderDelay < 0 || !FrameCountFitsFile(s->mh, s->info, fileBytes))) {
    if (mpg123_scan(s->mh) == MPG123_OK) s->atStart = false;
  }
  const off_t length = mpg123_length(s->mh);
  s->lengthSamples = length > 0 ? length : 0;
  const int64_t gaplessTrim = encoderDelay >= 0 ? mpg123_spf(s->mh) + encoderDelay + kDecoderDelay : 0;
  if (cutShort) s->lengthSamples = std::max<int64_t>(0, walk.frames * mpg123_spf(s->mh) - gaplessTrim);
  // Joined parts of other rates: the decoder counts their samples at their
  // own rates, the output has them at the first part's.
  if (walk.ok && walk.mixedRates)
    s->lengthSamples = std::max<int64_t>(0, static_cast<int64_t>(walk.outputSamples + 0.5) - gaplessTrim);

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

int32_t Engine::Rewind(int64_t sample) {
  Stream& s = *stream_;
  if (sample == 0 && s.atStart) return 0;
  if (mpg123_seek(s.mh, static_cast<off_t>(sample), SEEK_SET) >= 0) return 0;
  // A non-seekable input can still start again from its beginning: a named
  // file by reading it again from its first byte, a caller stream through
  // "restart". The decoder then reaches a later start by reading forward.
  mpg123_close(s.mh);
  if (s.source) {
    if (!s.source->RestartStream()) return MPEGDLL_ERR_NONSEEKABLE;
    if (mpg123_open_handle(s.mh, s.source.get()) != MPG123_OK) return MPEGDLL_ERR_INPUT;
  } else if (!s.file->Rewind() || mpg123_open_handle(s.mh, s.file.get()) != MPG123_OK) {
    return MPEGDLL_ERR_INPUT;
  }
  if (sample > 0 && mpg123_seek(s.mh, static_cast<off_t>(sample), SEEK_SET) < 0) return MPEGDLL_ERR_NONSEEKABLE;
  return 0;
}

int32_t Engine::StartPlayback() {
  Stream& s = *stream_;
  PlayParams p{};
  p.mh = s.mh;
  p.source = s.source.get();
  p.file = s.file.get();
  p.rate = s.rate;
  p.device = device_;
  p.fileName = fileName_;
  p.sndDevice = sndDevice_;
  p.priority = priority_;
  p.startSample = ToSamples(s.startMs);
  p.endSample = s.endMs > 0 ? ToSamples(s.endMs) : -1;
  p.endFlag = s.endFlag;
  if (p.device == MPEGDLL_DEVICE_PCMFILE && !s.decodeBuffer)
    s.decodeBuffer.reset(new unsigned char[mpg123_safe_buffer()]);
  p.decodeBuffer = s.decodeBuffer.get();
  p.input = s.fileId;

  if (const int32_t code = Rewind(p.startSample)) {
    Fail(code);
    return 1;
  }
  s.atStart = false;
  if (s.source) s.source->readFailed = false;

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
  if (p.device == MPEGDLL_DEVICE_PCMFILE) {
    auto file = std::make_unique<WavFileSink>(p.fileName, p.rate, p.input);
    if (file->Ok()) sink = std::move(file);
  } else {
    auto device = std::make_unique<DeviceSink>(p.sndDevice, p.rate);
    if (device->Ok()) sink = std::move(device);
  }
  {
    std::lock_guard<std::mutex> lock(pb->m);
    pb->started = true;
    pb->startError = sink ? 0 : MPEGDLL_ERR_OUTPUT;
  }
  pb->cv.notify_all();
  if (!sink) return;
  const bool toFile = p.device == MPEGDLL_DEVICE_PCMFILE;
  if (toFile) fileDecoding_.store(true);
  // Into a file, the decoder writes its frames straight into the file's
  // buffer: the frames are copied once less.
  const size_t block = mpg123_safe_buffer();
  WavFileSink* direct = toFile && block <= WavFileSink::kMaxRoom ? static_cast<WavFileSink*>(sink.get()) : nullptr;

  int32_t error = 0;
  bool interrupted = false;
  bool decodedAny = false;
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
      const off_t at = mpg123_seek(p.mh, static_cast<off_t>(seekTo), SEEK_SET);
      if (at >= 0) {
        sample = at;
        publish();
      } else {
        pending_.store(MPEGDLL_ERR_NONSEEKABLE);
      }
    }
    if (p.endSample >= 0 && sample >= p.endSample) break;

    off_t frameNum = 0;
    unsigned char* audio = nullptr;
    size_t bytes = 0;
    if (direct) mpg123_replace_buffer(p.mh, direct->Room(block), block);
    const int r = mpg123_decode_frame(p.mh, &frameNum, &audio, &bytes);
    if (r == MPG123_NEW_FORMAT) {
      long newRate = 0;
      int channels = 0;
      int encoding = 0;
      mpg123_getformat(p.mh, &newRate, &channels, &encoding);
      if (newRate != rate) {
        if (!sink->ChangeRate(newRate)) {
          error = MPEGDLL_ERR_OUTPUT;
          break;
        }
        rate = newRate;
      }
    } else if (r == MPG123_DONE) {
      // The decoder takes a failed read for the end of the stream.
      if (p.source && p.source->readFailed) error = MPEGDLL_ERR_INPUT;
      break;
    } else if (r != MPG123_OK) {
      // Data after the last frame that the decoder cannot find a frame in
      // (zeros or junk that players leave, a tag it does not know) ends the
      // stream, as it does for other players; before any frame it is not
      // MPEG audio at all.
      const int code = mpg123_errcode(p.mh);
      if (decodedAny && (code == MPG123_RESYNC_FAIL || code == MPG123_OUT_OF_SYNC)) break;
      // A tag after the last frame whose size fields are absurd sends the
      // decoder seeking outside the file; only a failed read of a named file
      // is an input error then.
      const bool fileReadFailed = p.file != nullptr && p.file->ReadFailed();
      if (decodedAny && code == MPG123_ERR_READER && p.file != nullptr && !fileReadFailed) break;
      const bool readError = (p.source && p.source->readFailed) || fileReadFailed || code == MPG123_ERR_READER;
      error = readError ? MPEGDLL_ERR_INPUT : MPEGDLL_ERR_DECODER;
      break;
    }
    if (r == MPG123_OK) decodedAny = true;
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
  if (direct) mpg123_replace_buffer(p.mh, p.decodeBuffer, block);
  // A decode that failed leaves the old WAV as it was, not a WAV of the
  // sound up to the failure.
  if (error != 0) sink->Abandon();
  if (!sink->Finish(interrupted) && error == 0) error = MPEGDLL_ERR_OUTPUT;
  if (toFile) fileDecoding_.store(false);
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
  return stream_ ? ToMs(stream_->lengthSamples) : 0;
}

int32_t Engine::Frequency() {
  std::lock_guard<std::mutex> lock(api_);
  return stream_ ? static_cast<int32_t>(stream_->info.rate) : 0;
}

int32_t Engine::Bitrate() {
  std::lock_guard<std::mutex> lock(api_);
  return stream_ ? stream_->info.bitrate : 0;
}

int32_t Engine::StereoMode() {
  std::lock_guard<std::mutex> lock(api_);
  return stream_ ? static_cast<int32_t>(stream_->info.mode) : 0;
}

int32_t Engine::Layer() {
  std::lock_guard<std::mutex> lock(api_);
  return stream_ ? stream_->info.layer : 0;
}

void Engine::Seek(int32_t ms) {
  std::lock_guard<std::mutex> lock(api_);
  const int32_t mode = mode_.load();
  if (!stream_ || !playback_ || ms < 0 || (mode != MPEGDLL_MODE_PLAYING && mode != MPEGDLL_MODE_PAUSED))
    return Fail(MPEGDLL_ERR_MODE);
  playback_->seekTo.store(ToSamples(ms));
}
