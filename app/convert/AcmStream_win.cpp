#include "AcmStream_win.h"

#include "Win32_win.h"
// After windows.h, which the codec manager's headers build on (its lean form
// leaves the multimedia types out).
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

namespace {

// A codec's own answer for the output of one feed is checked too: GSM 6.10,
// the densest encoding, gives under 10 bytes of PCM per byte, so 64 MiB is
// far beyond any real one and still a size that can be allocated.
constexpr DWORD kMaxOutputBytes = 64 * 1024 * 1024;

}  // namespace

struct TAcmStream::TState {
  HACMSTREAM stream = nullptr;
  ACMSTREAMHEADER header = {};
  bool prepared = false;
  DWORD outBytes = 0;
  std::vector<unsigned char> in;
  std::vector<int16_t> out;
};

TAcmStream::TAcmStream() : state_(new TState) {}

TAcmStream::~TAcmStream() {
  TState& s = *state_;
  if (s.prepared) {
    // Unpreparing wants the lengths that were prepared.
    s.header.cbSrcLength = static_cast<DWORD>(s.in.size());
    s.header.cbDstLength = s.outBytes;
    acmStreamUnprepareHeader(s.stream, &s.header, 0);
  }
  if (s.stream != nullptr) acmStreamClose(s.stream, 0);
}

bool TAcmStream::Open(const std::vector<unsigned char>& format, int channels, uint32_t rate, int64_t feedBytes) {
  TState& s = *state_;
  if (format.size() < sizeof(WAVEFORMATEX) || feedBytes < 1 || feedBytes > 0x7FFFFFFF) return false;
  WAVEFORMATEX pcm = {};
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  pcm.nChannels = static_cast<WORD>(channels);
  pcm.nSamplesPerSec = rate;
  pcm.wBitsPerSample = 16;
  pcm.nBlockAlign = static_cast<WORD>(2 * channels);
  pcm.nAvgBytesPerSec = rate * pcm.nBlockAlign;
  // The codec manager only reads the source format; its type wants it writable.
  std::vector<unsigned char> source = format;
  auto* from = reinterpret_cast<WAVEFORMATEX*>(source.data());
  if (acmStreamOpen(&s.stream, nullptr, from, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
    s.stream = nullptr;
    return false;
  }
  if (acmStreamSize(s.stream, static_cast<DWORD>(feedBytes), &s.outBytes, ACM_STREAMSIZEF_SOURCE) != 0) return false;
  if (s.outBytes == 0 || s.outBytes > kMaxOutputBytes) return false;
  s.in.assign(static_cast<size_t>(feedBytes), 0);
  s.out.assign(s.outBytes / 2 + 1, 0);
  s.header.cbStruct = sizeof s.header;
  s.header.pbSrc = s.in.data();
  s.header.cbSrcLength = static_cast<DWORD>(s.in.size());
  s.header.pbDst = reinterpret_cast<BYTE*>(s.out.data());
  s.header.cbDstLength = s.outBytes;
  if (acmStreamPrepareHeader(s.stream, &s.header, 0) != 0) return false;
  s.prepared = true;
  return true;
}

unsigned char* TAcmStream::In() { return state_->in.data(); }

const int16_t* TAcmStream::Out() const { return state_->out.data(); }

int64_t TAcmStream::Convert(int64_t bytes, bool wholeBlocks, bool start, bool end) {
  TState& s = *state_;
  if (!s.prepared || bytes < 0 || bytes > static_cast<int64_t>(s.in.size())) return -1;
  s.header.cbSrcLength = static_cast<DWORD>(bytes);
  s.header.cbDstLength = s.outBytes;
  s.header.cbSrcLengthUsed = 0;
  s.header.cbDstLengthUsed = 0;
  const DWORD flags = (wholeBlocks ? ACM_STREAMCONVERTF_BLOCKALIGN : 0) | (start ? ACM_STREAMCONVERTF_START : 0) |
                      (end ? ACM_STREAMCONVERTF_END : 0);
  if (acmStreamConvert(s.stream, &s.header, flags) != 0) return -1;
  if (s.header.cbDstLengthUsed > s.outBytes) return -1;
  if (wholeBlocks && s.header.cbSrcLengthUsed != s.header.cbSrcLength) return -1;
  return s.header.cbDstLengthUsed;
}
