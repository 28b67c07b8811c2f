#include <soxr.h>

#include <algorithm>
#include <vector>

#include "PathUtils.h"
#include "Resampler.h"
#include "WavDecoding.h"
#include "WavLayout.h"
#include "WavSound_sndfile.h"

namespace {

// Frames read per block; the output block holds what they become at the
// highest ratio (8000 Hz up to 22050 Hz), with room for the filter's delay.
constexpr int64_t kInputFrames = 8192;
constexpr int64_t kOutputFrames = kInputFrames * 3 + 1024;
// The gauge counts in thousandths of the sound, whatever its length.
constexpr int kGaugeSteps = 1000;

// One resampler, freed on every way out.
class TSoxr {
 public:
  TSoxr(double inRate, int channels) {
    soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_INT16_I);
    // The same WAV always gives the same bytes.
    io.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    soxr_ = soxr_create(inRate, kResampledRate, static_cast<unsigned>(channels), &error, &io, &quality, &runtime);
    if (error != nullptr) soxr_ = nullptr;
  }
  ~TSoxr() {
    if (soxr_ != nullptr) soxr_delete(soxr_);
  }
  TSoxr(const TSoxr&) = delete;
  TSoxr& operator=(const TSoxr&) = delete;

  bool Ok() const { return soxr_ != nullptr; }
  // in == nullptr: the end of the sound, the filter's tail is given out.
  bool Process(const float* in, size_t inFrames, size_t& used, int16_t* out, size_t outFrames, size_t& made) {
    return soxr_process(soxr_, in, inFrames, &used, out, outFrames, &made) == nullptr;
  }

 private:
  soxr_t soxr_ = nullptr;
};

class TGaugeSteps {
 public:
  TGaugeSteps(IProgressGauge* gauge, int64_t total) : gauge_(total > 0 ? gauge : nullptr), total_(total) {
    if (gauge_ == nullptr) return;
    gauge_->SetProgress(0);
    gauge_->SetMaxValue(kGaugeSteps);
  }
  void Read(int64_t frames) {
    done_ += frames;
    if (gauge_ != nullptr) gauge_->SetProgress(static_cast<int>(std::min(done_, total_) * kGaugeSteps / total_));
  }

 private:
  IProgressGauge* gauge_;
  int64_t total_;
  int64_t done_ = 0;
};

}  // namespace

const bool kResamplerBuiltIn = true;

TPcm16Outcome ResampleToGameRate(const std::string& wavPath, TPcm16File& result, IProgressGauge* gauge) {
  TWavSound sound(wavPath);
  if (const TPcm16Outcome opened = sound.Opened(); opened.kind != TPcm16Outcome::TKind::Done) return opened;
  TWavReader& reader = sound.Reader();
  const SF_INFO& info = reader.Info();
  const int channels = info.channels;
  if (channels < 1 || info.samplerate < static_cast<int>(kLowestResampledRate) ||
      info.samplerate > static_cast<int>(kHighestResampledRate))
    return Pcm16Unreadable();
  TSoxr soxr(info.samplerate, channels);
  if (!soxr.Ok()) return Pcm16Unreadable();

  TPcm16Writer writer;
  if (!writer.Begin(result, ExtractFileName(wavPath), channels, kResampledRate)) return Pcm16Failed(writer.ErrorCode());
  std::vector<float> in(static_cast<size_t>(kInputFrames * channels));
  std::vector<int16_t> out(static_cast<size_t>(kOutputFrames * channels));
  const auto put = [&](size_t frames) { return writer.Write(out.data(), static_cast<int64_t>(frames) * channels); };

  int64_t left = FramesOfSound(sound.Layout());
  TGaugeSteps steps(gauge, std::min<int64_t>(left, info.frames));
  while (left > 0) {
    const sf_count_t got = sf_readf_float(reader.File(), in.data(), std::min(kInputFrames, left));
    if (got <= 0) break;
    left -= got;
    steps.Read(got);
    const float* next = in.data();
    for (size_t pending = static_cast<size_t>(got); pending > 0;) {
      size_t used = 0;
      size_t made = 0;
      if (!soxr.Process(next, pending, used, out.data(), kOutputFrames, made)) return Pcm16Unreadable();
      if (!put(made)) return Pcm16Failed(writer.ErrorCode());
      next += used * static_cast<size_t>(channels);
      pending -= used;
    }
  }
  if (const TPcm16Outcome read = sound.AfterReading(); read.kind != TPcm16Outcome::TKind::Done) return read;
  for (size_t made = 1; made > 0;) {
    size_t used = 0;
    if (!soxr.Process(nullptr, 0, used, out.data(), kOutputFrames, made)) return Pcm16Unreadable();
    if (!put(made)) return Pcm16Failed(writer.ErrorCode());
  }
  if (!writer.Finish()) return Pcm16Failed(writer.ErrorCode());
  return {};
}
