// The decoder on libmpg123, reading the input through its reader callbacks.

#include <mpg123.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdio>

#include "Decoder.h"
#include "StreamWalk.h"
#include "mpegdll.h"

namespace {

// The samples an MPEG layer III decoder puts before the sound, which an
// encoder's info frame counts into the stream's delay.
constexpr int64_t kDecoderDelay = 529;

// Average bit rates that MPEG audio frames can have, in kbit/s, by version
// (1, 2, 2.5) and layer (1 to 3).
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

ssize_t ReadFn(void* handle, void* buffer, size_t bytes) {
  return static_cast<ssize_t>(static_cast<StreamInput*>(handle)->Read(static_cast<unsigned char*>(buffer), bytes));
}

off_t SeekFn(void* handle, off_t offset, int whence) {
  StreamInput::Whence from;
  switch (whence) {
    case SEEK_SET:
      from = StreamInput::kFromStart;
      break;
    case SEEK_CUR:
      from = StreamInput::kFromCurrent;
      break;
    case SEEK_END:
      from = StreamInput::kFromEnd;
      break;
    default:
      return -1;
  }
  return static_cast<off_t>(static_cast<StreamInput*>(handle)->Seek(offset, from));
}

class Mpg123Decoder : public MpegDecoder {
 public:
  explicit Mpg123Decoder(std::unique_ptr<StreamInput> input) : input_(std::move(input)) {}
  ~Mpg123Decoder() override {
    if (mh_) {
      mpg123_close(mh_);
      mpg123_delete(mh_);
    }
  }

  int32_t Open();
  size_t BlockBytes() const override { return mpg123_safe_buffer(); }
  int32_t Rewind(int64_t sample) override;
  bool Seek(int64_t sample, int64_t* at) override;
  DecodeStep Decode(unsigned char* room, const unsigned char** pcm, size_t* bytes, long* rate) override;
  void EndOfPlayback() override;

 private:
  int32_t MoveTo(int64_t sample);

  std::unique_ptr<StreamInput> input_;
  mpg123_handle* mh_ = nullptr;
  // The decoder's own buffer after a playback that lent it the output's
  // buffers (the decoder frees its first buffer then).
  std::unique_ptr<unsigned char[]> ownBuffer_;
  bool lent_ = false;
  // Nothing decoded yet and the decoder is at the start of the stream.
  bool atStart_ = true;
  bool decodedAny_ = false;  // in this playback
};

int32_t Mpg123Decoder::Open() {
  int err = MPG123_OK;
  mh_ = mpg123_new(nullptr, &err);
  if (!mh_) return MPEGDLL_ERR_DECODER;
  mpg123_param(mh_, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  // Lock the output format before the first frame: 16-bit stereo at any
  // rate, so the decoder never switches encoding or channel count mid-stream
  // (mono is doubled by the decoder itself).
  mpg123_format_none(mh_);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) mpg123_format(mh_, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);

  int64_t fileBytes = input_->CanReadAt() ? input_->Size() : -1;
  StreamWalk walk;
  if (input_->CanReadAt()) {
    // The frame headers of the whole file, read before decoding: the decoder
    // alone finds neither parts of another rate joined on (its output would
    // change rate in the middle, and play at the wrong speed in a WAV of one
    // rate) nor a file cut short after an info frame that counts more.
    walk = WalkFrames(&ReadInputAtFn, input_.get(), fileBytes, 0);
    // Parts of another rate are resampled to the first part's rate by the
    // decoder's own resampler; a file of one rate is decoded as it is.
    if (walk.ok && walk.mixedRates) mpg123_param(mh_, MPG123_FORCE_RATE, walk.firstRate, 0.0);
    // Data after the last frame (junk, a tag of no known kind) can hold what
    // passes for a frame, a short burst of noise: the decoder does not see it.
    if (walk.ok && walk.audioEnd >= 0 && walk.audioEnd < fileBytes) {
      fileBytes = walk.audioEnd;
      input_->SetEnd(fileBytes);
    }
  }
  if (mpg123_replace_reader_handle(mh_, &ReadFn, &SeekFn, nullptr) != MPG123_OK) return MPEGDLL_ERR_DECODER;
  if (mpg123_open_handle(mh_, input_.get()) != MPG123_OK) return MPEGDLL_ERR_INPUT;
  if (!input_->CanReadAt()) fileBytes = input_->Size();  // asked of a caller's stream once it is open
  if (fileBytes > 0 || input_->CanReadAt()) mpg123_set_filesize(mh_, static_cast<off_t>(fileBytes));

  // Read up to the first audio frame.
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(mh_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) return MPEGDLL_ERR_INPUT;
  mpg123_frameinfo info{};
  mpg123_info(mh_, &info);
  // Damage anywhere after the first frame (a bad download, a scratched disc)
  // is passed over: the decoder looks for the next frame as far as it must,
  // so every frame that can be decoded is. Before the first frame the
  // decoder's own limit stays, or noise would pass for MPEG audio.
  mpg123_param(mh_, MPG123_RESYNC_LIMIT, -1, 0.0);
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
  mpg123_getstate(mh_, MPG123_ENC_DELAY, &encoderDelay, &ignored);
  // A file that holds fewer frames than its info frame counts was cut short
  // (an interrupted download): its length comes from the scan too.
  // Scanning it would make the decoder drop the info frame's gapless
  // trimming, so its length is counted from the frames the walk found: all
  // but the info frame, less the encoder's and the decoder's delay.
  const bool cutShort = walk.ok && walk.frames < mpg123_framelength(mh_);
  if (!cutShort && (encoderDelay < 0 || !FrameCountFitsFile(mh_, info, fileBytes))) {
    if (mpg123_scan(mh_) == MPG123_OK) atStart_ = false;
  }
  const off_t length = mpg123_length(mh_);
  int64_t lengthSamples = length > 0 ? length : 0;
  const int64_t gaplessTrim = encoderDelay >= 0 ? mpg123_spf(mh_) + encoderDelay + kDecoderDelay : 0;
  if (cutShort) lengthSamples = std::max<int64_t>(0, walk.frames * mpg123_spf(mh_) - gaplessTrim);
  // Joined parts of other rates: the decoder counts their samples at their
  // own rates, the output has them at the first part's.
  if (walk.ok && walk.mixedRates)
    lengthSamples = std::max<int64_t>(0, static_cast<int64_t>(walk.outputSamples + 0.5) - gaplessTrim);

  facts_.rate = rate;
  facts_.lengthSamples = lengthSamples;
  facts_.frequency = static_cast<int32_t>(info.rate);
  facts_.bitrate = info.bitrate;
  facts_.stereoMode = static_cast<int32_t>(info.mode);
  facts_.layer = info.layer;
  return 0;
}

int32_t Mpg123Decoder::Rewind(int64_t sample) {
  if (!ownBuffer_) ownBuffer_.reset(new unsigned char[mpg123_safe_buffer()]);
  decodedAny_ = false;
  const int32_t code = MoveTo(sample);
  if (code == 0) {
    atStart_ = false;
    input_->ClearReadFailed();
  }
  return code;
}

int32_t Mpg123Decoder::MoveTo(int64_t sample) {
  if (sample == 0 && atStart_) return 0;
  if (mpg123_seek(mh_, static_cast<off_t>(sample), SEEK_SET) >= 0) return 0;
  // A non-seekable input can still start again from its beginning: a named
  // file by reading it again from its first byte, a caller stream through
  // "restart". The decoder then reaches a later start by reading forward.
  mpg123_close(mh_);
  if (!input_->Rewind()) return input_->CanReadAt() ? MPEGDLL_ERR_INPUT : MPEGDLL_ERR_NONSEEKABLE;
  if (mpg123_open_handle(mh_, input_.get()) != MPG123_OK) return MPEGDLL_ERR_INPUT;
  if (sample > 0 && mpg123_seek(mh_, static_cast<off_t>(sample), SEEK_SET) < 0) return MPEGDLL_ERR_NONSEEKABLE;
  return 0;
}

bool Mpg123Decoder::Seek(int64_t sample, int64_t* at) {
  const off_t reached = mpg123_seek(mh_, static_cast<off_t>(sample), SEEK_SET);
  if (reached < 0) return false;
  *at = reached;
  return true;
}

DecodeStep Mpg123Decoder::Decode(unsigned char* room, const unsigned char** pcm, size_t* bytes, long* rate) {
  *bytes = 0;
  // Into a file, the decoder writes its frames straight into the file's
  // buffer: the frames are copied once less.
  if (room) {
    mpg123_replace_buffer(mh_, room, mpg123_safe_buffer());
    lent_ = true;
  }
  off_t frameNum = 0;
  unsigned char* audio = nullptr;
  size_t got = 0;
  const int r = mpg123_decode_frame(mh_, &frameNum, &audio, &got);
  if (r == MPG123_NEW_FORMAT) {
    int channels = 0;
    int encoding = 0;
    mpg123_getformat(mh_, rate, &channels, &encoding);
    return DecodeStep::kNewRate;
  }
  if (r == MPG123_DONE) {
    // The decoder takes a failed read for the end of the stream.
    return input_->ReadFailed() ? DecodeStep::kInputError : DecodeStep::kEnd;
  }
  if (r != MPG123_OK) {
    // Data after the last frame that the decoder cannot find a frame in
    // (zeros or junk that players leave, a tag it does not know) ends the
    // stream, as it does for other players; before any frame it is not
    // MPEG audio at all.
    const int code = mpg123_errcode(mh_);
    if (decodedAny_ && (code == MPG123_RESYNC_FAIL || code == MPG123_OUT_OF_SYNC)) return DecodeStep::kEnd;
    // A tag after the last frame whose size fields are absurd sends the
    // decoder seeking outside the file; only a failed read of a named file
    // is an input error then.
    const bool named = input_->CanReadAt();
    if (decodedAny_ && code == MPG123_ERR_READER && named && !input_->ReadFailed()) return DecodeStep::kEnd;
    const bool readError = input_->ReadFailed() || code == MPG123_ERR_READER;
    return readError ? DecodeStep::kInputError : DecodeStep::kDecoderError;
  }
  decodedAny_ = true;
  *pcm = audio;
  *bytes = got;
  return DecodeStep::kSound;
}

void Mpg123Decoder::EndOfPlayback() {
  if (!lent_) return;
  mpg123_replace_buffer(mh_, ownBuffer_.get(), mpg123_safe_buffer());
  lent_ = false;
}

}  // namespace

std::unique_ptr<MpegDecoder> OpenMpegDecoder(std::unique_ptr<StreamInput> input, int32_t* error) {
  auto decoder = std::make_unique<Mpg123Decoder>(std::move(input));
  *error = decoder->Open();
  if (*error != 0) return nullptr;
  return decoder;
}
