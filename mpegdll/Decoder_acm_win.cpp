// The decoder on the system's Audio Compression Manager. The codec only
// turns MPEG audio layer III frames into PCM: the frames are found and
// measured by the library's own index (MpegFrames.h) and fed one by one.
// The index gives the length before the first frame plays, the seek
// positions, and the encoder's delay and padding, so the sound starts and
// ends where a gapless decoder puts it.

#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Decoder.h"
#include "MpegFrames.h"
#include "mpegdll.h"

namespace {

// A caller's stream is read whole at the start, so its frames can be found
// before the first one plays, as a named file's are. MP3s are a few MiB;
// more than this is not taken for one.
constexpr int64_t kLongestCallerStream = int64_t{1} << 30;
// The output of one Decode(): a few frames.
constexpr size_t kMostFramesOut = 4608;
// What the codec is given room for in one conversion.
constexpr size_t kSourceRoom = 4096;
constexpr size_t kDecodedRoom = 16 * 1152 * 2 * 2;
// Frames fed before a seek target and not heard: the codec's bit reservoir
// and its overlapping transform need the frames before the one that plays.
constexpr size_t kPreroll = 4;

struct MemoryStream {
  const std::vector<unsigned char>* bytes;
};

bool ReadMemoryAt(void* source, int64_t offset, unsigned char* out, size_t count) {
  const std::vector<unsigned char>& bytes = *static_cast<MemoryStream*>(source)->bytes;
  if (offset < 0 || static_cast<uint64_t>(offset) > bytes.size() || count > bytes.size() - offset) return false;
  std::memcpy(out, bytes.data() + offset, count);
  return true;
}

// Reads the caller's stream to its end. false: a read failed or it is
// longer than an MP3 can be.
bool ReadWhole(StreamInput& input, std::vector<unsigned char>* bytes) {
  unsigned char chunk[1 << 16];
  for (;;) {
    const int64_t got = input.Read(chunk, sizeof chunk);
    if (got < 0) return false;
    if (got == 0) return true;
    if (static_cast<int64_t>(bytes->size()) + got > kLongestCallerStream) return false;
    bytes->insert(bytes->end(), chunk, chunk + got);
  }
}

class AcmDecoder : public MpegDecoder {
 public:
  explicit AcmDecoder(std::unique_ptr<StreamInput> input) : input_(std::move(input)) {}
  ~AcmDecoder() override;

  int32_t Open();
  size_t BlockBytes() const override { return kMostFramesOut * 4; }
  int32_t Rewind(int64_t sample) override;
  bool Seek(int64_t sample, int64_t* at) override;
  DecodeStep Decode(unsigned char* room, const unsigned char** pcm, size_t* bytes, long* rate) override;

 private:
  bool OpenCodec();
  void MoveTo(int64_t sample);
  bool ReadFrame(const MpegFrame& frame);
  // Converts what the source buffer holds (`bytes`, 0 to drain the codec).
  bool Convert(size_t bytes, DWORD flags);

  std::unique_ptr<StreamInput> input_;
  std::vector<unsigned char> memory_;  // a caller's stream, read whole
  MemoryStream memoryStream_{&memory_};
  MpegFrameIndex index_;
  int channels_ = 2;
  int samplesPerFrame_ = 1152;
  int64_t skipFront_ = 0;
  int64_t end_ = 0;  // output samples in all

  HACMSTREAM acm_ = nullptr;
  ACMSTREAMHEADER header_{};
  bool prepared_ = false;
  std::vector<unsigned char> source_;
  std::vector<unsigned char> decoded_;
  std::vector<unsigned char> scratch_;  // the output when no room is lent

  size_t next_ = 0;            // the next frame to feed
  bool drained_ = false;       // the codec gave what it held after the last frame
  bool startAfresh_ = true;    // the next conversion starts a new stream
  int64_t drop_ = 0;           // decoded samples still to drop before the output
  int64_t outAt_ = 0;          // the output's position, in samples
  size_t pendingAt_ = 0;       // decoded_[pendingAt_, pendingEnd_) are still to give
  size_t pendingEnd_ = 0;
};

AcmDecoder::~AcmDecoder() {
  if (prepared_) {
    header_.cbSrcLength = static_cast<DWORD>(source_.size());
    header_.cbDstLength = static_cast<DWORD>(decoded_.size());
    acmStreamUnprepareHeader(acm_, &header_, 0);
  }
  if (acm_) acmStreamClose(acm_, 0);
}

int32_t AcmDecoder::Open() {
  ReadAtFn read = &ReadInputAtFn;
  void* source = input_.get();
  int64_t bytes = input_->Size();
  if (!input_->CanReadAt()) {
    if (!ReadWhole(*input_, &memory_)) return MPEGDLL_ERR_INPUT;
    read = &ReadMemoryAt;
    source = &memoryStream_;
    bytes = static_cast<int64_t>(memory_.size());
  }
  index_ = IndexFrames(read, source, bytes);
  if (!index_.ok || index_.frames.empty()) return MPEGDLL_ERR_INPUT;
  const FrameHeader& first = index_.frames.front().header;
  // The system's codec decodes layer III only.
  if (first.layer != 3) return MPEGDLL_ERR_INPUT;
  channels_ = first.mono ? 1 : 2;
  samplesPerFrame_ = first.samples;
  skipFront_ = index_.SkipFront();
  end_ = index_.OutputSamples();
  if (!OpenCodec()) return MPEGDLL_ERR_DECODER;

  facts_.rate = first.rate;
  facts_.lengthSamples = end_;
  facts_.frequency = static_cast<int32_t>(first.rate);
  facts_.bitrate = index_.bitrateKbps;
  facts_.stereoMode = index_.channelMode;
  facts_.layer = first.layer;
  MoveTo(0);
  return 0;
}

bool AcmDecoder::OpenCodec() {
  const MpegFrame& first = index_.frames.front();
  MPEGLAYER3WAVEFORMAT in{};
  in.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  in.wfx.nChannels = static_cast<WORD>(channels_);
  in.wfx.nSamplesPerSec = static_cast<DWORD>(first.header.rate);
  in.wfx.nAvgBytesPerSec = static_cast<DWORD>(std::max(index_.bitrateKbps, 8) * 1000 / 8);
  in.wfx.nBlockAlign = 1;
  in.wfx.wBitsPerSample = 0;
  in.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  in.wID = MPEGLAYER3_ID_MPEG;
  in.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
  in.nBlockSize = static_cast<WORD>(std::min<uint32_t>(first.bytes, 0xffff));
  in.nFramesPerBlock = 1;
  in.nCodecDelay = 1393;
  WAVEFORMATEX out{};
  out.wFormatTag = WAVE_FORMAT_PCM;
  out.nChannels = static_cast<WORD>(channels_);
  out.nSamplesPerSec = static_cast<DWORD>(first.header.rate);
  out.wBitsPerSample = 16;
  out.nBlockAlign = static_cast<WORD>(channels_ * 2);
  out.nAvgBytesPerSec = out.nSamplesPerSec * out.nBlockAlign;
  if (acmStreamOpen(&acm_, nullptr, &in.wfx, &out, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0 &&
      acmStreamOpen(&acm_, nullptr, &in.wfx, &out, nullptr, 0, 0, 0) != 0) {
    acm_ = nullptr;
    return false;
  }
  source_.assign(kSourceRoom, 0);
  decoded_.assign(kDecodedRoom, 0);
  header_.cbStruct = sizeof header_;
  header_.pbSrc = source_.data();
  header_.cbSrcLength = static_cast<DWORD>(source_.size());
  header_.pbDst = decoded_.data();
  header_.cbDstLength = static_cast<DWORD>(decoded_.size());
  if (acmStreamPrepareHeader(acm_, &header_, 0) != 0) return false;
  prepared_ = true;
  return true;
}

void AcmDecoder::MoveTo(int64_t sample) {
  sample = std::max<int64_t>(0, std::min(sample, end_));
  const int64_t decodedAt = sample + skipFront_;
  const size_t frame = static_cast<size_t>(decodedAt / samplesPerFrame_);
  const size_t preroll = std::min(frame, kPreroll);
  next_ = frame - preroll;
  drop_ = decodedAt - static_cast<int64_t>(next_) * samplesPerFrame_;
  outAt_ = sample;
  pendingAt_ = pendingEnd_ = 0;
  drained_ = false;
  startAfresh_ = true;
}

int32_t AcmDecoder::Rewind(int64_t sample) {
  input_->ClearReadFailed();
  MoveTo(sample);
  return 0;
}

bool AcmDecoder::Seek(int64_t sample, int64_t* at) {
  MoveTo(sample);
  *at = outAt_;
  return true;
}

bool AcmDecoder::ReadFrame(const MpegFrame& frame) {
  if (frame.bytes > source_.size()) return false;
  if (memory_.empty()) return input_->ReadAt(frame.offset, source_.data(), frame.bytes);
  return ReadMemoryAt(&memoryStream_, frame.offset, source_.data(), frame.bytes);
}

bool AcmDecoder::Convert(size_t bytes, DWORD flags) {
  header_.cbSrcLength = static_cast<DWORD>(bytes);
  header_.cbDstLength = static_cast<DWORD>(decoded_.size());
  header_.cbSrcLengthUsed = 0;
  header_.cbDstLengthUsed = 0;
  if (startAfresh_) flags |= ACM_STREAMCONVERTF_START;
  if (acmStreamConvert(acm_, &header_, flags) != 0) return false;
  startAfresh_ = false;
  const size_t frameBytes = static_cast<size_t>(channels_) * 2;
  pendingAt_ = 0;
  pendingEnd_ = std::min<size_t>(header_.cbDstLengthUsed, decoded_.size()) / frameBytes * frameBytes;
  // The samples before the output's start (the codec's and the encoder's
  // delay, a seek's run-up) are dropped here.
  const int64_t available = static_cast<int64_t>(pendingEnd_ / frameBytes);
  const int64_t dropped = std::min(drop_, available);
  drop_ -= dropped;
  pendingAt_ = static_cast<size_t>(dropped) * frameBytes;
  return true;
}

DecodeStep AcmDecoder::Decode(unsigned char* room, const unsigned char** pcm, size_t* bytes, long*) {
  *bytes = 0;
  const size_t frameBytes = static_cast<size_t>(channels_) * 2;
  for (;;) {
    if (outAt_ >= end_) return DecodeStep::kEnd;
    if (pendingAt_ < pendingEnd_) {
      unsigned char* out = room;
      size_t frames = std::min((pendingEnd_ - pendingAt_) / frameBytes, kMostFramesOut);
      frames = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(frames), end_ - outAt_));
      const unsigned char* from = decoded_.data() + pendingAt_;
      if (!room) {
        // Without a room of the output's, the frames go out from a buffer
        // of the decoder's own.
        scratch_.resize(kMostFramesOut * 4);
        out = scratch_.data();
      }
      if (channels_ == 2) {
        std::memcpy(out, from, frames * 4);
      } else {
        for (size_t i = 0; i < frames; ++i) {
          std::memcpy(out + 4 * i, from + 2 * i, 2);
          std::memcpy(out + 4 * i + 2, from + 2 * i, 2);
        }
      }
      pendingAt_ += frames * frameBytes;
      outAt_ += static_cast<int64_t>(frames);
      *pcm = out;
      *bytes = frames * 4;
      return DecodeStep::kSound;
    }
    if (next_ < index_.frames.size()) {
      const MpegFrame& frame = index_.frames[next_++];
      if (!ReadFrame(frame)) return DecodeStep::kInputError;
      if (!Convert(frame.bytes, ACM_STREAMCONVERTF_BLOCKALIGN)) {
        // A frame the codec refuses after the first is damage, passed over
        // as other players do; the codec starts afresh at the next one.
        if (next_ == 1) return DecodeStep::kDecoderError;
        startAfresh_ = true;
      }
      continue;
    }
    // After the last frame the codec may still hold decoded sound.
    if (drained_) return DecodeStep::kEnd;
    if (!Convert(0, ACM_STREAMCONVERTF_END) || pendingEnd_ == 0) drained_ = true;
  }
}

}  // namespace

std::unique_ptr<MpegDecoder> OpenMpegDecoder(std::unique_ptr<StreamInput> input, int32_t* error) {
  auto decoder = std::make_unique<AcmDecoder>(std::move(input));
  *error = decoder->Open();
  if (*error != 0) return nullptr;
  return decoder;
}
