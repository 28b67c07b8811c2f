#include <algorithm>
#include <vector>

#include "AcmStream_win.h"
#include "FileServices.h"
#include "PathUtils.h"
#include "WavDecoding.h"
#include "WavLayout.h"
#include "WavPcmDecoding.h"

// Integer and floating-point PCM are turned into 16-bit samples by the
// program's own rules. The compressed encodings (A-law, µ-law, IMA and MS
// ADPCM, GSM 6.10 and whatever else the system has a codec for) go through
// the Audio Compression Manager, from the file's own "fmt " chunk to 16-bit
// PCM of the same rate and channels, whole blocks at a time.

namespace {

constexpr uint16_t kTagPcm = 0x0001;
constexpr uint16_t kTagMsAdpcm = 0x0002;
constexpr uint16_t kTagFloat = 0x0003;
constexpr uint16_t kTagImaAdpcm = 0x0011;
// WAVEFORMATEX: the 16 bytes every "fmt " holds, the size of the extra bytes
// (u16), then at most the 65535 extra bytes that size can say.
constexpr int64_t kFormatCommon = 16;
constexpr int64_t kFormatHead = 18;
constexpr int64_t kMaxFormat = kFormatHead + 0xFFFF;
// Compressed data fed to the codec at once: whole blocks, about 64 KiB (one
// block when a block is larger), so memory stays the same for any length.
constexpr int64_t kFeedBytes = 64 * 1024;
// MS ADPCM opens each channel's part of a block with the number of its
// predictor, one of seven pairs of coefficients that every codec knows.
constexpr unsigned char kMsAdpcmPredictors = 7;

TPcm16Outcome Unreadable() { return {TPcm16Outcome::TKind::Unreadable, 0}; }
TPcm16Outcome Failed(int code) { return {TPcm16Outcome::TKind::Failed, code}; }

uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The WAVEFORMATEX the file describes its encoding with: "fmt " as written,
// its size of extra bytes cut to what the chunk holds (a chunk of 16 bytes
// has none). Empty when the chunk is too short; 'error' is set for a failed
// read.
std::vector<unsigned char> FileFormat(THandle h, const TWavLayout& layout, int& error) {
  const int64_t size = std::min(layout.fmtSize, kMaxFormat);
  if (size < kFormatCommon) return {};
  std::vector<unsigned char> format(static_cast<size_t>(std::max(size, kFormatHead)), 0);
  const int64_t got = FileReadAt(h, format.data(), size, layout.fmtOffset);
  if (got < 0) error = LastOSError();
  if (got < size) return {};
  const int64_t extra = size >= kFormatHead ? std::min<int64_t>(U16(format.data() + 16), size - kFormatHead) : 0;
  format.resize(static_cast<size_t>(kFormatHead + extra));
  format[16] = static_cast<unsigned char>(extra & 0xFF);
  format[17] = static_cast<unsigned char>(extra >> 8);
  return format;
}

// The bytes each block of an ADPCM encoding begins with, per channel: the
// first sample and the codec's state. A block smaller than that is a header
// value out of reason.
int64_t BlockHeadBytes(uint16_t tag) {
  if (tag == kTagMsAdpcm) return 7;
  if (tag == kTagImaAdpcm) return 4;
  return 0;
}

// True when every MS ADPCM block of a feed names one of the seven
// predictors. wine's codec stops at a block that names another, and gives
// back the sound so far as if it were all, which would be a game file cut
// short without a word.
bool MsAdpcmPredictorsValid(const unsigned char* blocks, int64_t bytes, int64_t blockAlign, int channels) {
  for (int64_t at = 0; at + blockAlign <= bytes; at += blockAlign)
    for (int c = 0; c < channels; ++c)
      if (blocks[at + c] >= kMsAdpcmPredictors) return false;
  return true;
}

TPcm16Outcome DecodeThroughCodec(THandle h, const TWavLayout& layout, const std::string& name,
                                 TPcm16File& result) {
  const int channels = layout.channels;
  // 16-bit PCM of that many channels must fit the block align field, and
  // its bytes per second theirs.
  if (channels < 1 || 2 * channels > 0xFFFF || layout.sampleRate == 0 || layout.blockAlign == 0) return Unreadable();
  if (uint64_t{layout.sampleRate} * 2 * static_cast<uint64_t>(channels) > 0xFFFFFFFFu) return Unreadable();
  int error = 0;
  std::vector<unsigned char> format = FileFormat(h, layout, error);
  if (error != 0) return Failed(error);
  if (format.empty()) return Unreadable();
  const bool msAdpcm = layout.formatTag == kTagMsAdpcm;
  const int64_t block = layout.blockAlign;
  if (block < BlockHeadBytes(layout.formatTag) * channels) return Unreadable();

  const int64_t feedBlocks = std::max<int64_t>(1, kFeedBytes / block);
  TAcmStream stream;
  if (!stream.Open(format, channels, layout.sampleRate, feedBlocks * block)) return Unreadable();

  TPcm16Writer writer;
  if (!writer.Begin(result, name, channels, layout.sampleRate)) return Failed(writer.ErrorCode());
  const int64_t frameBytes = 2 * int64_t{channels};
  int64_t framesLeft = FramesOfSound(layout);
  // Writes what a feed made, up to where the sound ends.
  const auto keep = [&](int64_t made) {
    const int64_t frames = std::min(made / frameBytes, framesLeft);
    framesLeft -= frames;
    return writer.Write(stream.Out(), frames * channels);
  };

  const int64_t data = std::max<int64_t>(0, layout.dataSize);
  const int64_t blocks = data / block;
  const int64_t tail = data - blocks * block;
  bool start = true;
  for (int64_t done = 0; done < blocks && framesLeft > 0;) {
    const int64_t want = std::min(feedBlocks, blocks - done);
    const int64_t got = FileReadAt(h, stream.In(), want * block, layout.dataOffset + done * block);
    if (got < 0) return Failed(LastOSError());
    const int64_t whole = got / block;
    if (whole == 0) break;
    if (msAdpcm && !MsAdpcmPredictorsValid(stream.In(), whole * block, block, channels)) return Unreadable();
    done += whole;
    // The last whole blocks end the stream when no part of one follows.
    const int64_t made = stream.Convert(whole * block, true, start, done == blocks && tail == 0);
    if (made < 0) return Unreadable();
    if (!keep(made)) return Failed(writer.ErrorCode());
    start = false;
  }
  // A last block cut short by the end of the data is given as it is, for a
  // codec that makes something of what it holds; wine's make nothing of it,
  // so the sound ends with the last whole block.
  if (tail > 0 && framesLeft > 0) {
    const int64_t got = FileReadAt(h, stream.In(), tail, layout.dataOffset + blocks * block);
    if (got < 0) return Failed(LastOSError());
    const int64_t made = stream.Convert(got, false, start, true);
    if (made < 0) return Unreadable();
    if (!keep(made)) return Failed(writer.ErrorCode());
  }
  if (!writer.Finish()) return Failed(writer.ErrorCode());
  return {};
}

}  // namespace

TPcm16Outcome DecodeToPcm16(const std::string& wavPath, TPcm16File& result) {
  TWavLayout layout;
  {
    const THandle h = FileOpen(wavPath, fmOpenRead | fmShareDenyWrite);
    if (h == INVALID_HANDLE_VALUE) return Failed(LastOSError());
    struct TCloser {
      THandle h;
      ~TCloser() { FileClose(h); }
    } closer{h};
    if (const int code = ReadWavLayout(h, layout); code != 0) return Failed(code);
    const bool pcm = layout.formatTag == kTagPcm || layout.formatTag == kTagFloat;
    if (layout.fromChunks && !pcm) return DecodeThroughCodec(h, layout, ExtractFileName(wavPath), result);
  }
  return DecodePcmToPcm16(wavPath, result);
}
